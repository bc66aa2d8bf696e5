// The comparison where miravo-cli compare's files cannot go (tests/cli/test_cli_compare has
// the rest): a fresh capture still holds its samples at their screen positions.

#include "analysis/WaveComparison.h"
#include "core/WaveRecord.h"

#include <QTest>
#include <memory>

class TestWaveComparison : public QObject {
    Q_OBJECT
private slots:
    // The same signal, once offset-free and once fresh at an offset of -25 counts: equal.
    void freshCaptureHoldsItsOffset()
    {
        auto b = std::make_unique<WaveRecord>();
        b->LastIndex = 99;
        b->Ch2On = 0;
        b->Ch1VoltsPerDiv = 0.5f;
        auto a = std::make_unique<WaveRecord>(*b);
        a->FreshCapture = kTrue;
        a->Ch1Offset = -25;
        for (int i = 0; i <= b->LastIndex; ++i) {
            b->Samples(1, i) = int16_t(i % 7);
            a->Samples(1, i) = int16_t(i % 7 - 25);
        }
        const WaveComparison result = CompareRecords(*a, *b, 0.0);
        QCOMPARE(result.channels.size(), std::size_t(1));
        QCOMPARE(result.channels[0].maxDeviation, 0.0);
        QCOMPARE(result.pass, std::optional(true));
    }
};

QTEST_GUILESS_MAIN(TestWaveComparison)
#include "test_wave_comparison.moc"
