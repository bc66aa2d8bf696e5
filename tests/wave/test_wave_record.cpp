#include "wave/WaveRecord.h"

#include <QTest>

class TestWaveRecord : public QObject {
    Q_OBJECT
private slots:
    void startValues()
    {
        const WaveRecord record;
        QCOMPARE(record.LastIndex, 5119);
        QCOMPARE(record.Ch1On, int16_t(1));
        QCOMPARE(record.Ch2On, int16_t(1));
        QCOMPARE(record.SecondsPerDiv, 0.0f);
        QCOMPARE(record.SecondsPerSample, 0.0f);
        QCOMPARE(record.FreshCapture, kFalse);
        QCOMPARE(record.ParamsLocked, kFalse);
        QVERIFY(record.Title.empty());
        for (int16_t v : record.Samples.interleaved())
            QCOMPARE(v, int16_t(0));
    }

    // The two channels of one index sit side by side, channel 1 first.
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

    void copiesAreIndependent()
    {
        WaveRecord a;
        a.Samples(1, 7) = 5;
        WaveRecord b = a;
        b.Samples(1, 7) = 6;
        QCOMPARE(a.Samples(1, 7), int16_t(5));
        QVERIFY(!(a == b));
    }
};

QTEST_APPLESS_MAIN(TestWaveRecord)
#include "test_wave_record.moc"
