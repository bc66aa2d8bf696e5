#include "wave/CursorMeasure.h"
#include "wave/UpDownSteps.h"
#include "core/WaveRecord.h"

#include <QTest>

namespace {

struct MoveCase {
    float x, y;
    const char* time;
    const char* frequency;   // nullptr: keeps its text
    const char* ch1;
    const char* ch2;
    const char* tip;
};

// 100 us per division on a normal record; CH1 0.5 V, CH2 2 V per division.
WaveRecord measuredRecord()
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-4f;
    record.SecondsPerSample = 2e-7f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 2;
    for (auto [i, ch1, ch2] : {std::tuple{1512, 50, -25}, {0, 25, 5}, {5119, -100, 100}}) {
        record.Samples(1, i) = int16_t(ch1);
        record.Samples(2, i) = int16_t(ch2);
    }
    return record;
}

struct TipCase { int lastIndex; float x; QString tip; };

} // namespace


class TestCursorMeasure : public QObject {
    Q_OBJECT
private slots:
    // Reference at (1000, 10). The tooltip reads the sample at the rounded pointer
    // position (1512.5 ties to even), or at the record's end nearer a pointer outside it.
    void readouts_data()
    {
        QTest::addColumn<MoveCase>("c");
        QTest::newRow("worked example") << MoveCase{1512.5f, 35, "⊿t= 102.500usec", "f= 9.756kHz",
            "⊿V: CH1= 500.000mV", "CH2= 2.000 V", "Ch1=1.00 V  Ch2=-2.00 V"};
        QTest::newRow("straight up") << MoveCase{1000, 60, "⊿t= 0.000 sec", nullptr,
            "⊿V: CH1= 1.000 V", "CH2= 4.000 V", "Ch1=0.00 V  Ch2=0.00 V"};
        // The frequency is the inverse of the time difference as shown (1.000 ms), not of
        // the exact 1.00024 ms (999.76 Hz).
        QTest::newRow("shown time, not the exact one") << MoveCase{6001.2f, 10, "⊿t= 1.000msec", "f= 1.000kHz",
            "⊿V: CH1= 0.000 V", "CH2= 0.000 V", "Ch1=-2.00 V  Ch2=8.00 V"};
        QTest::newRow("dragged out left") << MoveCase{-300, 10, "⊿t= 260.000usec", "f= 3.846kHz",
            "⊿V: CH1= 0.000 V", "CH2= 0.000 V", "Ch1=500.00mV  Ch2=400.00mV"};
    }
    void readouts()
    {
        QFETCH(MoveCase, c);
        const WaveRecord record = measuredRecord();
        CursorMeasure cursor;
        QVERIFY(cursor.mouseDown(kLeftButton, 1000, 10, record));
        const auto readout = cursor.mouseMove(c.x, c.y, record);
        QCOMPARE(readout->timeText, c.time);
        QCOMPARE(readout->frequencyText.has_value(), c.frequency != nullptr);
        if (c.frequency)
            QCOMPARE(*readout->frequencyText, c.frequency);
        QCOMPARE(readout->ch1VoltsText, c.ch1);
        QCOMPARE(readout->ch2VoltsText, c.ch2);
        QCOMPARE(readout->toolTip, c.tip);
    }

    // Only a left click with a time base starts; any other button (the right one: the
    // display's test) ends a running one.
    void mouseDown()
    {
        WaveRecord record = measuredRecord();
        CursorMeasure cursor;
        QVERIFY(cursor.mouseDown(kLeftButton, 1000, 10, record));
        QVERIFY(cursor.mouseMove(1200, 20, record));
        QVERIFY(!cursor.mouseDown(kMiddleButton, 1000, 10, record));
        QVERIFY(!cursor.mouseMove(1200, 20, record));
        record.SecondsPerSample = 0;
        QVERIFY(!cursor.mouseDown(kLeftButton, 1000, 10, record));
        QVERIFY(!cursor.mouseMove(1200, 20, record));
    }

    // Whatever the pointer's position or LastIndex, the tooltip reads inside the table.
    void tooltipIndex_data()
    {
        QTest::addColumn<TipCase>("c");
        QTest::newRow("past the last") << TipCase{5119, 5119.6f, "Ch1=-2.00 V  Ch2=8.00 V"};
        QTest::newRow("not a number") << TipCase{5119, std::numeric_limits<float>::quiet_NaN(), "Ch1=500.00mV  Ch2=400.00mV"};
        QTest::newRow("LastIndex past the table") << TipCase{200000, 1e7f, "Ch1=0.00 V  Ch2=0.00 V"};
    }
    void tooltipIndex()
    {
        QFETCH(TipCase, c);
        auto& [lastIndex, x, tip] = c;
        WaveRecord record = measuredRecord();
        record.LastIndex = lastIndex;
        QCOMPARE(QString::fromStdString(SampleVoltsTip(x, record)), tip);
    }
};

QTEST_GUILESS_MAIN(TestCursorMeasure)
#include "test_cursor_measure.moc"
