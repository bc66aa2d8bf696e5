#include "wave/CursorMeasure.h"
#include "wave/UpDownSteps.h"
#include "wave/WaveRecord.h"

#include <QTest>

namespace {

WaveRecord measuredRecord()
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-4f;
    record.SecondsPerSample = 2e-7f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 2;
    record.Samples(1, 1512) = 50;
    record.Samples(2, 1512) = -25;
    record.Samples(1, 0) = 25;
    record.Samples(2, 0) = 5;
    record.Samples(1, 5119) = -100;
    record.Samples(2, 5119) = 100;
    return record;
}

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

class TestCursorMeasure : public QObject {
    Q_OBJECT
private slots:
    void readouts_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("frequency");   // empty: keeps its text
        QTest::addColumn<QString>("ch1");
        QTest::addColumn<QString>("ch2");
        QTest::addColumn<QString>("tip");
        // Reference at (1000, 10).
        QTest::newRow("worked example") << 1512.5f << 35.0f << "⊿t= 102.500usec" << "f= 9.756kHz"
                                        << "⊿V: CH1= 500.000mV" << "CH2= 2.000 V" << "Ch1=1.00 V  Ch2=-2.00 V";
        QTest::newRow("straight up") << 1000.0f << 60.0f << "⊿t= 0.000 sec" << ""
                                     << "⊿V: CH1= 1.000 V" << "CH2= 4.000 V" << "Ch1=0.00 V  Ch2=0.00 V";
        QTest::newRow("sideways, to the left") << 500.0f << 10.0f << "⊿t= 100.000usec" << "f= 10.000kHz"
                                               << "⊿V: CH1= 0.000 V" << "CH2= 0.000 V" << "Ch1=0.00 V  Ch2=0.00 V";
        QTest::newRow("dragged left of the window") << -300.0f << 10.0f << "⊿t= 260.000usec" << "f= 3.846kHz"
                                                    << "⊿V: CH1= 0.000 V" << "CH2= 0.000 V" << "Ch1=500.00mV  Ch2=400.00mV";
        QTest::newRow("dragged right of the record") << 1e9f << 10.0f << "⊿t= 200.000 sec" << "f= 5.000mHz"
                                                     << "⊿V: CH1= 0.000 V" << "CH2= 0.000 V" << "Ch1=-2.00 V  Ch2=8.00 V";
    }
    void readouts()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QString, time);
        QFETCH(QString, frequency);
        QFETCH(QString, ch1);
        QFETCH(QString, ch2);
        QFETCH(QString, tip);
        const WaveRecord record = measuredRecord();
        CursorMeasure cursor;
        QVERIFY(cursor.mouseDown(kLeftButton, 1000, 10, record));
        const auto readout = cursor.mouseMove(x, y, record);
        QVERIFY(readout);
        QCOMPARE(q(readout->timeText), time);
        QCOMPARE(readout->frequencyText ? q(*readout->frequencyText) : QString(), frequency);
        QCOMPARE(q(readout->ch1VoltsText), ch1);
        QCOMPARE(q(readout->ch2VoltsText), ch2);
        QCOMPARE(q(readout->toolTip), tip);
    }

    void downCancelsOrStarts_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<float>("secondsPerSample");
        QTest::addColumn<bool>("starts");
        QTest::newRow("left") << kLeftButton << 2e-7f << true;
        QTest::newRow("right") << kRightButton << 2e-7f << false;
        QTest::newRow("middle") << kMiddleButton << 2e-7f << false;
        QTest::newRow("left without time base") << kLeftButton << 0.0f << false;
    }
    void downCancelsOrStarts()
    {
        QFETCH(int, button);
        QFETCH(float, secondsPerSample);
        QFETCH(bool, starts);
        WaveRecord record = measuredRecord();
        record.SecondsPerSample = secondsPerSample;
        CursorMeasure cursor;
        cursor.RefX = 5;   // a measurement already running
        QCOMPARE(cursor.mouseDown(button, 1000, 10, record), starts);
        QCOMPARE(cursor.active(), starts);
        QCOMPARE(cursor.mouseMove(1200, 20, record).has_value(), starts);
    }

    void endKeepsTheReferenceHeight()
    {
        const WaveRecord record = measuredRecord();
        CursorMeasure cursor;
        cursor.mouseDown(kLeftButton, 1000, 10, record);
        cursor.end();
        QVERIFY(!cursor.active());
        QCOMPARE(cursor.RefY, 10.0f);
        QVERIFY(!cursor.mouseMove(1200, 20, record));
    }

    // The tooltip index stays inside the record whatever the pointer's position.
    void tooltipIndexIsClamped_data()
    {
        QTest::addColumn<int>("lastIndex");
        QTest::addColumn<float>("x");
        QTest::addColumn<QString>("tip");
        QTest::newRow("ties to even") << 5119 << 1512.5f << "Ch1=1.00 V  Ch2=-2.00 V";
        QTest::newRow("below 0") << 5119 << -0.6f << "Ch1=500.00mV  Ch2=400.00mV";
        QTest::newRow("past the last sample") << 5119 << 5119.6f << "Ch1=-2.00 V  Ch2=8.00 V";
        QTest::newRow("not a number") << 5119 << std::numeric_limits<float>::quiet_NaN() << "Ch1=500.00mV  Ch2=400.00mV";
        QTest::newRow("odd LastIndex") << 200000 << 1e7f << "Ch1=0.00 V  Ch2=0.00 V";
    }
    void tooltipIndexIsClamped()
    {
        QFETCH(int, lastIndex);
        QFETCH(float, x);
        QFETCH(QString, tip);
        WaveRecord record = measuredRecord();
        record.LastIndex = lastIndex;
        QCOMPARE(q(SampleVoltsTip(x, record)), tip);
    }
};

QTEST_GUILESS_MAIN(TestCursorMeasure)
#include "test_cursor_measure.moc"
