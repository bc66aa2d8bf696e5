#include "wave/WaveRecord.h"
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

struct LayerCase {
    DisplayFlags flags;
    std::vector<int> lineColors;    // bottom to top, grid off
    std::vector<int> traceColors;
    bool connected;
};

struct ViewCase {
    WaveScale view;
    int first;
    int count;
};

WaveRecord timedRecord()
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-4f;
    record.SecondsPerSample = 2e-7f;
    return record;
}

std::vector<double> verticalLines(const WaveScene& scene)
{
    std::vector<double> xs;
    for (const SceneLine& line : scene.lines)
        if (line.x1 == line.x2)
            xs.push_back(line.x1);
    std::sort(xs.begin(), xs.end());
    return xs;
}

} // namespace

Q_DECLARE_METATYPE(DivisionCase)
Q_DECLARE_METATYPE(LayerCase)
Q_DECLARE_METATYPE(ViewCase)

class TestWaveScene : public QObject {
    Q_OBJECT
private slots:
    void timeDivision_data()
    {
        QTest::addColumn<DivisionCase>("c");
        QTest::newRow("full normal record") << DivisionCase{5119, 2e-7f, 500, "Time: 100us/DIV"};
        QTest::newRow("1000 samples") << DivisionCase{1000, 2e-7f, 100, "Time: 20us/DIV"};
        QTest::newRow("digit 6") << DivisionCase{3000, 2e-7f, 300, "Time: 60us/DIV"};
        QTest::newRow("digit 9, not rounded up") << DivisionCase{4990, 2e-7f, 450, "Time: 90us/DIV"};
        QTest::newRow("digit 7") << DivisionCase{3500, 2e-7f, 350, "Time: 70us/DIV"};
        QTest::newRow("three digits first") << DivisionCase{19990, 1e-6f, 2000, "Time: 2ms/DIV"};
        QTest::newRow("full long record") << DivisionCase{102399, 5e-7f, 10000, "Time: 5ms/DIV"};
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
        for (float secondsPerSample : {0.0f, std::numeric_limits<float>::infinity()}) {
            WaveRecord record = timedRecord();
            record.SecondsPerSample = secondsPerSample;
            QVERIFY(!ComputeWaveScene(record, {0, 5119}, DisplayFlags{1, 1, 1, 1, 1}));
        }
        WaveRecord record = timedRecord();
        record.SecondsPerDiv = 0;
        QVERIFY(!ComputeWaveScene(record, {0, 5119}, DisplayFlags{1, 1, 1, 1, 1}));
    }

    void gridOfFullNormalRecord()
    {
        const auto scene = ComputeWaveScene(timedRecord(), {0, 5119}, DisplayFlags{1, 1, 0, 1, 1});
        const SceneLine& centre = scene->lines.front();
        QCOMPARE(centre.color, int(kCentreLineColor));
        QCOMPARE(centre.y1, 0.0);
        QCOMPARE(centre.x2, 5119.0);
        std::vector<double> ys;
        for (const SceneLine& line : scene->lines) {
            if (line.y1 == line.y2)
                ys.push_back(line.y1);
            QCOMPARE(line.color, &line == &centre ? int(kCentreLineColor) : int(kGridColor));
        }
        std::sort(ys.begin(), ys.end());
        QCOMPARE(ys, (std::vector<double>{-125, -100, -75, -50, -25, 0, 25, 50, 75, 100, 125}));
        std::vector<double> xs;
        for (int x = 59; x <= 5059; x += 500)
            xs.push_back(x);
        QCOMPARE(verticalLines(*scene), xs);
    }

    // Anchored on the middle of the view, not on sample 0; a view without a whole
    // division keeps only the middle line.
    void gridFollowsTheView()
    {
        auto scene = ComputeWaveScene(timedRecord(), {1000, 1000}, DisplayFlags{1, 1, 0, 1, 1});
        QCOMPARE(verticalLines(*scene),
                 (std::vector<double>{1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800, 1900, 2000}));
        scene = ComputeWaveScene(timedRecord(), {0, 8}, DisplayFlags{1, 1, 0, 1, 1});
        QCOMPARE(verticalLines(*scene), std::vector<double>{4});
    }

