// The line configuration taken from the settings record, and the exact wire behaviour of
// the command set on a scripted line.

#include "ScriptedLine.h"
#include "link/InstrumentSession.h"
#include "link/LinkError.h"
#include "link/LinkTrace.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray kAck("\x06");
const QByteArray kNak("\x15");
const LinkTimeouts kShort{100ms, 100ms, 100ms};
using Replies = QList<QByteArray>;
using Com = std::array<int16_t, 6>;

// The message of a failed call, empty on success.
template <class F>
QString failureOf(F&& call)
{
    try {
        call();
    } catch (const LinkError& error) {
        return error.message;
    }
    return {};
}

// The DTWAVE? reply: a header with the count, then a body of all byte values.
QByteArray block(int count, int bodySize, const QByteArray& prefix = "#8")
{
    QByteArray bytes = prefix + QByteArray::number(count).rightJustified(8, '0');
    for (int i = 0; i < bodySize; ++i)
        bytes += char(i * 37 + 11);
    return bytes;
}

// frameBits: on the wire per character, for the time a transfer takes.
struct LineCase { Com com; QString text; QByteArray delimiter; int frameBits; };
struct ExchangeCase { QByteArray delimiter; Replies replies; int sends; QStringList fields; QString failure; };
// left: of the block, for the next job to read off; -1: not checked.
struct DownloadCase { int channel, points; QByteArray reply; QString failure; qint64 left; };

} // namespace

class TestInstrumentSession : public QObject {
    Q_OBJECT
private slots:
    void fromSettings_data()
    {
        QTest::addColumn<LineCase>("c");
        const QByteArray crlf("\r\n"), lf("\n");
        QTest::newRow("fastest, even, 7, 2, LF") << LineCase{{0, 1, 1, 1, 1, 1}, "115200,e,7,2", lf, 11};
        QTest::newRow("odd, any non-zero delimiter is LF") << LineCase{{1, 0, 2, 0, 5, 0}, "57600,o,8,1", lf, 11};
        QTest::newRow("where the doubling rule takes over") << LineCase{{2, 0, 0, 0, 0, 0}, "38400,n,8,1", crlf, 10};
        QTest::newRow("speed past the list follows the rule") << LineCase{{7, 0, 0, 0, 0, 0}, "1200,n,8,1", crlf, 10};
        QTest::newRow("parity past the list is empty") << LineCase{{4, 0, 3, 0, 0, 0}, "9600,,8,1", crlf, 10};
    }
    void fromSettings()
    {
        QFETCH(LineCase, c);
        const LineSettings line = LineSettingsFor(EnvSettings{.Com = c.com});
        QCOMPARE(line.settingsText(), c.text);
        QCOMPARE(line.delimiter, c.delimiter);
        QCOMPARE(line.frameBits(), c.frameBits);
    }

    // One query: the ACK/NAK handshake and the reply line, read as identity fields.
    void exchange_data()
    {
        QTest::addColumn<ExchangeCase>("c");
        const QByteArray crlf("\r\n");
        QTest::newRow("six, empty and spaced kept")
            << ExchangeCase{crlf, {kAck + "a, b,,d,e,f\r\n"}, 1, {"a", " b", "", "d", "e", "f\r\n"}, {}};
        QTest::newRow("NAK then ACK, LF") << ExchangeCase{"\n", {kNak, kAck + "7\n"}, 2, {"7\n"}, {}};
        // Three bytes a read: "x" arrives in the same read as the LF.
        QTest::newRow("noise before ACK, what follows the LF stays out")
            << ExchangeCase{crlf, {QByteArray("\x00jun\n\x06" "7\nxyz", 11)}, 1, {"7\n"}, {}};
        // Nine NAKs end the sending quietly; the reply line is then awaited as usual.
        QTest::newRow("nine NAKs, then the line")
            << ExchangeCase{crlf, Replies(8, kNak) << kNak + "3\r\n" << kAck, 9, {"3\r\n"}, {}};
        QTest::newRow("nine NAKs and no line: refused")
            << ExchangeCase{crlf, Replies(9, kNak), 9, {}, LinkMessage::refused("*IDN?", 9)};
        QTest::newRow("no answer") << ExchangeCase{crlf, {}, 1, {}, LinkMessage::noAck()};
        QTest::newRow("no LF") << ExchangeCase{crlf, {kAck + "1"}, 1, {}, LinkMessage::noReply()};
        QTest::newRow("endless line") << ExchangeCase{crlf, {kAck + QByteArray(5000, 'a')}, 1, {}, LinkMessage::replyTooLong()};
    }
    void exchange()
    {
        QFETCH(ExchangeCase, c);
        const auto& [delimiter, replies, sends, fields, failure] = c;
        ScriptedLine line;
        line.replies = replies;
        line.chunkSize = 3;
        line.waiting = "\x06" "99\r\n"; // an earlier reply must not be taken for this one
        QStringList refused;
        SessionEvents events;
        events.refused = [&](const QString& message) { refused << message; };
        InstrumentSession session(line, delimiter, {}, kShort, events);
        QStringList got;
        QCOMPARE(failureOf([&] { got = session.ReadIdentity(); }), failure);
        QCOMPARE(got, fields);
        QCOMPARE(line.written, Replies(sends, "*IDN?" + delimiter));
        QCOMPARE(refused, sends == 9 ? QStringList{LinkMessage::refused("*IDN?", 9)} : QStringList());
    }

