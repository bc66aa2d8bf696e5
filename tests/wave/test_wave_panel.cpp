#include "wave/ParameterPanel.h"
#include "wave/UpDownSteps.h"
#include "wave/WaveRecord.h"

#include <QTest>

class TestWavePanel : public QObject {
    Q_OBJECT
private slots:
    void secondsPerSample_data()
    {
        QTest::addColumn<float>("secondsPerDiv");
        QTest::addColumn<bool>("longRecord");
        QTest::addColumn<bool>("equSampling");
        QTest::addColumn<float>("expected");
        QTest::newRow("normal 100us") << 1e-4f << false << false << 2e-7f;
        QTest::newRow("long 100us") << 1e-4f << true << false << 1e-8f;
        QTest::newRow("long 50us handled as 10ns") << 5e-5f << true << false << 1e-8f;
        QTest::newRow("long 20us") << 2e-5f << true << false << 2e-9f;
        QTest::newRow("long 10us floored") << 1e-5f << true << false << 2e-9f;
        QTest::newRow("long floor ignores equivalent sampling") << 1e-8f << true << true << 2e-9f;
        QTest::newRow("normal 1us floored") << 1e-6f << false << false << 2e-9f;
        QTest::newRow("equivalent, above its floor") << 1e-6f << false << true << 2e-9f;
        QTest::newRow("equivalent floor") << 1e-8f << false << true << 4e-11f;
        QTest::newRow("negative from a file floored") << -1e-4f << false << false << 2e-9f;
    }
    void secondsPerSample()
    {
        QFETCH(float, secondsPerDiv);
        QFETCH(bool, longRecord);
        QFETCH(bool, equSampling);
        QFETCH(float, expected);
        QCOMPARE(SecondsPerSampleFor(secondsPerDiv, longRecord, equSampling), expected);
    }