    // Channel and line boxes count only when exactly 1, base when non-zero.
    void layers_data()
    {
        QTest::addColumn<LayerCase>("c");
        QTest::newRow("all") << LayerCase{{1, 1, 1, 0, 1}, {kCh1BaseColor, kCh2BaseColor}, {kCh1TraceColor, kCh2TraceColor}, true};
        QTest::newRow("channel 2 off") << LayerCase{{1, 0, 1, 0, 1}, {kCh1BaseColor}, {kCh1TraceColor}, true};
        QTest::newRow("channel 1 greyed") << LayerCase{{2, 1, 1, 0, 1}, {kCh2BaseColor}, {kCh2TraceColor}, true};
        QTest::newRow("base greyed is on") << LayerCase{{1, 1, 2, 0, 0}, {kCh1BaseColor, kCh2BaseColor}, {kCh1TraceColor, kCh2TraceColor}, false};
        QTest::newRow("line greyed: dots") << LayerCase{{1, 0, 0, 0, 2}, {}, {kCh1TraceColor}, false};
    }
    void layers()
    {
        QFETCH(LayerCase, c);
        WaveRecord record = timedRecord();
        record.Ch1Offset = 12.5f;
        record.Ch2Offset = -30;
        const auto scene = ComputeWaveScene(record, {0, 5119}, c.flags);
        std::vector<int> lineColors;
        for (const SceneLine& line : scene->lines) {
            lineColors.push_back(line.color);
            QCOMPARE(line.y1, line.color == kCh1BaseColor ? 12.5 : -30.0);
        }
        QCOMPARE(lineColors, c.lineColors);
        std::vector<int> traceColors;
        for (const SceneTrace& trace : scene->traces) {
            traceColors.push_back(trace.color);
            QCOMPARE(trace.connected, c.connected);
        }
        QCOMPARE(traceColors, c.traceColors);
    }

    // A view 20 steps wide holds 21 points: 20 segments after the first point.
    void traceHoldsTheView()
    {
        WaveRecord record = timedRecord();
        for (int i = 0; i < 200; ++i)
            record.Samples(2, i) = int16_t(-i);
        record.Ch2Offset = -25.5f;
        const auto scene = ComputeWaveScene(record, {100.4, 20}, DisplayFlags{0, 1, 0, 0, 1});
        const SceneTrace& trace = scene->traces.front();
        QCOMPARE(trace.firstIndex, 100);
        QCOMPARE(trace.values.size() - 1, std::size_t(20));
        QCOMPARE(trace.values.back(), int16_t(-120));
        QCOMPARE(trace.offset, -25.5f);
    }

    // However odd the view, only the sample table is read.
    void traceStaysInsideTheTable_data()
    {
        QTest::addColumn<ViewCase>("c");
        QTest::newRow("past the end") << ViewCase{{102990, 100}, 102990, 11};
        QTest::newRow("before the start") << ViewCase{{-10, 20}, 0, 11};
        QTest::newRow("wholly outside") << ViewCase{{200000, 20}, 200000, 0};
        QTest::newRow("huge") << ViewCase{{0, 1e12}, 0, SampleTable::kCapacity};
    }
    void traceStaysInsideTheTable()
    {
        QFETCH(ViewCase, c);
        const auto scene = ComputeWaveScene(timedRecord(), c.view, DisplayFlags{1, 0, 0, 1, 1});
        QCOMPARE(scene->traces[0].firstIndex, c.first);
        QCOMPARE(int(scene->traces[0].values.size()), c.count);
    }
};

QTEST_GUILESS_MAIN(TestWaveScene)
#include "test_wave_scene.moc"
