// Capture plans, applying downloaded blocks to the record, and the progress estimate.

#include "app/AcquisitionCapture.h"
#include "app/AcquisitionEstimate.h"

#include <QTest>

namespace {

QByteArray block(int points, char first, char second, char third)
{
    QByteArray bytes(points, char(0x10));
    bytes[0] = first;
    bytes[1] = second;
    bytes[2] = third;
    return bytes;
}

WaveRecord previousRecord()
{
    WaveRecord record;
    record.LastIndex = 102399;
    record.Ch1On = 0;
    record.Ch2On = 0;
    record.ParamsLocked = kTrue;
    record.SecondsPerDiv = 1e-3f;
    record.Ch1Offset = 12.5f;
    for (int i = 0; i <= 102399; i += 997) {
        record.Samples(1, i) = int16_t(i % 200 - 100);
        record.Samples(2, i) = int16_t(-(i % 100));
    }
    return record;
}

} // namespace

Q_DECLARE_METATYPE(QList<int>)

class TestAcquisitionCapture : public QObject {
    Q_OBJECT
private slots:
    void plan_data();
    void plan();
    void appliesRawSignedSamples_data();
    void appliesRawSignedSamples();
    void incompleteOrWrongBlocksChangeNothing_data();
    void incompleteOrWrongBlocksChangeNothing();
    void secondsLeft_data();
    void secondsLeft();
    void progressText_data();
    void progressText();
};

void TestAcquisitionCapture::plan_data()
{
    QTest::addColumn<int>("ch1");
    QTest::addColumn<int>("ch2");
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<int>("points");

    QTest::newRow("both, long") << 1 << 1 << 1 << QList<int>{1, 2} << 102400;
    QTest::newRow("greyed boxes count as checked") << 2 << 0 << 2 << QList<int>{1} << 102400;
    QTest::newRow("channel 2 only, normal") << 0 << 1 << 0 << QList<int>{2} << 5120;
}

void TestAcquisitionCapture::plan()
{
    QFETCH(int, ch1);
    QFETCH(int, ch2);
    QFETCH(int, length);
    QFETCH(QList<int>, channels);
    QFETCH(int, points);

    const CapturePlan plan = PlanCapture(ch1, ch2, length);
    QCOMPARE(plan.channels, channels);
    QCOMPARE(plan.points, points);
}

void TestAcquisitionCapture::appliesRawSignedSamples_data()
{
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<int>("points");

    QTest::newRow("both channels, long") << QList<int>{1, 2} << 102400;
    QTest::newRow("channel 2 alone keeps channel 1") << QList<int>{2} << 5120;
    QTest::newRow("channel 1 alone keeps channel 2") << QList<int>{1} << 102400;
}

void TestAcquisitionCapture::appliesRawSignedSamples()
{
    QFETCH(QList<int>, channels);
    QFETCH(int, points);

    CapturePlan plan;
    plan.channels = channels;
    plan.points = points;
    CaptureBytes capture(plan);
    for (int channel : channels) {
        QVERIFY(!capture.complete());
        QVERIFY(capture.add(channel, channel == 1 ? block(points, 0x7F, char(0x80), char(0xFF))
                                                  : block(points, 0x00, 0x01, char(0xFE))));
    }
    QVERIFY(capture.complete());

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
        if (!channels.contains(channel)) {
            for (int i = 0; i <= SampleTable::kMaxSampleIndex; ++i)
                QCOMPARE(record.Samples(channel, i), before.Samples(channel, i));
            continue;
        }
        const QList<int16_t> head = channel == 1 ? QList<int16_t>{127, -128, -1} : QList<int16_t>{0, 1, -2};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(record.Samples(channel, i), head[i]);
        QCOMPARE(record.Samples(channel, points - 1), int16_t(0x10));
        // Beyond the capture the table keeps what it held.
        QCOMPARE(record.Samples(channel, points), before.Samples(channel, points));
    }
}

void TestAcquisitionCapture::incompleteOrWrongBlocksChangeNothing_data()
{
    QTest::addColumn<int>("firstChannel");
    QTest::addColumn<int>("firstSize");
    QTest::addColumn<bool>("firstTaken");

    QTest::newRow("second channel missing") << 1 << 5120 << true;
    QTest::newRow("short block") << 1 << 5119 << false;
    QTest::newRow("channel out of order") << 2 << 5120 << false;
}

void TestAcquisitionCapture::incompleteOrWrongBlocksChangeNothing()
{
    QFETCH(int, firstChannel);
    QFETCH(int, firstSize);
    QFETCH(bool, firstTaken);

    CaptureBytes capture(PlanCapture(1, 1, 0));
    QCOMPARE(capture.add(firstChannel, QByteArray(firstSize, char(0x40))), firstTaken);
    QVERIFY(!capture.complete());
    const WaveRecord before = previousRecord();
    WaveRecord record = before;
    QVERIFY(!capture.applyTo(record));
    QVERIFY(record == before);
}

void TestAcquisitionCapture::secondsLeft_data()
{
    QTest::addColumn<int>("channelIndex");
    QTest::addColumn<int>("channelCount");
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<qint64>("seconds");   // -1: not yet known

    QTest::newRow("half of the first of two") << 0 << 2 << qint64(51200) << qint64(4450) << qint64(14);
    QTest::newRow("start of the second of two") << 1 << 2 << qint64(0) << qint64(9000) << qint64(9);
    QTest::newRow("everything arrived") << 1 << 2 << qint64(102400) << qint64(18000) << qint64(0);
    QTest::newRow("nothing yet") << 0 << 2 << qint64(0) << qint64(5000) << qint64(-1);
    QTest::newRow("too early to tell") << 0 << 1 << qint64(3000) << qint64(50) << qint64(-1);
}

void TestAcquisitionCapture::secondsLeft()
{
    QFETCH(int, channelIndex);
    QFETCH(int, channelCount);
    QFETCH(qint64, received);
    QFETCH(qint64, elapsedMs);
    QFETCH(qint64, seconds);

    TransferProgress progress;
    progress.channelIndex = channelIndex;
    progress.channelCount = channelCount;
    progress.received = received;
    progress.points = 102400;
    progress.elapsedMs = elapsedMs;
    const std::optional<qint64> left = SecondsLeft(progress);
    QCOMPARE(left.value_or(-1), seconds);
}

void TestAcquisitionCapture::progressText_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");

    QTest::newRow("seconds") << qint64(51200) << qint64(4450) << "CH2 受信中　51200 / 102400 バイト　残り約5秒";
    QTest::newRow("minutes") << qint64(10240) << qint64(12000) << "CH2 受信中　10240 / 102400 バイト　残り約1分48秒";
    QTest::newRow("unknown") << qint64(0) << qint64(0) << "CH2 受信中　0 / 102400 バイト　残り時間を計算中";
}

void TestAcquisitionCapture::progressText()
{
    QFETCH(qint64, received);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);

    TransferProgress progress;
    progress.channel = 2;
    progress.received = received;
    progress.points = 102400;
    progress.elapsedMs = elapsedMs;
    QCOMPARE(ProgressText(progress), text);
}

QTEST_APPLESS_MAIN(TestAcquisitionCapture)
#include "test_acquisition_capture.moc"
