// miravo-cli log against the simulated instrument: rows as captures succeed and fail, a
// line that goes away and comes back, a log continued, captures judged against a reference,
// refusals, and runs ended by Ctrl+C and kill -9 leaving only whole rows (SIGTERM takes
// Ctrl+C's way: its status is test_cli_end_to_end's).

#include "CliProcess.h"
#include "sim/SimulatedInstrument.h"
#include "support/FileNodes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

using namespace std::chrono_literals;

// The rows of a log (without its header), each split at its commas outside quotes (those
// followed by an even number of quotes); a torn last row makes one row that says so.
QList<QStringList> rows(const QString& path)
{
    static const QRegularExpression comma(QStringLiteral(",(?=(?:[^\"]*\"[^\"]*\")*[^\"]*$)"));
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    if (!lines.last().isEmpty())
        return {{QStringLiteral("torn: ") + QString::fromUtf8(lines.last())}};
    QList<QStringList> result;
    for (const QByteArray& line : lines.mid(1, lines.size() - 2))
        result << QString::fromUtf8(line).split(comma);
    return result;
}

// before: what LOG.csv holds before; empty: none.
struct RefusalCase { QStringList arguments; QByteArray before; int status; };

} // namespace

class TestCliLog : public QObject {
    Q_OBJECT

private slots:
    void lostLineComesBack()
    {
        QTemporaryDir dir;
        SimulatedInstrument sim;
        const QString device = sim.start(SimOptions{.reconnectable = true});
        QVERIFY(!device.isEmpty());
        const QString log = dir.filePath(QStringLiteral("LOG.csv"));
        const QStringList arguments{"log", "--port", device, "--out", log, "--every", "0.3", "--channels", "1", "--waves", dir.path()};
        bool dropped = false;
        const CliRun run = runCli(arguments + QStringList{"--count", "5"}, dir.path(), [&](QProcess&) {
            if (!dropped && rows(log).size() == 2)
                dropped = sim.dropLine(2500ms);
        });
        QVERIFY2(run.status == 0, run.err.constData());
        const QList<QStringList> made = rows(log);
        QCOMPARE(made.size(), 5);
        QStringList statuses;
        for (int i = 0; i < made.size(); ++i) {
            QCOMPARE(made[i].value(1), QString::number(i + 1));
            QCOMPARE(made[i].size(), 3 + 7);
            statuses << (made[i][2] == QLatin1String("ok") ? QStringLiteral("ok") : QStringLiteral("failed"));
            // A failed row has no values; an ok row its peak-to-peak.
            QCOMPARE(made[i][5].isEmpty(), statuses.last() == QLatin1String("failed"));
        }
        QCOMPARE(statuses, (QStringList{"ok", "ok", "failed", "ok", "ok"}));
        QCOMPARE(QDir(dir.path()).entryList({"0*.CSV"}), (QStringList{"000001.CSV", "000002.CSV", "000004.CSV", "000005.CSV"}));

        // Run again: the log goes on where it ended.
        QCOMPARE(runCli(arguments + QStringList{"--count", "1"}, dir.path()).status, 0);
        QCOMPARE(rows(log).size(), 6);
        QCOMPARE(rows(log).last().value(1), QStringLiteral("6"));
    }

