#include "wave/ParameterPanel.h"
#include "wave/UpDownSteps.h"
#include "core/WaveRecord.h"

#include <QTest>

namespace {

struct FloorCase {
    float secondsPerDiv;
    bool longRecord, equSampling;
    float expected;
};

struct OffsetCase {
    int raw;
    float offset;
    int box;   // channel 1's box: 0 unchecked, 1 checked, 2 greyed
    int stored;
};

// A press along the control's axis (x for the position, y for the others, in twips) and the
// step it gives. On a normal record (LastIndex 5119); offsets step channel 1 (2) or 2 (3).
struct StepCase {
    int index, modifiers;
    double at;
    WaveScale view;
    float offset;
    bool changed;
    WaveScale newView;
    float newOffset;
    int button = kLeftButton;
};

} // namespace


class TestWavePanel : public QObject {
    Q_OBJECT
private slots:
    void secondsPerSample_data()
    {
        QTest::addColumn<FloorCase>("c");
        QTest::newRow("normal 100us") << FloorCase{1e-4f, false, false, 2e-7f};
        QTest::newRow("long 100us") << FloorCase{1e-4f, true, false, 1e-8f};
        QTest::newRow("long 50us as 10ns") << FloorCase{5e-5f, true, false, 1e-8f};
        QTest::newRow("long 10us floored") << FloorCase{1e-5f, true, false, 2e-9f};
        QTest::newRow("long floor wins over equivalent") << FloorCase{1e-8f, true, true, 2e-9f};
        QTest::newRow("normal 500ns floored") << FloorCase{5e-7f, false, false, 2e-9f};
        QTest::newRow("equivalent below the normal floor") << FloorCase{1e-7f, false, true, 2e-10f};
        QTest::newRow("equivalent floor") << FloorCase{1e-8f, false, true, 4e-11f};
    }
    void secondsPerSample()
    {
        QFETCH(FloorCase, c);
        // A ratio: QCOMPARE takes any two floats under 1e-5 for equal.
        QCOMPARE(SecondsPerSampleFor(c.secondsPerDiv, c.longRecord, c.equSampling) / c.expected, 1.0f);
    }

    void offsetRemoval_data()
    {
        QTest::addColumn<OffsetCase>("c");
        // A fractional offset moves every sample by the same whole count, so 20 and 19 stay
        // one count apart; the offset's own tie goes to even.
        QTest::newRow("20 less 12.5 as 12") << OffsetCase{20, 12.5f, 1, 8};
        QTest::newRow("19 less 12.5 as 12") << OffsetCase{19, 12.5f, 1, 7};
        QTest::newRow("19 less 13.5 as 14") << OffsetCase{19, 13.5f, 1, 5};
        QTest::newRow("20 less -0.4 as 0") << OffsetCase{20, -0.4f, 1, 20};
        QTest::newRow("saturates low") << OffsetCase{-128, 40000, 1, -32768};
        QTest::newRow("saturates high") << OffsetCase{127, -40000, 1, 32767};
        QTest::newRow("greyed box counts as checked") << OffsetCase{20, 2, 2, 18};
        QTest::newRow("unchecked box keeps the raw value") << OffsetCase{20, 2, 0, 20};
    }
    // Nothing without a sweep time; then once, on channels whose box is not unchecked,
    // samples 0..LastIndex only.
    void offsetRemoval()
    {
        QFETCH(OffsetCase, c);
        WaveRecord record;
        record.FreshCapture = kTrue;
        record.LastIndex = 99;
        record.Ch1Offset = record.Ch2Offset = c.offset;
        record.Samples(1, 99) = record.Samples(2, 99) = record.Samples(1, 100) = int16_t(c.raw);
        const WaveRecord before = record;
        QVERIFY(!RefreshRecord(record, 1, 1, 1));
        QVERIFY(record == before);
        record.SecondsPerDiv = 1e-4f;
        QVERIFY(RefreshRecord(record, 0, c.box, 0));
        QVERIFY(RefreshRecord(record, 0, 1, 1));
        QCOMPARE(record.Samples(1, 99), int16_t(c.stored));
        QCOMPARE(record.Samples(2, 99), int16_t(c.raw));
        QCOMPARE(record.Samples(1, 100), int16_t(c.raw));
        QCOMPARE(record.FreshCapture, kFalse);
    }