    void singleSweep_data()
    {
        QTest::addColumn<Replies>("statusReplies");
        QTest::addColumn<int>("status");   // 0: the failure
        QTest::newRow("0 and 2 keep polling, 1 ends") << Replies{"0", "2", "0", "1"} << 1;
        QTest::newRow("a plus sign, spaces") << Replies{" +0", "\t+1 "} << 1;
        QTest::newRow("two signs") << Replies{"+-1"} << 0;
        QTest::newRow("trailing junk") << Replies{"1x"} << 0;
        // Wrapped to 16 bits it would have bit 0 clear and poll for ever.
        QTest::newRow("beyond 16 bits") << Replies{"70000"} << 0;
    }
    void singleSweep()
    {
        QFETCH(Replies, statusReplies);
        QFETCH(int, status);
        const QString failure = status ? QString() : LinkMessage::badStatus();
        ScriptedLine line;
        line.replies << kAck;
        for (const QByteArray& s : statusReplies)
            line.replies << kAck + s + "\r\n";
        InstrumentSession session(line, "\r\n", {}, kShort);
        int16_t got = 0;
        QCOMPARE(failureOf([&] { got = session.SingleSweep(); }), failure);
        QCOMPARE(int(got), status);
        QCOMPARE(line.written, Replies{"WSGL\r\n"} << Replies(statusReplies.size(), "*STB?\r\n"));
    }

    void download_data()
    {
        QTest::addColumn<DownloadCase>("c");
        QTest::newRow("first two header characters ignored") << DownloadCase{1, 5120, block(5120, 5120, "xx"), {}, 0};
        QTest::newRow("CH2 102400, counting the whole buffer: first N used")
            << DownloadCase{2, 102400, block(102401, 102401), {}, 0};
        QTest::newRow("count with a space is not decimal")
            << DownloadCase{1, 5120, "#8 0005120" + block(0, 5120).mid(10), LinkMessage::badCount(), -1};
        QTest::newRow("count beyond the buffer") << DownloadCase{1, 5120, block(102402, 300), LinkMessage::countTooLarge(), -1};
        QTest::newRow("count below the request")
            << DownloadCase{1, 5120, block(5000, 5000), LinkMessage::countShort(5000, 5120), 0};
        QTest::newRow("fewer bytes than counted") << DownloadCase{1, 5120, block(5120, 4000), LinkMessage::blockStalled(), 1122};
        QTest::newRow("header cut short") << DownloadCase{1, 5120, "#80000", LinkMessage::noHeader(), 5132};
    }
    void download()
    {
        QFETCH(DownloadCase, c);
        const auto& [channel, points, reply, failure, left] = c;
        ScriptedLine line;
        line.replies = Replies(4, kAck) << kAck + reply;
        line.chunkSize = 3; // the header takes several reads, and the body starts in its last
        InstrumentSession session(line, "\r\n", {}, kShort);
        QList<qint64> progress;
        QByteArray got;
        const auto onProgress = [&](qint64 received, qint64) { progress << received; };
        QCOMPARE(failureOf([&] { got = session.DownloadChannel(channel, points, onProgress); }), failure);
        QCOMPARE(line.written, (Replies{"DTPOINTS " + QByteArray::number(points) + "\r\n", "DTFORM BYTE\r\n",
                                        "WAVESRC CH" + QByteArray::number(channel) + "\r\n", "DTSTART 0\r\n", "DTWAVE?\r\n"}));
        // A failed transfer hands back nothing.
        QVERIFY(got == (failure.isEmpty() ? reply.mid(10, points) : QByteArray()));
        if (left >= 0)
            QCOMPARE(session.blockBytesLeft(), left);
        if (failure.isEmpty()) {
            QVERIFY(std::is_sorted(progress.begin(), progress.end()));
            QCOMPARE(progress.last(), qint64(reply.size() - 10));
        }
    }

    // The trace a user sends: appended to the file, one time-stamped line per event.
    void trace()
    {
        QTemporaryDir dir;
        QString error;
        // Only a regular file: the other kinds are refused by the same opening as the settings file's.
        QVERIFY(!StartLinkTrace(dir.path(), &error));
        QVERIFY(error.contains(dir.path()));
        const QString path = dir.filePath(QStringLiteral("link.trace"));
        QVERIFY2(StartLinkTrace(path, &error), qPrintable(error));
        ScriptedLine line;
        line.replies = {kNak, QByteArray("\x07\x06MIRAVO,\x01\r\n"), kAck + "#800000003abc"};
        InstrumentSession session(line, "\r\n", {}, kShort);
        session.ReadIdentity();
        QCOMPARE(failureOf([&] { session.DownloadChannel(1, 5120); }), LinkMessage::noAck());
        QVERIFY(StartLinkTrace(path, &error)); // a second start appends

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
        for (const QString& text : lines)
            QVERIFY2(stamp.match(text).hasMatch(), qPrintable(text));
        const QString text = lines.join(u'\n');
        for (const QString& expected :
             {QStringLiteral("send \"*IDN?\\r\\n\"\n"), QStringLiteral("NAK after"),
              QStringLiteral("send \"*IDN?\\r\\n\" again (2 of 9)"), QStringLiteral("dropped 1 bytes: \"\\x07\""),
              QStringLiteral("reply \"MIRAVO,\\x01\\r\\n\""), QStringLiteral("send \"DTPOINTS 5120\\r\\n\""),
              QStringLiteral("no ACK or NAK within 100 ms")})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        QCOMPARE(text.count(QStringLiteral("started")), 2);
    }
};

QTEST_GUILESS_MAIN(TestInstrumentSession)
#include "test_instrument_session.moc"
