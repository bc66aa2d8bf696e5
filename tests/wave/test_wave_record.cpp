#include "wave/WaveRecord.h"

#include <QTest>

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

    void containsGuardsTheTable_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("inside");
        QTest::newRow("first") << 1 << 0 << true;
        QTest::newRow("last") << 2 << 103000 << true;
        QTest::newRow("past end") << 1 << 103001 << false;
        QTest::newRow("negative") << 2 << -1 << false;
        QTest::newRow("channel 0") << 0 << 5 << false;
        QTest::newRow("channel 3") << 3 << 5 << false;
    }
    void containsGuardsTheTable()
    {
        QFETCH(int, channel);
        QFETCH(int, index);
        QFETCH(bool, inside);
        QCOMPARE(SampleTable::contains(channel, index), inside);
    }
};

QTEST_APPLESS_MAIN(TestWaveRecord)
#include "test_wave_record.moc"