    void steps_data()
    {
        QTest::addColumn<StepCase>("c");
        const WaveScale full{0, 5119};
        const WaveScale zoomed{63, 4993};
        QTest::newRow("right at the end") << StepCase{0, 0, 200, full, 0, false, full, 0};
        QTest::newRow("right arrow edge, limited") << StepCase{0, 0, 190, zoomed, 0, true, {126, 4993}, 0};
        QTest::newRow("left arrow edge") << StepCase{0, 0, 165, {126, 4993}, 0, true, {43, 4993}, 0};
        QTest::newRow("left, limited") << StepCase{0, 0, 0, {43, 4993}, 0, true, {0, 4993}, 0};
        QTest::newRow("left at the start") << StepCase{0, 0, 0, {0, 4993}, 0, false, {0, 4993}, 0};
        QTest::newRow("position dead band") << StepCase{0, 0, 180, zoomed, 0, false, zoomed, 0};
        QTest::newRow("right with Shift") << StepCase{0, kShiftKey, 200, {0, 1200}, 0, true, {40, 1200}, 0};
        QTest::newRow("narrow view moves by 1") << StepCase{0, 0, 200, {0, 30}, 0, true, {1, 30}, 0};
        QTest::newRow("right button ignored") << StepCase{0, kCtrlKey, 0, zoomed, 0, false, zoomed, 0, kRightButton};
        QTest::newRow("zoom in at the upper arrow edge") << StepCase{1, 0, 100, full, 0, true, zoomed, 0};
        QTest::newRow("zoom in at 20") << StepCase{1, 0, 0, {100, 20}, 0, false, {100, 20}, 0};
        QTest::newRow("zoom in at 21") << StepCase{1, 0, 0, {100, 21}, 0, true, {101, 20}, 0};
        QTest::newRow("zoom out at the lower arrow edge") << StepCase{1, 0, 120, zoomed, 0, true, {1, 5117}, 0};
        QTest::newRow("zoom out to full") << StepCase{1, 0, 200, {1, 5117}, 0, true, full, 0};
        QTest::newRow("zoom out at full") << StepCase{1, 0, 200, full, 0, false, full, 0};
        QTest::newRow("zoom out at right edge") << StepCase{1, 0, 200, {4119, 1000}, 0, true, {4095, 1024}, 0};
        QTest::newRow("offset up") << StepCase{2, 0, 0, full, 127.5f, true, full, 128.5f};
        QTest::newRow("offset up past 128") << StepCase{2, 0, 0, full, 128.5f, false, full, 128.5f};
        QTest::newRow("offset down at -128") << StepCase{3, 0, 200, full, -128, false, full, -128};
        QTest::newRow("offset up, all keys") << StepCase{2, 7, 0, full, 127, true, full, 141};
        QTest::newRow("offset dead band") << StepCase{3, 0, 110, full, 5, false, full, 5};
        QTest::newRow("modifiers masked") << StepCase{3, 8 + kAltKey, 200, full, 0, true, full, -8};
    }
    void steps()
    {
        QFETCH(StepCase, c);
        WaveRecord record;
        const int channel = c.index == 3 ? 2 : 1;
        record.offset(channel) = c.offset;
        record.offset(3 - channel) = 3;
        WaveScale view = c.view;
        UpDownState state;
        UpDownPress(state, c.index, c.button, c.modifiers, c.index == 0 ? c.at : 0, c.index == 0 ? 0 : c.at);
        QCOMPARE(UpDownStep(state, c.index, view, record), c.changed);
        QCOMPARE(view, c.newView);
        QCOMPARE(record.offset(channel), c.newOffset);
        QCOMPARE(record.offset(3 - channel), 3.0f);
        UpDownRelease(state);
        QVERIFY(!UpDownStep(state, c.index, view, record));
    }
};

QTEST_GUILESS_MAIN(TestWavePanel)
#include "test_wave_panel.moc"
