#include "wave/WaveRecord.h"
#include "wave/WaveScene.h"

#include <QTest>

#include <algorithm>

namespace {

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

class TestWaveScene : public QObject {
    Q_OBJECT
private slots:
    void timeDivision_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<float>("secondsPerSample");
        QTest::addColumn<float>("divSamples");
        QTest::addColumn<QString>("label");
        QTest::newRow("full normal record") << 5119 << 2e-7f << 500.0f << "Time: 100us/DIV";
        QTest::newRow("1000 samples") << 1000 << 2e-7f << 100.0f << "Time: 20us/DIV";
        QTest::newRow("digit 6") << 3000 << 2e-7f << 300.0f << "Time: 60us/DIV";
        QTest::newRow("digit 9, not rounded up") << 4990 << 2e-7f << 450.0f << "Time: 90us/DIV";
        QTest::newRow("digit 7") << 3500 << 2e-7f << 350.0f << "Time: 70us/DIV";
        QTest::newRow("rounded to three digits first") << 19990 << 1e-6f << 2000.0f << "Time: 2ms/DIV";
        QTest::newRow("full long record") << 102399 << 5e-7f << 10000.0f << "Time: 5ms/DIV";
        QTest::newRow("narrower than 10 steps") << 9 << 2e-7f << 0.0f << "Time: 0 s/DIV";
    }
    void timeDivision()
    {
        QFETCH(int, width);
        QFETCH(float, secondsPerSample);
        QFETCH(float, divSamples);
        QFETCH(QString, label);
        const TimeDivision division = ComputeTimeDivision(width, secondsPerSample);
        QCOMPARE(division.DivSamples, divSamples);
        QCOMPARE(QString::fromStdString(division.label), label);
    }

    void nothingWithoutTimeBase_data()
    {
        QTest::addColumn<float>("secondsPerDiv");
        QTest::addColumn<float>("secondsPerSample");
        QTest::newRow("no sweep time") << 0.0f << 2e-7f;
        QTest::newRow("not refreshed") << 1e-4f << 0.0f;
        QTest::newRow("infinite") << 1e-4f << std::numeric_limits<float>::infinity();
    }
    void nothingWithoutTimeBase()
    {
        QFETCH(float, secondsPerDiv);
        QFETCH(float, secondsPerSample);
        WaveRecord record;
        record.SecondsPerDiv = secondsPerDiv;
        record.SecondsPerSample = secondsPerSample;
        QVERIFY(!ComputeWaveScene(record, {0, 5119}, DisplayFlags{1, 1, 1, 1, 1}));
    }

    void gridOfFullNormalRecord()
    {
        const auto scene = ComputeWaveScene(timedRecord(), {0, 5119}, DisplayFlags{1, 1, 0, 1, 1});
        QVERIFY(scene);
        QCOMPARE(scene->lines.size(), std::size_t(22));
        // The centre line first, in its own colour, then the five divisions each side.
        const SceneLine& centre = scene->lines.front();
        QCOMPARE(centre.color, int(kCentreLineColor));
        QCOMPARE(centre.y1, 0.0);
        QCOMPARE(centre.x2, 5119.0);
        std::vector<double> ys;
        for (const SceneLine& line : scene->lines)
            if (line.y1 == line.y2)
                ys.push_back(line.y1);
        std::sort(ys.begin(), ys.end());
        QCOMPARE(ys, (std::vector<double>{-125, -100, -75, -50, -25, 0, 25, 50, 75, 100, 125}));
        std::vector<double> xs;
        for (int x = 59; x <= 5059; x += 500)
            xs.push_back(x);
        QCOMPARE(verticalLines(*scene), xs);
        for (const SceneLine& line : scene->lines)
            if (line.x1 == line.x2)
                QCOMPARE(line.color, int(kGridColor));
    }

    // A zoomed view keeps the grid on its own middle, not on sample 0.
    void gridFollowsTheView()
    {
        const auto scene = ComputeWaveScene(timedRecord(), {1000, 1000}, DisplayFlags{1, 1, 0, 1, 1});
        QCOMPARE(verticalLines(*scene),
                 (std::vector<double>{1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800, 1900, 2000}));
    }

    void narrowViewHasOnlyTheCentreLine()
    {
        WaveRecord record = timedRecord();
        record.LastIndex = 8;
        const auto scene = ComputeWaveScene(record, {0, 8}, DisplayFlags{1, 1, 0, 1, 1});
        QCOMPARE(verticalLines(*scene), std::vector<double>{4});
    }

