#include "analysis/WaveStats.h"
#include "core/WaveRecord.h"

#include <QTest>
#include <cmath>
#include <random>

struct SineCase { int lastIndex; double amplitude, period; int noise; bool frequency; };

class TestWaveStats : public QObject {
    Q_OBJECT
private slots:
    // A sine of known amplitude and period (in samples) with noise of +-noise counts: the
    // extremes within one count, the frequency within one sample over the record.
    void sine_data()
    {
        QTest::addColumn<SineCase>("c");
        QTest::newRow("normal, part period") << SineCase{5119, 90.0, 1000.3, 0, true};
        QTest::newRow("long, fine period") << SineCase{102399, 40.0, 37.7, 3, true};
        QTest::newRow("two periods") << SineCase{5119, 60.0, 2200.0, 0, true};
        QTest::newRow("under two periods") << SineCase{5119, 60.0, 2400.0, 0, false};
        QTest::newRow("flat") << SineCase{5119, 0.0, 100.0, 0, false};
    }
    void sine()
    {
        QFETCH(SineCase, c);
        auto& [lastIndex, amplitude, period, noise, frequency] = c;
        WaveRecord record;
        record.LastIndex = lastIndex;
        record.Ch2VoltsPerDiv = 0.5f;   // 0.02 V a count
        record.SecondsPerSample = 2e-7f;
        std::mt19937 random(5);
        for (int i = 0; i <= lastIndex; ++i) {
            const int jitter = noise ? int(random() % (2 * noise + 1)) - noise : 0;
            record.Samples(2, i) = int16_t(std::lround(amplitude * std::sin(2 * M_PI * i / period - M_PI / 2)) + jitter);
        }
        const ChannelStats s = ComputeChannelStats(record, 2);
        const double count = 0.02;
        QVERIFY2(std::abs(s.maximum - amplitude * count) <= (1 + noise) * count + 1e-9, qPrintable(QString::number(s.maximum)));
        QVERIFY(std::abs(s.minimum + amplitude * count) <= (1 + noise) * count + 1e-9);
        // A part period at the end moves the mean and the RMS by up to this much.
        const double partPeriod = amplitude * period / (M_PI * (lastIndex + 1)) * count + count;
        QVERIFY(std::abs(s.mean) <= partPeriod);
        QVERIFY(std::abs(s.rms - std::sqrt(amplitude * amplitude / 2 + noise * (noise + 1) / 3.0) * count) <= partPeriod);
        QCOMPARE(s.frequency.has_value(), frequency);
        if (frequency) {
            // Over the whole periods seen, the crossings are off by at most one sample.
            const double measuredPeriod = 1 / (*s.frequency * record.SecondsPerSample);
            const double periods = std::floor((lastIndex - period / 2) / period);
            QVERIFY2(std::abs(measuredPeriod - period) * periods <= 1, qPrintable(QString::number(measuredPeriod)));
        }
    }
};

QTEST_GUILESS_MAIN(TestWaveStats)
#include "test_wave_stats.moc"
