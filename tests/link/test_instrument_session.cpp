// Exact wire behaviour of the command set on a scripted line.

#include "ScriptedLine.h"
#include "files/EngNumber.h"
#include "link/InstrumentSession.h"
#include "link/LinkError.h"
#include "link/LinkWorker.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray kAck("\x06");
const QByteArray kNak("\x15");
const LinkTimeouts kShort{100ms, 100ms, 100ms};

// The message of a failed call, "cancelled" for a stop request, empty on success.
template <class F>
QString failureOf(F&& call)
{
    try {
        call();
    } catch (const LinkError& error) {
        return error.message;
    } catch (const LinkCancelled&) {
        return QStringLiteral("cancelled");
    }
    return {};
}

QList<QByteArray> repeated(const QByteArray& reply, int times)
{
    QList<QByteArray> list;
    for (int i = 0; i < times; ++i)
        list << reply;
    return list;
}

// A block body whose first bytes are the sign-boundary values.
QByteArray blockBytes(int n)
{
    QByteArray bytes(n, '\0');
    for (int i = 0; i < n; ++i)
        bytes[i] = char(i * 37 + 11);
    const char edges[] = {'\x7f', '\x80', '\xff'};
    for (int i = 0; i < 3 && i < n; ++i)
        bytes[i] = edges[i];
    return bytes;
}

QByteArray header(const char* prefix, int count)
{
    return QByteArray(prefix) + QByteArray::number(count).rightJustified(8, '0');
}

} // namespace

class TestInstrumentSession : public QObject {
    Q_OBJECT
private slots:
    void sendCommand_data()
    {
        QTest::addColumn<QByteArray>("delimiter");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<int>("sends");
        QTest::addColumn<QString>("failure");
        QTest::newRow("ACK, CR LF") << QByteArray("\r\n") << QList{kAck} << 1 << QString();
        QTest::newRow("ACK, LF") << QByteArray("\n") << QList{kAck} << 1 << QString();
        QTest::newRow("NAK then ACK") << QByteArray("\r\n") << QList{kNak, kAck} << 2 << QString();
        QTest::newRow("eight NAKs then ACK") << QByteArray("\r\n") << (repeated(kNak, 8) << kAck) << 9 << QString();
        QTest::newRow("nine NAKs return quietly") << QByteArray("\r\n") << repeated(kNak, 12) << 9 << QString();
        QTest::newRow("noise before ACK") << QByteArray("\r\n") << QList{QByteArray("\x00junk\n\x06", 7)} << 1 << QString();
        QTest::newRow("no answer") << QByteArray("\r\n") << QList<QByteArray>() << 1 << LinkMessage::noAck();
        QTest::newRow("only noise") << QByteArray("\r\n") << QList{QByteArray("12\r\n")} << 1 << LinkMessage::noAck();
    }
    void sendCommand()
    {
        QFETCH(QByteArray, delimiter);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(int, sends);
        QFETCH(QString, failure);
        ScriptedLine line;
        line.replies = replies;
        line.waiting = "\x06\x15 left over";
        InstrumentSession session(line, delimiter, {}, kShort);
        QCOMPARE(failureOf([&] { session.SendCommand("RUN"); }), failure);
        QCOMPARE(line.written, repeated("RUN" + delimiter, sends));
        QVERIFY(line.discards >= 1);
    }

