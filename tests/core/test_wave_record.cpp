#include "core/WaveRecord.h"

#include <QTest>

// The guard of every sample access: channels 1 and 2, indexes 0..103000.
static_assert(SampleTable::contains(1, 0) && SampleTable::contains(2, 103000));
static_assert(!SampleTable::contains(1, 103001) && !SampleTable::contains(2, -1));
static_assert(!SampleTable::contains(0, 5) && !SampleTable::contains(3, 5));

class TestWaveRecord : public QObject {
    Q_OBJECT
private slots:
    // The two channels of one index sit side by side, channel 1 first, up to the last
    // index of the table.
    void samplesAreInterleavedByIndex()
    {
        WaveRecord record;
        record.Samples(1, 0) = 11;
        record.Samples(2, 0) = 21;
        record.Samples(1, SampleTable::kMaxSampleIndex) = -128;
        record.Samples(2, SampleTable::kMaxSampleIndex) = 127;
        const auto raw = record.Samples.interleaved();
        QCOMPARE(raw.size(), std::size_t(2 * 103001));
        QCOMPARE(raw[0], int16_t(11));
        QCOMPARE(raw[1], int16_t(21));
        QCOMPARE(raw[2 * 103000], int16_t(-128));
        QCOMPARE(raw[2 * 103000 + 1], int16_t(127));
    }
};

QTEST_APPLESS_MAIN(TestWaveRecord)
#include "test_wave_record.moc"
