// The log file: what a continued, refused or crashed log holds afterwards.

#include "logger/LogColumns.h"
#include "logger/LogFile.h"
#include "logger/LogSchedule.h"
#include "support/FileNodes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

namespace {

const QStringList kHeader = LogHeader({1});
const QByteArray kHeaderLine = kHeader.join(QLatin1Char(',')).toUtf8() + '\n';

// after: after appending the row "t,N,ok" when accepted.
struct ContinueCase { QByteArray before; bool accepted; qint64 lastCapture; QByteArray after; };

// count, duration: 0 for none; lostAfter: the line is away for 100 s after this capture, 0: never.
struct ScheduleCase { int every, count, duration, takes, lostAfter; QList<int> starts; };

} // namespace

class TestLogFile : public QObject {
    Q_OBJECT

private slots:
    void continueOrRefuse_data()
    {
        QTest::addColumn<ContinueCase>("c");

        const QByteArray row1 = "2026-12-07T10:15:02.123+09:00,1,ok,1,2,3,4,5,6,7\n";
        const QByteArray row2 = "2026-12-07T10:15:03.123+09:00,2,\"CH1, 応答なし\",,,,,,,\n";
        QTest::newRow("new") << ContinueCase{{}, true, 0, kHeaderLine + "t,1,ok\n"};
        QTest::newRow("continued") << ContinueCase{kHeaderLine + row1 + row2, true, 2, kHeaderLine + row1 + row2 + "t,3,ok\n"};
        QTest::newRow("torn last row dropped")
            << ContinueCase{kHeaderLine + row1 + "2026-12-07T10:15:03", true, 1, kHeaderLine + row1 + "t,2,ok\n"};
        QTest::newRow("header only") << ContinueCase{kHeaderLine, true, 0, kHeaderLine + "t,1,ok\n"};
        const QByteArray other = "time,capture,status,ch2_maximum_V\n" + row1;
        QTest::newRow("other header untouched") << ContinueCase{other, false, 0, other};
        QTest::newRow("not a log untouched") << ContinueCase{"\x01\x02", false, 0, "\x01\x02"};
    }
    void continueOrRefuse()
    {
        QFETCH(ContinueCase, c);
        auto& [before, accepted, lastCapture, after] = c;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LOG.csv"));
        if (!before.isEmpty())
            writeFileBytes(path, before);
        {
            LogFile log;
            const QString problem = log.open(path, kHeader);
            QCOMPARE(problem.isEmpty(), accepted);
            if (accepted) {
                QCOMPARE(log.lastCapture(), lastCapture);
                QVERIFY(log.append({QStringLiteral("t"), QString::number(log.lastCapture() + 1), QStringLiteral("ok")})
                            .isEmpty());
            } else {
                QVERIFY(problem.contains(path));
            }
        }
        QCOMPARE(fileBytes(path), after);
    }

    void placesRefused()
    {
        QTemporaryDir dir;
        for (const QString& path : {dir.path(), dir.filePath(QStringLiteral("none/LOG.csv"))}) {
            LogFile log;
            const QString problem = log.open(path, kHeader);
            QVERIFY2(problem.contains(QDir::toNativeSeparators(path)), qPrintable(problem));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("none"))));
    }

    void rowColumns()
    {
        ChannelMeasurements measured;
        measured[Measurement::Maximum] = 1.25;
        measured[Measurement::Frequency] = 1000.0 / 3.0;
        const QDateTime time(QDate(2026, 12, 7), QTime(10, 15, 2, 123), QTimeZone(9 * 3600));
        const QStringList row = LogRow(time, 7, QStringLiteral("ok"), {measured, std::nullopt});
        QCOMPARE(row.size(), LogHeader({1, 2}).size());
        QCOMPARE(row.mid(0, 4), (QStringList{"2026-12-07T10:15:02.123+09:00", "7", "ok", "1.25"}));
        QCOMPARE(row[4], QString()); // undefined: empty, never 0
        QCOMPARE(row[3 + 5].toDouble(), 1000.0 / 3.0);
        QVERIFY(row.mid(3 + 7).join(QString()).isEmpty()); // the failed channel
        QCOMPARE(LogTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(-(3 * 3600 + 1800)))),
                 QStringLiteral("2026-01-02T03:04:05.000-03:30"));
        QCOMPARE(LogTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc())),
                 QStringLiteral("2026-01-02T03:04:05.000+00:00"));
    }

    // Each capture takes `takes` seconds; the run starts at 0. starts: when each began.
    void schedule_data()
    {
        QTest::addColumn<ScheduleCase>("c");
        QTest::newRow("every 10 s, 3 captures") << ScheduleCase{10, 3, 0, 2, 0, {0, 10, 20}};
        QTest::newRow("back to back") << ScheduleCase{0, 3, 0, 2, 0, {0, 2, 4}};
        QTest::newRow("capture longer than the interval") << ScheduleCase{1, 3, 0, 5, 0, {0, 5, 10}};
        QTest::newRow("no burst after a lost line") << ScheduleCase{10, 4, 0, 2, 1, {0, 102, 112, 122}};
        QTest::newRow("duration ends it") << ScheduleCase{10, 0, 25, 2, 0, {0, 10, 20}};
        QTest::newRow("duration shorter than a capture") << ScheduleCase{10, 0, 1, 5, 0, {0}};
    }
    void schedule()
    {
        QFETCH(ScheduleCase, c);
        auto& [every, count, duration, takes, lostAfter, starts] = c;
        using std::chrono::seconds;
        LogPlan plan{.every = seconds(every)};
        if (count)
            plan.count = count;
        if (duration)
            plan.duration = seconds(duration);
        const LogSchedule::Clock::time_point zero{};
        LogSchedule schedule(plan, zero);
        auto now = zero;
        QList<int> made;
        while (!schedule.done(now) && made.size() < 10) {
            now = std::max(now, schedule.nextStart());
            schedule.captureStarted(now);
            made << int(std::chrono::duration_cast<seconds>(now - zero).count());
            now += seconds(takes);
            if (made.size() == lostAfter)
                now += seconds(100);
        }
        QCOMPARE(made, starts);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "test_log_file.moc"