    void refusals_data()
    {
        QTest::addColumn<RefusalCase>("c");
        QTest::newRow("count 0") << RefusalCase{{"--count", "0"}, {}, 1};
        QTest::newRow("negative every") << RefusalCase{{"--every", "-1"}, {}, 1};
        QTest::newRow("unreadable duration") << RefusalCase{{"--duration", "3 weeks"}, {}, 1};
        QTest::newRow("another log") << RefusalCase{{"--count", "1"}, "time,capture,status,x\n1,2,3,4\n", 3};
        QTest::newRow("waves folder missing") << RefusalCase{{"--count", "1", "--waves", "none"}, {}, 3};
        QTest::newRow("reference without tolerance") << RefusalCase{{"--reference", "LOG.csv"}, {}, 1};
        QTest::newRow("reference missing") << RefusalCase{{"--reference", "none.CSV", "--tolerance", "1"}, {}, 3};
    }
    void refusals()
    {
        QFETCH(RefusalCase, c);
        auto& [arguments, before, status] = c;
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("LOG.csv"));
        if (!before.isEmpty())
            writeFileBytes(log, before);
        const CliRun run = runCli(QStringList{"log", "--simulate", "--out", log} + arguments, dir.path());
        QCOMPARE(run.status, status);
        QVERIFY(run.err.startsWith("miravo-cli: "));
        QCOMPARE(QFile::exists(log), !before.isEmpty());
        QCOMPARE(fileBytes(log), before);
    }

    // The instrument repeats its capture until a sweep: the reference is its first capture,
    // saved by a run of its own, and a glitch of 20 counts at 2 V/DIV in it is 1.6 V off.
    // (Without --reference the rows have no such column: see the row sizes above and below.)
    void reference_data()
    {
        QTest::addColumn<int>("glitch");         // counts added to samples 700..702 of the reference
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("verdicts");   // the last column of the two rows (a fail: status 4)
        QTest::addColumn<QString>("message");    // a part of standard error
        QTest::newRow("the same capture") << 0 << QStringList{"1", "0"} << "pass pass" << "";
        QTest::newRow("glitch outside") << 20 << QStringList{"1", "1.5"} << "fail fail" << "不合格の取り込みが 2 回";
        QTest::newRow("other channels") << 0 << QStringList{"1,2", "0"} << " " << "CH1、CH2";
    }
    void reference()
    {
        QFETCH(int, glitch);
        QFETCH(QStringList, options);   // --channels, --tolerance
        QFETCH(QString, verdicts);
        QFETCH(QString, message);
        QTemporaryDir dir;
        SimulatedInstrument sim;
        const QString device = sim.start(SimOptions{});
        QCOMPARE(runCli({"log", "--port", device, "--out", "FIRST.csv", "--count", "1", "--channels", "1", "--waves", dir.path()}, dir.path()).status, 0);
        const QString wave = dir.filePath(QStringLiteral("000001.CSV"));
        QList<QByteArray> lines = fileBytes(wave).split('\n');
        for (int i = 700; i <= 702; ++i)
            lines[5 + i] = QByteArray::number(lines[5 + i].split(',')[0].toInt() + glitch) + ",\r";
        writeFileBytes(wave, lines.join('\n'));
        const CliRun run = runCli({"log", "--port", device, "--out", "LOG.csv", "--count", "2", "--reference", "000001.CSV",
                                   "--channels", options[0], "--tolerance", options[1]}, dir.path());
        QVERIFY2(run.status == (verdicts.contains("fail") ? 4 : 0) && run.err.contains(message.toUtf8()), run.err.constData());
        QStringList last;
        for (const QStringList& row : rows(dir.filePath(QStringLiteral("LOG.csv"))))
            last << row.last();
        QCOMPARE(last.join(' '), verdicts);
    }

    // Ended while captures go on back to back: only whole rows, numbered without a gap.
    void ended_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("Ctrl+C") << int(SIGINT) << 130;
        QTest::newRow("kill -9") << int(SIGKILL) << -1;
    }
    void ended()
    {
        QFETCH(int, signal);
        QFETCH(int, status);
        QTemporaryDir dir;
        SimulatedInstrument sim;
        const QString device = sim.start(SimOptions{});
        const QString log = dir.filePath(QStringLiteral("LOG.csv"));
        bool sent = false;
        const CliRun run = runCli({"log", "--port", device, "--out", log}, dir.path(), [&](QProcess& process) {
            if (!sent && rows(log).size() >= 3) {
                ::kill(pid_t(process.processId()), signal);
                sent = true;
            }
        });
        QCOMPARE(run.status, status);
        const QList<QStringList> made = rows(log);
        QVERIFY(made.size() >= 3);
        for (int i = 0; i < made.size(); ++i) {
            QCOMPARE(made[i].size(), 3 + 2 * 7);
            QCOMPARE(made[i][1], QString::number(i + 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliLog)
#include "test_cli_log.moc"
