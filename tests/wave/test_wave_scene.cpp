#include "core/WaveRecord.h"
#include "wave/WaveScene.h"

#include <QTest>

#include <algorithm>

namespace {

struct DivisionCase {
    int width;
    float secondsPerSample;
    float divSamples;
    const char* label;
};

struct GridCase {
    WaveScale view;
    double firstX, stepX;   // vertical lines, left to right
    int countX;
};

struct LayerCase {
    DisplayFlags flags;
    std::vector<int> colors;   // lines bottom to top (grid off), then traces
    bool connected;
};

struct ViewCase {
    WaveScale view;
    int first;
    int count;
    int last;   // value of the last point
};

// The guard of every sample access: channels 1 and 2, indexes 0..103000.
static_assert(SampleTable::contains(1, 0) && SampleTable::contains(2, 103000));
static_assert(!SampleTable::contains(1, 103001) && !SampleTable::contains(2, -1));
static_assert(!SampleTable::contains(0, 5) && !SampleTable::contains(3, 5));

WaveRecord timedRecord()
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-4f;
    record.SecondsPerSample = 2e-7f;
    return record;
}

} // namespace


class TestWaveScene : public QObject {
    Q_OBJECT
private slots:
    void timeDivision_data()
    {
        QTest::addColumn<DivisionCase>("c");
        QTest::newRow("full normal record") << DivisionCase{5119, 2e-7f, 500, "Time: 100us/DIV"};
        QTest::newRow("digit 6") << DivisionCase{3000, 2e-7f, 300, "Time: 60us/DIV"};
        QTest::newRow("digit 9, not rounded up") << DivisionCase{4990, 2e-7f, 450, "Time: 90us/DIV"};
        QTest::newRow("rounding carries into the digit") << DivisionCase{19990, 1e-6f, 2000, "Time: 2ms/DIV"};
        QTest::newRow("under 10 steps") << DivisionCase{9, 2e-7f, 0, "Time: 0 s/DIV"};
    }
    void timeDivision()
    {
        QFETCH(DivisionCase, c);
        const TimeDivision division = ComputeTimeDivision(c.width, c.secondsPerSample);
        QCOMPARE(division.DivSamples, c.divSamples);
        QCOMPARE(division.label, std::string(c.label));
    }

    void nothingWithoutTimeBase()
    {
        const float inf = std::numeric_limits<float>::infinity();
        for (auto [perDiv, perSample] : {std::pair{0.0f, 2e-7f}, {1e-4f, 0.0f}, {1e-4f, inf}}) {
            WaveRecord record;
            record.SecondsPerDiv = perDiv;
            record.SecondsPerSample = perSample;
            QVERIFY(!ComputeWaveScene(record, {0, 5119}, DisplayFlags{1, 1, 1, 1, 1}));
        }
    }

    // Eleven horizontal lines, the centre one first; the vertical ones anchored on the
    // middle of the view, not on sample 0, and only the middle one without a whole division.
    void grid_data()
    {
        QTest::addColumn<GridCase>("c");
        QTest::newRow("full normal record") << GridCase{{0, 5119}, 59, 500, 11};
        QTest::newRow("view from 1000") << GridCase{{1000, 1000}, 1000, 100, 11};
        QTest::newRow("no whole division") << GridCase{{0, 8}, 4, 0, 1};
    }
    void grid()
    {
        QFETCH(GridCase, c);
        const auto scene = ComputeWaveScene(timedRecord(), c.view, DisplayFlags{1, 1, 0, 1, 1});
        std::vector<double> xs, ys, expectedXs;
        for (const SceneLine& line : scene->lines) {
            const bool vertical = line.x1 == line.x2;
            (vertical ? xs : ys).push_back(vertical ? line.x1 : line.y1);
            if (!vertical)
                QCOMPARE(line.x2, c.view.ScaleLeft + c.view.ScaleWidth);
            QCOMPARE(line.color, &line == &scene->lines.front() ? int(kCentreLineColor) : int(kGridColor));
        }
        QCOMPARE(scene->lines.front().y1, 0.0);
        std::sort(xs.begin(), xs.end());
        std::sort(ys.begin(), ys.end());
        for (int i = 0; i < c.countX; ++i)
            expectedXs.push_back(c.firstX + i * c.stepX);
        QCOMPARE(xs, expectedXs);
        QCOMPARE(ys, (std::vector<double>{-125, -100, -75, -50, -25, 0, 25, 50, 75, 100, 125}));
    }

    // Channel and line boxes count only when exactly 1, base when non-zero; channel 2's
    // trace comes last so that it lies on top.
    void layers_data()
    {
        QTest::addColumn<LayerCase>("c");
        QTest::newRow("all") << LayerCase{{1, 1, 1, 0, 1}, {kCh1BaseColor, kCh2BaseColor, kCh1TraceColor, kCh2TraceColor}, true};
        QTest::newRow("channel 1 greyed") << LayerCase{{2, 1, 1, 0, 1}, {kCh2BaseColor, kCh2TraceColor}, true};
        QTest::newRow("base greyed is on")
            << LayerCase{{1, 1, 2, 0, 0}, {kCh1BaseColor, kCh2BaseColor, kCh1TraceColor, kCh2TraceColor}, false};
        QTest::newRow("channel 2 off, line greyed: dots") << LayerCase{{1, 0, 1, 0, 2}, {kCh1BaseColor, kCh1TraceColor}, false};
    }
    void layers()
    {
        QFETCH(LayerCase, c);
        WaveRecord record = timedRecord();
        record.Ch1Offset = 12.5f;
        record.Ch2Offset = -30;
        const auto scene = ComputeWaveScene(record, {0, 5119}, c.flags);
        std::vector<int> colors;
        for (const SceneLine& line : scene->lines) {
            colors.push_back(line.color);
            QCOMPARE(line.y1, line.color == kCh1BaseColor ? 12.5 : -30.0);
        }
        for (const SceneTrace& trace : scene->traces) {
            colors.push_back(trace.color);
            QCOMPARE(trace.connected, c.connected);
        }
        QCOMPARE(colors, c.colors);
    }

    // The visible samples of channel 2 from the rounded left end: 21 points, so 20
    // segments, for a view 20 steps wide. However odd the view, only the table is read.
    void traceHoldsTheView_data()
    {
        QTest::addColumn<ViewCase>("c");
        QTest::newRow("20 steps") << ViewCase{{100.4, 20}, 100, 21, -120};
        QTest::newRow("before the start") << ViewCase{{-10, 20}, 0, 11, -10};
        QTest::newRow("wholly outside") << ViewCase{{200000, 20}, 200000, 0, 0};
        QTest::newRow("huge, past the end") << ViewCase{{0, 1e12}, 0, SampleTable::kCapacity, 0};
    }
    void traceHoldsTheView()
    {
        QFETCH(ViewCase, c);
        WaveRecord record = timedRecord();
        for (int i = 0; i < 200; ++i)
            record.Samples(2, i) = int16_t(-i);
        record.Ch2Offset = -25.5f;
        const auto scene = ComputeWaveScene(record, c.view, DisplayFlags{0, 1, 0, 0, 1});
        const SceneTrace& trace = scene->traces.front();
        QCOMPARE(trace.firstIndex, c.first);
        QCOMPARE(int(trace.values.size()), c.count);
        if (c.count > 0)
            QCOMPARE(trace.values.back(), int16_t(c.last));
        QCOMPARE(trace.offset, -25.5f);
    }
};

QTEST_GUILESS_MAIN(TestWaveScene)
#include "test_wave_scene.moc"
