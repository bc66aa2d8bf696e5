// Capture plans, applying downloaded blocks to the record, the progress estimate, and
// the timer of long waits.

#include "document/AcquisitionCapture.h"
#include "document/AcquisitionEstimate.h"
#include "document/LongTimer.h"
#include "support/SampleWaves.h"

#include <QSignalSpy>
#include <QTest>

namespace {

WaveRecord previousRecord()
{
    WaveRecord record;
    FillNoise(record, 102399);
    record.Ch1On = 0;
    record.Ch2On = 0;
    record.ParamsLocked = kTrue;
    record.SecondsPerDiv = 1e-3f;
    record.Ch1Offset = 12.5f;
    return record;
}

// ch1, ch2: check-box values: 0 unchecked, 1 checked, 2 greyed.
struct ApplyCase { int ch1, ch2, length; QList<int> channels; int points; };

// ch1, ch2: the plan's check boxes, normal length.
struct BlockCase { int ch1, ch2, firstChannel, firstSize; bool firstTaken; };

} // namespace


class TestAcquisitionCapture : public QObject {
    Q_OBJECT
private slots:
    void appliesRawSignedSamples_data()
    {
        QTest::addColumn<ApplyCase>("c");

        QTest::newRow("both, long") << ApplyCase{1, 1, 1, QList<int>{1, 2}, 102400};
        QTest::newRow("greyed CH1 alone keeps channel 2") << ApplyCase{2, 0, 2, QList<int>{1}, 102400};
        QTest::newRow("CH2 alone keeps channel 1") << ApplyCase{0, 1, 0, QList<int>{2}, 5120};
    }
    void appliesRawSignedSamples()
    {
        QFETCH(ApplyCase, c);
        auto& [ch1, ch2, length, channels, points] = c;

        // A block of another size or channel than planned is refused, so these adds check the plan.
        CaptureBytes capture(PlanCapture(ch1, ch2, length));
        // Raw bytes are two's complement: 0x80 is -128, 0xFF is -1.
        const QList<int16_t> head[2] = {{127, -128, -1}, {0, 1, -2}};
        for (int channel : channels) {
            QVERIFY(!capture.complete());
            QByteArray bytes(points, char(0x10));
            for (int i = 0; i < 3; ++i)
                bytes[i] = char(head[channel - 1][i]);
            QVERIFY(capture.add(channel, bytes));
        }

        const WaveRecord before = previousRecord();
        WaveRecord record = before;
        QVERIFY(capture.applyTo(record));
        QCOMPARE(record.LastIndex, points - 1);
        QCOMPARE(record.FreshCapture, kTrue);
        QCOMPARE(record.ParamsLocked, kFalse);
        QCOMPARE(record.Ch1On, int16_t(channels.contains(1) ? 1 : 0));
        QCOMPARE(record.Ch2On, int16_t(channels.contains(2) ? 1 : 0));
        // The acquisition parameters are the user's to enter afterwards.
        QCOMPARE(record.SecondsPerDiv, before.SecondsPerDiv);
        QCOMPARE(record.Ch1Offset, before.Ch1Offset);
        for (int channel = 1; channel <= 2; ++channel) {
            const bool taken = channels.contains(channel);
            for (int i = 0; i <= SampleTable::kMaxSampleIndex; ++i) {
                // Beyond the capture, and in a channel not captured, the table keeps what it held.
                const int16_t expected = !taken || i >= points ? before.Samples(channel, i) : i < 3 ? head[channel - 1][i] : 0x10;
                if (record.Samples(channel, i) != expected)
                    QFAIL(qPrintable(QStringLiteral("channel %1 sample %2").arg(channel).arg(i)));
            }
        }
    }
    void incompleteOrWrongBlocksChangeNothing_data()
    {
        QTest::addColumn<BlockCase>("c");

        QTest::newRow("second channel missing") << BlockCase{1, 1, 1, 5120, true};
        QTest::newRow("short block") << BlockCase{1, 1, 1, 5119, false};
        QTest::newRow("channel out of order") << BlockCase{1, 1, 2, 5120, false};
        QTest::newRow("nothing planned") << BlockCase{0, 0, 1, 5120, false};
    }
    void incompleteOrWrongBlocksChangeNothing()
    {
        QFETCH(BlockCase, c);
        auto& [ch1, ch2, firstChannel, firstSize, firstTaken] = c;

        CaptureBytes capture(PlanCapture(ch1, ch2, 0));
        QCOMPARE(capture.add(firstChannel, QByteArray(firstSize, char(0x40))), firstTaken);
        const WaveRecord before = previousRecord();
        WaveRecord record = before;
        QVERIFY(!capture.applyTo(record));
        QVERIFY(record == before);
    }
    void progressText_data()
    {
        // channel, its index and the channels in the capture, bytes received of 102400, ms so far
        QTest::addColumn<TransferProgress>("progress");
        QTest::addColumn<QString>("text");

        // Seconds left = bytes left over the rate so far, rounded up.
        QTest::newRow("half of the first of two") << TransferProgress{1, 0, 2, 51200, 102400, 4450} << "CH1 受信中　51200 / 102400 バイト　残り約14秒";
        QTest::newRow("start of the second of two") << TransferProgress{2, 1, 2, 0, 102400, 9000} << "CH2 受信中　0 / 102400 バイト　残り約9秒";
        QTest::newRow("minutes") << TransferProgress{1, 0, 1, 10240, 102400, 12000} << "CH1 受信中　10240 / 102400 バイト　残り約1分48秒";
        QTest::newRow("nothing yet") << TransferProgress{1, 0, 2, 0, 102400, 5000} << "CH1 受信中　0 / 102400 バイト　残り時間を計算中";
        QTest::newRow("too early to tell") << TransferProgress{1, 0, 1, 3000, 102400, 50} << "CH1 受信中　3000 / 102400 バイト　残り時間を計算中";
    }
    void progressText()
    {
        QFETCH(TransferProgress, progress);
        QFETCH(QString, text);
        QCOMPARE(ProgressText(progress), text);
    }

    // A wait a QTimer cannot hold (it refuses 2^31 ms and more) is still running; a
    // short one ends once.
    void longTimerHoldsLongWaits()
    {
        LongTimer month;
        month.start(std::chrono::days(30));
        QVERIFY(month.isActive());
        LongTimer shortWait;
        QSignalSpy ended(&shortWait, &LongTimer::timeout);
        shortWait.start(std::chrono::milliseconds(20));
        QVERIFY(ended.wait(2000));
        QTest::qWait(50);
        QCOMPARE(ended.size(), 1);
        QVERIFY(!shortWait.isActive());
    }
};

QTEST_GUILESS_MAIN(TestAcquisitionCapture)
#include "test_acquisition_capture.moc"