    void offsetRemoval_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<float>("offset");
        QTest::addColumn<int>("stored");
        QTest::newRow("7.5 to even 8") << 20 << 12.5f << 8;
        QTest::newRow("6.5 to even 6") << 19 << 12.5f << 6;
        QTest::newRow("-32.5 to even -32") << -20 << 12.5f << -32;
        QTest::newRow("negative offset") << -128 << -25.0f << -103;
        QTest::newRow("saturates low") << -128 << 40000.0f << -32768;
        QTest::newRow("saturates high") << 127 << -40000.0f << 32767;
    }
    void offsetRemoval()
    {
        QFETCH(int, raw);
        QFETCH(float, offset);
        QFETCH(int, stored);
        WaveRecord record;
        record.SecondsPerDiv = 1e-4f;
        record.FreshCapture = kTrue;
        record.LastIndex = 99;
        record.Ch1Offset = offset;
        record.Ch2Offset = offset;
        record.Samples(1, 99) = int16_t(raw);
        record.Samples(2, 99) = int16_t(raw);
        record.Samples(1, 100) = int16_t(raw);   // beyond LastIndex
        // Channel 2's box unchecked: it keeps its raw values.
        QVERIFY(RefreshRecord(record, 0, 1, 0));
        QCOMPARE(record.Samples(1, 99), int16_t(stored));
        QCOMPARE(record.Samples(2, 99), int16_t(raw));
        QCOMPARE(record.Samples(1, 100), int16_t(raw));
        QCOMPARE(record.FreshCapture, kFalse);
        // Only once.
        QVERIFY(RefreshRecord(record, 0, 1, 1));
        QCOMPARE(record.Samples(1, 99), int16_t(stored));
        QCOMPARE(record.Samples(2, 99), int16_t(raw));
    }

    void noSweepTimeChangesNothing()
    {
        WaveRecord record;
        record.FreshCapture = kTrue;
        record.Ch1Offset = 10;
        record.Samples(1, 0) = 50;
        const WaveRecord before = record;
        QVERIFY(!RefreshRecord(record, 1, 1, 1));
        QVERIFY(record == before);
    }

    void captions_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<float>("voltsPerDiv");
        QTest::addColumn<QString>("caption");
        QTest::newRow("prefix") << 1 << 0.5f << "CH1 500mV/DIV";
        QTest::newRow("blank prefix") << 1 << 2.0f << "CH1 2 V/DIV";
        QTest::newRow("zero") << 2 << 0.0f << "CH2 0 V/DIV";
    }
    void captions()
    {
        QFETCH(int, channel);
        QFETCH(float, voltsPerDiv);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(VoltsPerDivCaption(channel, voltsPerDiv)), caption);
    }

    void press_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("direction");   // starting from +1, modifiers from 5
        QTest::addColumn<int>("stepModifiers");
        QTest::newRow("left arrow edge") << 0 << kLeftButton << 0 << 165.0 << 0.0 << -1 << 0;
        QTest::newRow("right arrow edge") << 0 << kLeftButton << kCtrlKey << 190.0 << 0.0 << 1 << kCtrlKey;
        QTest::newRow("position dead band") << 0 << kLeftButton << 0 << 180.0 << 0.0 << 1 << 0;
        QTest::newRow("upper arrow edge") << 1 << kLeftButton << kShiftKey << 0.0 << 100.0 << 1 << kShiftKey;
        QTest::newRow("lower arrow edge") << 2 << kLeftButton << 0 << 0.0 << 120.0 << -1 << 0;
        QTest::newRow("offset dead band") << 3 << kLeftButton << 0 << 0.0 << 110.0 << 1 << 0;
        QTest::newRow("modifiers masked") << 3 << kLeftButton << 8 + kAltKey << 0.0 << 200.0 << -1 << kAltKey;
        QTest::newRow("right button ignored") << 0 << kRightButton << kCtrlKey << 0.0 << 0.0 << 1 << 5;
    }
    void press()
    {
        QFETCH(int, index);
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(int, direction);
        QFETCH(int, stepModifiers);
        UpDownState state{1, 5};
        UpDownPress(state, index, button, modifiers, x, y);
        QCOMPARE(int(state.StepDirection), direction);
        QCOMPARE(int(state.StepModifiers), stepModifiers);
        UpDownRelease(state);
        QCOMPARE(int(state.StepDirection), 0);
    }

    void stepFactor_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("factor");
        QTest::newRow("none") << 0 << 1;
        QTest::newRow("Shift") << kShiftKey << 2;
        QTest::newRow("Ctrl") << kCtrlKey << 4;
        QTest::newRow("Shift+Ctrl") << kShiftKey + kCtrlKey << 6;
        QTest::newRow("Alt") << kAltKey << 8;
        QTest::newRow("all three") << 7 << 14;
    }
    void stepFactor()
    {
        QFETCH(int, modifiers);
        QFETCH(int, factor);
        QCOMPARE(StepFactor(modifiers), factor);
    }

    // Position and zoom on a normal record (LastIndex 5119).
    void viewSteps_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<double>("newLeft");
        QTest::addColumn<double>("newWidth");
        QTest::newRow("right at the end") << 0 << 1 << 0 << 0.0 << 5119.0 << false << 0.0 << 5119.0;
        QTest::newRow("zoom in from full") << 1 << 1 << 0 << 0.0 << 5119.0 << true << 63.0 << 4993.0;
        QTest::newRow("right, limited") << 0 << 1 << 0 << 63.0 << 4993.0 << true << 126.0 << 4993.0;
        QTest::newRow("left") << 0 << -1 << 0 << 126.0 << 4993.0 << true << 43.0 << 4993.0;
        QTest::newRow("left, limited") << 0 << -1 << 0 << 43.0 << 4993.0 << true << 0.0 << 4993.0;
        QTest::newRow("left at the start") << 0 << -1 << 0 << 0.0 << 4993.0 << false << 0.0 << 4993.0;
        QTest::newRow("right with Shift") << 0 << 1 << kShiftKey << 0.0 << 1200.0 << true << 40.0 << 1200.0;
        QTest::newRow("narrow view moves by one") << 0 << 1 << 0 << 0.0 << 30.0 << true << 1.0 << 30.0;
        QTest::newRow("zoom in at 20") << 1 << 1 << 0 << 100.0 << 20.0 << false << 100.0 << 20.0;
        QTest::newRow("zoom in at 21") << 1 << 1 << 0 << 100.0 << 21.0 << true << 101.0 << 20.0;
        QTest::newRow("zoom in with Ctrl") << 1 << 1 << kCtrlKey << 0.0 << 5119.0 << true << 254.0 << 4611.0;
        QTest::newRow("zoom out") << 1 << -1 << 0 << 63.0 << 4993.0 << true << 1.0 << 5117.0;
        QTest::newRow("zoom out to full") << 1 << -1 << 0 << 1.0 << 5117.0 << true << 0.0 << 5119.0;
        QTest::newRow("zoom out at full") << 1 << -1 << 0 << 0.0 << 5119.0 << false << 0.0 << 5119.0;
        QTest::newRow("zoom out at the right edge") << 1 << -1 << 0 << 4119.0 << 1000.0 << true << 4095.0 << 1024.0;
        QTest::newRow("fractional view rounds first") << 0 << 1 << 0 << 0.4 << 1200.0 << true << 20.0 << 1200.0;
    }
    void viewSteps()
    {
        QFETCH(int, index);
        QFETCH(int, direction);
        QFETCH(int, modifiers);
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(bool, changed);
        QFETCH(double, newLeft);
        QFETCH(double, newWidth);
        WaveRecord record;
        const WaveRecord before = record;
        WaveScale scale{left, width};
        const UpDownState state{int16_t(direction), int16_t(modifiers)};
        QCOMPARE(UpDownStep(state, index, scale, record), changed);
        QCOMPARE(scale.ScaleLeft, newLeft);
        QCOMPARE(scale.ScaleWidth, newWidth);
        QVERIFY(record == before);
    }

    void offsetSteps_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<float>("offset");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<float>("newOffset");
        QTest::newRow("up below the bound") << 2 << 1 << 0 << 127.5f << true << 128.5f;
        QTest::newRow("up past the bound") << 2 << 1 << 0 << 128.5f << false << 128.5f;
        QTest::newRow("down with Ctrl") << 3 << -1 << kCtrlKey << -127.0f << true << -131.0f;
        QTest::newRow("down at the bound") << 3 << -1 << 0 << -128.0f << false << -128.0f;
        QTest::newRow("all modifiers overshoot") << 2 << 1 << 7 << 127.0f << true << 141.0f;
    }
    void offsetSteps()
    {
        QFETCH(int, index);
        QFETCH(int, direction);
        QFETCH(int, modifiers);
        QFETCH(float, offset);
        QFETCH(bool, changed);
        QFETCH(float, newOffset);
        WaveRecord record;
        record.offset(index - 1) = offset;
        record.offset(4 - index) = 3;   // the other channel
        WaveScale scale{10, 100};
        const UpDownState state{int16_t(direction), int16_t(modifiers)};
        QCOMPARE(UpDownStep(state, index, scale, record), changed);
        QCOMPARE(record.offset(index - 1), newOffset);
        QCOMPARE(record.offset(4 - index), 3.0f);
        QCOMPARE(scale, (WaveScale{10, 100}));
    }

    // Steps without a press (from the keyboard, or after the release) move nothing.
    void noDirectionNoStep()
    {
        WaveRecord record;
        WaveScale scale{63, 4993};
        for (int index = 0; index < 4; ++index)
            QVERIFY(!UpDownStep(UpDownState{0, 2}, index, scale, record));
        QCOMPARE(scale, (WaveScale{63, 4993}));
        QCOMPARE(record.Ch1Offset, 0.0f);
    }
};

QTEST_GUILESS_MAIN(TestWavePanel)
#include "test_wave_panel.moc"
