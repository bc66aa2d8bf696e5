// The comparison on records made here, for what miravo-cli compare's files cannot hold: a
// fresh capture, ranges scaled, the edge of the tolerance, refusals that name every
// difference. (The glitch, the offsets and each refusal alone: tests/cli/test_cli_compare.)

#include "analysis/WaveComparison.h"
#include "core/WaveRecord.h"

#include <QTest>
#include <cmath>
#include <memory>

class TestWaveComparison : public QObject {
    Q_OBJECT
private slots:
    // A against B, a sine of 90 counts on CH1 at `vpd`; the figures worked out from the change.
    void deviation_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<float>("vpd");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<double>("maxDeviation");
        QTest::addColumn<int>("outside");
        QTest::newRow("glitch of three samples") << "glitch" << 0.5f << 0.2 << 0.4 << 3;   // 20 counts of 20 mV
        QTest::newRow("half the V/DIV at twice the counts") << "range" << 0.5f << 0.0 << 0.0 << 0;
        QTest::newRow("fresh capture holding its offset") << "fresh" << 0.5f << 0.0 << 0.0 << 0;
        // One count at 0.2 V/DIV is 8 mV: on the tolerance is inside, just above it outside.
        QTest::newRow("one count on the tolerance") << "count" << 0.2f << 0.008 << 0.008 << 0;
        QTest::newRow("one count above the tolerance") << "count" << 0.2f << 0.0079 << 0.008 << 5120;
    }
    void deviation()
    {
        QFETCH(QString, change);
        QFETCH(float, vpd);
        QFETCH(double, tolerance);
        QFETCH(double, maxDeviation);
        QFETCH(int, outside);
        auto b = std::make_unique<WaveRecord>();
        b->LastIndex = 5119;
        b->Ch2On = 0;
        b->Ch1VoltsPerDiv = vpd;
        b->SecondsPerDiv = 1e-4f;
        b->SecondsPerSample = 2e-7f;
        for (int i = 0; i <= b->LastIndex; ++i)
            b->Samples(1, i) = int16_t(std::lround(90 * std::sin(2 * M_PI * i / 1000.0)));
        auto a = std::make_unique<WaveRecord>(*b);
        if (change == "range")
            a->Ch1VoltsPerDiv = vpd / 2;
        if (change == "fresh") {
            a->FreshCapture = kTrue;
            a->Ch1Offset = -25;
        }
        for (int i = 0; i <= a->LastIndex; ++i) {
            int16_t& sample = a->Samples(1, i);
            if (change == "range")
                sample = int16_t(2 * sample);
            else if (change == "fresh")
                sample = int16_t(sample - 25);
            else if (change == "count" || (change == "glitch" && i >= 700 && i <= 702))
                sample = int16_t(sample + (change == "count" ? 1 : 20));
        }
        const WaveComparison result = CompareRecords(*a, *b, tolerance);
        QVERIFY2(result.comparable(), result.problem.c_str());
        QCOMPARE(result.channels.size(), std::size_t(1));
        QCOMPARE(result.channels[0].points, 5120);
        QVERIFY2(std::abs(result.channels[0].maxDeviation - maxDeviation) < 1e-12,
                 qPrintable(QString::number(result.channels[0].maxDeviation)));
        QCOMPARE(result.channels[0].pointsOutside(), std::optional(outside));
        QCOMPARE(result.pass, std::optional(outside == 0));
    }

    // Everything that differs is named at once; nothing is compared then.
    void refusal_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("named");
        QTest::newRow("length, rate, channels")
            << "all" << "データ数が違います（A: 102400 点、B: 5120 点）。サンプル間隔が違います（A: 400ns、B: 時間軸なし）。"
                        "チャンネルが違います（A: CH1、CH2、B: CH1）。";
        QTest::newRow("no channel") << "none" << "比較するチャンネルがありません。";
        QTest::newRow("no V/DIV") << "no range" << "A の CH1 に V/DIV がありません。";
    }
    void refusal()
    {
        QFETCH(QString, change);
        QFETCH(QString, named);
        auto b = std::make_unique<WaveRecord>();
        b->Ch2On = 0;
        b->Ch1VoltsPerDiv = 1;
        auto a = std::make_unique<WaveRecord>(*b);
        if (change == "all") {
            a->LastIndex = 102399;
            a->SecondsPerDiv = 4e-3f;
            a->SecondsPerSample = 4e-7f;
            a->Ch2On = 1;
        }
        if (change == "none")
            a->Ch1On = b->Ch1On = 0;
        if (change == "no range")
            a->Ch1VoltsPerDiv = 0;
        const WaveComparison result = CompareRecords(*a, *b, 0.1);
        QCOMPARE(QString::fromStdString(result.problem), named);
        QVERIFY(result.channels.empty());
        QVERIFY(!result.pass);
    }
};

QTEST_GUILESS_MAIN(TestWaveComparison)
#include "test_wave_comparison.moc"
