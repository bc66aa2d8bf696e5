#include "analysis/WaveComparison.h"
#include "core/WaveRecord.h"

#include <QTest>
#include <cmath>

namespace {

// 5120 points of a sine of 90 counts, 100 us/DIV, CH1 at 0.5 V/DIV (0.02 V a count).
WaveRecord sineRecord()
{
    WaveRecord r;
    r.LastIndex = 5119;
    r.Ch2On = 0;
    r.Ch1VoltsPerDiv = 0.5f;
    r.SecondsPerDiv = 1e-4f;
    r.SecondsPerSample = 2e-7f;
    for (int i = 0; i <= r.LastIndex; ++i)
        r.Samples(1, i) = int16_t(std::lround(90 * std::sin(2 * M_PI * i / 1000.0)));
    return r;
}

} // namespace

class TestWaveComparison : public QObject {
    Q_OBJECT
private slots:
    // A against the sine B; the expected figures are worked out by hand from the change made.
    void deviation_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<double>("tolerance");   // < 0: none
        QTest::addColumn<double>("maxDeviation");
        QTest::addColumn<double>("rmsDeviation");
        QTest::addColumn<QList<int>>("outside");
        // +20 counts on samples 700..702: 0.4 V each, sqrt(3 x 0.16 / 5120) as RMS.
        const double glitchRms = std::sqrt(3 * 0.16 / 5120);
        QTest::newRow("glitch found and counted") << "glitch" << 0.2 << 0.4 << glitchRms << QList<int>{700, 701, 702};
        QTest::newRow("glitch inside a wide band") << "glitch" << 0.4 << 0.4 << glitchRms << QList<int>{};
        QTest::newRow("glitch, no tolerance") << "glitch" << -1.0 << 0.4 << glitchRms << QList<int>{};
        QTest::newRow("other offset, same signal") << "offset" << 0.0 << 0.0 << 0.0 << QList<int>{};
        QTest::newRow("1 V/DIV at twice the counts") << "range" << 0.0 << 0.0 << 0.0 << QList<int>{};
        QTest::newRow("fresh capture holding its offset") << "fresh" << 0.0 << 0.0 << 0.0 << QList<int>{};
        // One count at 0.2 V/DIV is 8 mV: on the tolerance is inside, just above it outside.
        QTest::newRow("one count on the tolerance") << "count" << 0.008 << 0.008 << 0.008 << QList<int>{};
        QList<int> all;
        for (int i = 0; i <= 5119; ++i)
            all << i;
        QTest::newRow("one count above the tolerance") << "count" << 0.0079 << 0.008 << 0.008 << all;
    }
    void deviation()
    {
        QFETCH(QString, change);
        QFETCH(double, tolerance);
        QFETCH(double, maxDeviation);
        QFETCH(double, rmsDeviation);
        QFETCH(QList<int>, outside);
        WaveRecord b = sineRecord();
        if (change == "count")
            b.Ch1VoltsPerDiv = 0.2f;
        WaveRecord a = b;
        if (change == "glitch") {
            for (int i : {700, 701, 702})
                a.Samples(1, i) = int16_t(a.Samples(1, i) + 20);
        } else if (change == "offset") {
            a.Ch1Offset = 37.5f;
        } else if (change == "range") {
            a.Ch1VoltsPerDiv = 0.25f;
            for (int i = 0; i <= a.LastIndex; ++i)
                a.Samples(1, i) = int16_t(2 * b.Samples(1, i));
        } else if (change == "fresh") {
            a.FreshCapture = kTrue;
            a.Ch1Offset = -25;
            for (int i = 0; i <= a.LastIndex; ++i)
                a.Samples(1, i) = int16_t(b.Samples(1, i) - 25);
        } else if (change == "count") {
            for (int i = 0; i <= a.LastIndex; ++i)
                a.Samples(1, i) = int16_t(b.Samples(1, i) + 1);
        }
        const std::optional<double> limit = tolerance < 0 ? std::nullopt : std::optional(tolerance);
        const WaveComparison result = CompareRecords(a, b, limit);
        QVERIFY2(result.comparable(), result.problem.c_str());
        QCOMPARE(result.channels.size(), std::size_t(1));
        const ChannelDeviation& ch1 = result.channels[0];
        QCOMPARE(ch1.channel, 1);
        QCOMPARE(ch1.points, 5120);
        QVERIFY2(std::abs(ch1.maxDeviation - maxDeviation) < 1e-12, qPrintable(QString::number(ch1.maxDeviation)));
        QVERIFY2(std::abs(ch1.rmsDeviation - rmsDeviation) < 1e-12, qPrintable(QString::number(ch1.rmsDeviation)));
        QCOMPARE(ch1.outside.has_value(), limit.has_value());
        QCOMPARE(result.pass.has_value(), limit.has_value());
        if (limit) {
            QCOMPARE(QList<int>(ch1.outside->begin(), ch1.outside->end()), outside);
            QCOMPARE(*result.pass, outside.isEmpty());
        }
    }

    // Records that cannot be compared: every difference is named, nothing is compared.
    void refusal_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("length") << "length" << QStringList{"データ数が違います（A: 102400 点、B: 5120 点）"};
        QTest::newRow("seconds per sample") << "rate" << QStringList{"サンプル間隔が違います（A: 400ns、B: 200ns）"};
        QTest::newRow("time base on one side") << "no time base" << QStringList{"サンプル間隔", "時間軸なし"};
        QTest::newRow("channels") << "channels" << QStringList{"チャンネルが違います（A: CH1、CH2、B: CH1）"};
        QTest::newRow("no channel") << "none" << QStringList{"比較するチャンネルがありません"};
        QTest::newRow("no V/DIV") << "no range" << QStringList{"A の CH1 に V/DIV がありません"};
        QTest::newRow("all at once") << "length+rate+channels" << QStringList{"データ数", "サンプル間隔", "チャンネル"};
    }
    void refusal()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, named);
        WaveRecord b = sineRecord();
        WaveRecord a = b;
        if (change.contains("length"))
            a.LastIndex = 102399;
        if (change.contains("rate"))
            a.SecondsPerSample = 4e-7f;
        if (change == "no time base")
            a.SecondsPerDiv = 0;
        if (change.contains("channels"))
            a.Ch2On = 1;
        if (change == "none")
            a.Ch1On = b.Ch1On = 0;
        if (change == "no range")
            a.Ch1VoltsPerDiv = 0;
        const WaveComparison result = CompareRecords(a, b, 0.1);
        QVERIFY(!result.comparable());
        QVERIFY(result.channels.empty());
        QVERIFY(!result.pass);
        for (const QString& part : named)
            QVERIFY2(QString::fromStdString(result.problem).contains(part), result.problem.c_str());
    }

    // A tolerance as typed: prefixed forms land on the same double as the plain decimal.
    void tolerance_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("volts");   // < 0: refused
        QTest::newRow("plain") << "0.05" << 0.05;
        QTest::newRow("milli") << "50m" << 0.05;
        QTest::newRow("milli with unit and spaces") << " 50 mV " << 0.05;
        QTest::newRow("micro sign") << "250µ" << 250e-6;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("empty") << "" << -1.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("word") << "abc" << -1.0;
        QTest::newRow("two prefixes") << "5mm" << -1.0;
        QTest::newRow("infinite") << "1e999" << -1.0;
    }
    void tolerance()
    {
        QFETCH(QString, text);
        QFETCH(double, volts);
        const std::optional<double> read = ParseTolerance(text.toStdString());
        QCOMPARE(read.has_value(), volts >= 0);
        if (read)
            QCOMPARE(*read, volts);
    }
};

QTEST_GUILESS_MAIN(TestWaveComparison)
#include "test_wave_comparison.moc"