    void baselines_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("ch1");
        QTest::addColumn<int>("ch2");
        QTest::addColumn<QList<int>>("colors");
        QTest::newRow("both") << 1 << 1 << 1 << QList<int>{kCh1BaseColor, kCh2BaseColor};
        QTest::newRow("channel 2 unchecked") << 1 << 1 << 0 << QList<int>{kCh1BaseColor};
        QTest::newRow("channel 1 greyed") << 1 << 2 << 1 << QList<int>{kCh2BaseColor};
        QTest::newRow("greyed base counts as on") << 2 << 1 << 1 << QList<int>{kCh1BaseColor, kCh2BaseColor};
        QTest::newRow("base off") << 0 << 1 << 1 << QList<int>{};
    }
    void baselines()
    {
        QFETCH(int, base);
        QFETCH(int, ch1);
        QFETCH(int, ch2);
        QFETCH(QList<int>, colors);
        WaveRecord record = timedRecord();
        record.Ch1Offset = 12.5f;
        record.Ch2Offset = -30;
        const auto scene = ComputeWaveScene(record, {0, 5119}, DisplayFlags{ch1, ch2, base, 0, 1});
        QList<int> drawn;
        for (const SceneLine& line : scene->lines) {
            drawn.append(line.color);
            QCOMPARE(line.y1, line.color == kCh1BaseColor ? 12.5 : -30.0);
        }
        QCOMPARE(drawn, colors);
    }

    void traces_data()
    {
        QTest::addColumn<int>("ch1");
        QTest::addColumn<int>("ch2");
        QTest::addColumn<int>("line");
        QTest::addColumn<QList<int>>("colors");
        QTest::addColumn<bool>("connected");
        QTest::newRow("both as lines") << 1 << 1 << 1 << QList<int>{kCh1TraceColor, kCh2TraceColor} << true;
        QTest::newRow("greyed channel hidden") << 2 << 1 << 1 << QList<int>{kCh2TraceColor} << true;
        QTest::newRow("greyed line box gives dots") << 1 << 0 << 2 << QList<int>{kCh1TraceColor} << false;
        QTest::newRow("dots") << 1 << 1 << 0 << QList<int>{kCh1TraceColor, kCh2TraceColor} << false;
    }
    void traces()
    {
        QFETCH(int, ch1);
        QFETCH(int, ch2);
        QFETCH(int, line);
        QFETCH(QList<int>, colors);
        QFETCH(bool, connected);
        const auto scene = ComputeWaveScene(timedRecord(), {0, 5119}, DisplayFlags{ch1, ch2, 1, 1, line});
        QList<int> drawn;
        for (const SceneTrace& trace : scene->traces) {
            drawn.append(trace.color);
            QCOMPARE(trace.connected, connected);
        }
        QCOMPARE(drawn, colors);
    }

    // A view 20 steps wide holds 21 points: 20 segments per channel after the first
    // point, at the stored value plus the channel's offset.
    void traceHoldsTheView()
    {
        WaveRecord record = timedRecord();
        for (int i = 0; i < 200; ++i) {
            record.Samples(1, i) = int16_t(i);
            record.Samples(2, i) = int16_t(-i);
        }
        record.Ch2Offset = -25.5f;
        const auto scene = ComputeWaveScene(record, {100.4, 20}, DisplayFlags{1, 1, 0, 0, 1});
        QCOMPARE(scene->ViewLeft, 100);
        QCOMPARE(scene->ViewRight, 120);
        for (const SceneTrace& trace : scene->traces) {
            QCOMPARE(trace.firstIndex, 100);
            QCOMPARE(trace.values.size() - 1, std::size_t(20));
        }
        QCOMPARE(scene->traces[1].values.back(), int16_t(-120));
        QCOMPARE(scene->traces[1].offset, -25.5f);
    }

    // However odd the view, only the sample table is read.
    void traceStaysInsideTheTable_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("past the end") << 102990.0 << 100.0 << 102990 << 11;
        QTest::newRow("before the start") << -10.0 << 20.0 << 0 << 11;
        QTest::newRow("wholly outside") << 200000.0 << 20.0 << 200000 << 0;
        QTest::newRow("huge") << 0.0 << 1e12 << 0 << SampleTable::kCapacity;
    }
    void traceStaysInsideTheTable()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, first);
        QFETCH(int, count);
        const auto scene = ComputeWaveScene(timedRecord(), {left, width}, DisplayFlags{1, 0, 0, 1, 1});
        QCOMPARE(scene->traces[0].firstIndex, first);
        QCOMPARE(int(scene->traces[0].values.size()), count);
    }
};

QTEST_GUILESS_MAIN(TestWaveScene)
#include "test_wave_scene.moc"