    void query_data()
    {
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("failure");
        QTest::newRow("CR LF kept") << QList{QByteArray("\x06" "12\r\n")} << QByteArray("12\r\n") << QString();
        QTest::newRow("no LF") << QList{QByteArray("\x06" "1")} << QByteArray() << LinkMessage::noReply();
        QTest::newRow("what follows the LF stays out") << QList{QByteArray("\x06" "7\nxyz")} << QByteArray("7\n") << QString();
        QTest::newRow("nine NAKs, then the line") << (repeated(kNak, 8) << QByteArray("\x15" "3\r\n")) << QByteArray("3\r\n") << QString();
        QTest::newRow("nine NAKs, no line") << repeated(kNak, 9) << QByteArray() << LinkMessage::noReply();
        QTest::newRow("endless line") << QList{kAck + QByteArray(5000, 'a')} << QByteArray() << LinkMessage::replyTooLong();
    }
    void query()
    {
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QByteArray, reply);
        QFETCH(QString, failure);
        ScriptedLine line;
        line.replies = replies;
        line.chunkSize = 3;
        line.waiting = "\x06" "99\r\n"; // an earlier reply must not be taken for this one
        InstrumentSession session(line, "\r\n", {}, kShort);
        QByteArray got;
        QCOMPARE(failureOf([&] { got = session.Query("*STB?"); }), failure);
        QCOMPARE(got, reply);
    }

    void singleSweep_data()
    {
        QTest::addColumn<QList<QByteArray>>("statusReplies");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("failure");
        QTest::newRow("0 and 2 keep polling, 1 ends") << QList<QByteArray>{"0", "2", "0", "1"} << 1 << QString();
        QTest::newRow("3 ends") << QList<QByteArray>{"3"} << 3 << QString();
        QTest::newRow("255 ends") << QList<QByteArray>{"2", " 255 "} << 255 << QString();
        QTest::newRow("-1 has bit 0") << QList<QByteArray>{"-1"} << -1 << QString();
        QTest::newRow("letters") << QList<QByteArray>{"0", "busy"} << 0 << LinkMessage::badStatus();
        QTest::newRow("empty line") << QList<QByteArray>{""} << 0 << LinkMessage::badStatus();
        QTest::newRow("beyond 16 bits") << QList<QByteArray>{"70000"} << 0 << LinkMessage::badStatus();
        QTest::newRow("trailing junk") << QList<QByteArray>{"1x"} << 0 << LinkMessage::badStatus();
    }
    void singleSweep()
    {
        QFETCH(QList<QByteArray>, statusReplies);
        QFETCH(int, status);
        QFETCH(QString, failure);
        ScriptedLine line;
        line.replies << kAck;
        for (const QByteArray& s : statusReplies)
            line.replies << kAck + s + "\r\n";
        InstrumentSession session(line, "\r\n", {}, kShort);
        int16_t got = 0;
        QCOMPARE(failureOf([&] { got = session.SingleSweep(); }), failure);
        if (failure.isEmpty())
            QCOMPARE(int(got), status);
        QList<QByteArray> expected{"WSGL\r\n"};
        expected << repeated("*STB?\r\n", int(statusReplies.size()));
        QCOMPARE(line.written, expected);
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four") << QByteArray("MIRAVO,KT-4410,A123,1.02\r\n")
                              << QStringList{"MIRAVO", "KT-4410", "A123", "1.02\r\n"};
        QTest::newRow("one") << QByteArray("MIRAVO\n") << QStringList{"MIRAVO\n"};
        QTest::newRow("six, empty and spaced kept") << QByteArray("a, b,,d,e,f\r\n")
                                                   << QStringList{"a", " b", "", "d", "e", "f\r\n"};
    }
    void identity()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, fields);
        ScriptedLine line;
        line.replies << kAck + reply;
        InstrumentSession session(line, "\r\n", {}, kShort);
        QCOMPARE(session.ReadIdentity(), fields);
        QCOMPARE(line.written, QList<QByteArray>{"*IDN?\r\n"});
    }

    void download_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("points");
        QTest::addColumn<QByteArray>("headerPrefix");
        QTest::addColumn<qsizetype>("chunkSize");
        QTest::newRow("CH1 5120 at once") << 1 << 5120 << QByteArray("#8") << qsizetype(0);
        QTest::newRow("CH2 5120 in odd pieces") << 2 << 5120 << QByteArray("#8") << qsizetype(333);
        QTest::newRow("first two header characters ignored") << 1 << 5120 << QByteArray("xx") << qsizetype(4096);
        QTest::newRow("CH2 102400") << 2 << 102400 << QByteArray("#8") << qsizetype(8192);
    }
    void download()
    {
        QFETCH(int, channel);
        QFETCH(int, points);
        QFETCH(QByteArray, headerPrefix);
        QFETCH(qsizetype, chunkSize);
        ScriptedLine line;
        const QByteArray body = blockBytes(points);
        line.replies = repeated(kAck, 4) << kAck + header(headerPrefix, points) + body + "\r\n";
        line.chunkSize = chunkSize;
        InstrumentSession session(line, "\r\n", {}, kShort);
        QList<qint64> progress;
        const QByteArray got = session.DownloadChannel(channel, points, [&](qint64 received, qint64 total) {
            QCOMPARE(total, qint64(points));
            progress << received;
        });

        const QByteArray ch = QByteArray::number(channel);
        QCOMPARE(line.written, (QList<QByteArray>{"DTPOINTS " + QByteArray::number(points) + "\r\n", "DTFORM BYTE\r\n",
                                                  "WAVESRC CH" + ch + "\r\n", "DTSTART 0\r\n", "DTWAVE?\r\n"}));
        QCOMPARE(got.size(), qsizetype(points));
        QVERIFY(got == body);
        QCOMPARE(SignedByte(uint8_t(got[0])), int16_t(127));
        QCOMPARE(SignedByte(uint8_t(got[1])), int16_t(-128));
        QCOMPARE(SignedByte(uint8_t(got[2])), int16_t(-1));
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QCOMPARE(progress.last(), qint64(points));
    }

    void downloadFailure_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("failure");
        QTest::newRow("count not decimal") << QByteArray("#8ABCDEFGH") + blockBytes(5120) << LinkMessage::badCount();
        QTest::newRow("count with a space") << QByteArray("#8 0005120") + blockBytes(5120) << LinkMessage::badCount();
        QTest::newRow("count beyond the buffer") << header("#8", 102402) + blockBytes(300) << LinkMessage::countTooLarge();
        QTest::newRow("count below the request") << header("#8", 5000) + blockBytes(5000)
                                                 << LinkMessage::countMismatch(5000, 5120);
        QTest::newRow("count above the request") << header("#8", 5136) + blockBytes(5136)
                                                 << LinkMessage::countMismatch(5136, 5120);
        QTest::newRow("fewer bytes than counted") << header("#8", 5120) + blockBytes(4000) << LinkMessage::blockStalled();
        QTest::newRow("header cut short") << QByteArray("#80000") << LinkMessage::noHeader();
    }
    void downloadFailure()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, failure);
        ScriptedLine line;
        line.replies = repeated(kAck, 4) << kAck + block;
        line.chunkSize = 1000;
        InstrumentSession session(line, "\r\n", {}, kShort);
        QByteArray got;
        QCOMPARE(failureOf([&] { got = session.DownloadChannel(1, 5120); }), failure);
        QVERIFY(got.isEmpty());
    }

    void stopRequestEndsWaits_data()
    {
        QTest::addColumn<int>("job");
        QTest::newRow("waiting for ACK") << 0;
        QTest::newRow("status poll") << 1;
        QTest::newRow("inside a block") << 2;
    }
    void stopRequestEndsWaits()
    {
        QFETCH(int, job);
        ScriptedLine line;
        if (job == 1)
            line.replies = QList{kAck} << repeated(kAck + "0\r\n", 1000);
        if (job == 2)
            line.replies = repeated(kAck, 4) << kAck + header("#8", 5120) + blockBytes(100);
        std::stop_source stop;
        // Time-outs far beyond the test's run: only the stop request can end the wait.
        InstrumentSession session(line, "\r\n", stop.get_token(), {1h, 1h, 1h});
        std::jthread stopper([&] {
            std::this_thread::sleep_for(50ms);
            stop.request_stop();
        });
        QCOMPARE(failureOf([&] {
                     if (job == 0)
                         session.SendCommand("RUN");
                     else if (job == 1)
                         session.SingleSweep();
                     else
                         session.DownloadChannel(1, 5120);
                 }),
                 QStringLiteral("cancelled"));
    }

    void brokenOffBlockDoesNotReachNextExchange()
    {
        auto scripted = std::make_unique<ScriptedLine>();
        ScriptedLine& line = *scripted;
        // A block of ACK values that keeps arriving after its download was stopped.
        line.replies = repeated(kAck, 4) << kAck + header("#8", 5120) + QByteArray(5120, '\x06')
                                         << kAck + "MIRAVO,KT-4410,1,2\r\n";
        line.chunkSize = 700;
        LinkWorker worker(std::move(scripted), kShort);
        QStringList warnings;
        worker.applySettings(EnvSettings{}, {}, warnings);
        std::stop_source stop;
        const auto stopAtFirstBytes = [&](qint64, qint64) { stop.request_stop(); };
        QCOMPARE(failureOf([&] { worker.downloadChannel(1, 5120, stop.get_token(), stopAtFirstBytes); }),
                 QStringLiteral("cancelled"));
        QStringList fields;
        QCOMPARE(failureOf([&] { fields = worker.readIdentity({}); }), QString());
        QCOMPARE(fields, (QStringList{"MIRAVO", "KT-4410", "1", "2\r\n"}));
    }

    void lostLine()
    {
        ScriptedLine line;
        line.replies = repeated(kAck, 4) << kAck + header("#8", 5120) + blockBytes(10);
        line.loseAfterReplies = true;
        InstrumentSession session(line, "\r\n", {}, {1h, 1h, 1h});
        QCOMPARE(failureOf([&] { session.DownloadChannel(1, 5120); }), LinkMessage::portLost());

        QCOMPARE(failureOf([&] { InstrumentSession(line, "\r\n", {}); }), LinkMessage::portClosed());
    }
};

QTEST_GUILESS_MAIN(TestInstrumentSession)
#include "test_instrument_session.moc"
