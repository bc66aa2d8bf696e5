// miravo-cli doctor against each problem made real: a missing device, a pseudo-terminal
// this user may not open or that another process holds exclusively (checked as the
// unprivileged user nobody, since root may open both), and the simulated instrument at
// another speed; --write-settings changes the speed and delimiter and nothing else.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int status = -1;
    QJsonObject json;
};

// asNobody: through setpriv, as a user without privileges and without groups.
Run doctor(const QStringList& arguments, bool asNobody, const QString& dir = QStringLiteral("/"))
{
    QProcess process;
    process.setWorkingDirectory(dir);
    QStringList command{QStringLiteral(MIRAVO_CLI_PATH), QStringLiteral("doctor"), QStringLiteral("--json")};
    command += arguments;
    if (asNobody)
        command = QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")} + command;
    process.start(asNobody ? QStringLiteral("setpriv") : command.takeFirst(), command);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QJsonDocument::fromJson(process.readAllStandardOutput()).object()};
}

// A pseudo-terminal whose terminal side has this mode and group; kept open here.
struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    int terminal = -1;
    QString path;

    Pty(mode_t mode, const char* group, bool exclusive)
    {
        grantpt(master);
        unlockpt(master);
        path = QString::fromLocal8Bit(ptsname(master));
        terminal = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        const struct group* owner = getgrnam(group);
        if (owner && chown(ptsname(master), uid_t(-1), owner->gr_gid) != 0)
            path.clear();
        chmod(ptsname(master), mode);
        if (exclusive)
            ioctl(terminal, TIOCEXCL);
    }
    ~Pty()
    {
        ::close(terminal);
        ::close(master);
    }
};

// mode: of a pseudo-terminal of the test's own, checked as nobody; 0: none. speed and
// delimiter: of "found", 0 and empty for null.
struct ProblemCase {
    QStringList arguments;
    QString problem, advice;
    int mode = 0;
    bool exclusive = false;
    int speed = 0;
    QString delimiter;
    int status = 2;
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCliDoctor : public QObject {
    Q_OBJECT
private slots:
    void problems_data()
    {
        QTest::addColumn<ProblemCase>("c");
        const QStringList simulated{"--simulate", "--simulate-speed", "4800"};
        QTest::newRow("missing") << ProblemCase{.arguments = {"--port", "/dev/miravo-none"}, .problem = "missing",
                                                .advice = "/dev/miravo-none"};
        QTest::newRow("permission, the group may")
            << ProblemCase{.problem = "permission", .advice = "sudo usermod -aG dialout $USER", .mode = 0660};
        QTest::newRow("permission, the owner only") << ProblemCase{.problem = "permission", .advice = "管理者", .mode = 0600};
        QTest::newRow("busy, held exclusively")
            << ProblemCase{.problem = "busy", .advice = "他のプログラム", .mode = 0666, .exclusive = true};
        QTest::newRow("instrument at 4800")
            << ProblemCase{.arguments = simulated, .problem = "settings", .advice = "4800", .speed = 4800, .delimiter = "CRLF"};
        QTest::newRow("--speed and --delimiter for the run")
            << ProblemCase{.arguments = simulated + QStringList{"--speed", "4800", "--delimiter", "lf"}, .problem = "none",
                           .advice = "問題は見つかりませんでした", .speed = 4800, .delimiter = "LF", .status = 0};
    }
    void problems()
    {
        QFETCH(ProblemCase, c);
        std::optional<Pty> pty;
        if (c.mode) {
            pty.emplace(mode_t(c.mode), "dialout", c.exclusive);
            QVERIFY(!pty->path.isEmpty());
            c.arguments << QStringLiteral("--port") << pty->path;
        }
        const Run run = doctor(c.arguments, c.mode != 0);
        QCOMPARE(run.status, c.status);
        QCOMPARE(run.json.value("problem").toString(), c.problem);
        QVERIFY2(run.json.value("advice").toString().contains(c.advice), qPrintable(run.json.value("advice").toString()));
        QCOMPARE(run.json.value("found").toObject().value("speed").toInt(), c.speed);
        QCOMPARE(run.json.value("found").toObject().value("delimiter").toString(), c.delimiter);
        QVERIFY(run.json.value("holder").isNull());
        if (pty)
            QCOMPARE(run.json.value("port").toString(), pty->path);
    }

    // The found speed and delimiter replace bytes 0-1 and 8-9; the rest, including values the
    // reader would not take and bytes after the record, stays. The next run answers as set.
    void writeSettings()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("MV_UTL.ENV"));
        // 9600 baud, CR LF, then a port number out of its list, odd colours and 4 bytes more.
        QByteArray before(44, '\x7f');
        before.replace(0, 10, QByteArray::fromHex("04000000000000000000"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        file.close();
        const QStringList arguments{"--simulate", "--simulate-speed", "38400", "--settings", path, "--delimiter", "lf",
                                    "--write-settings"};
        QCOMPARE(doctor(arguments, false, dir.path()).status, 2);
        QByteArray expected = before;
        expected.replace(0, 2, QByteArray::fromHex("0200"));
        expected.replace(8, 2, QByteArray::fromHex("0100"));
        QCOMPARE(contents(path).toHex(), expected.toHex());
        QCOMPARE(doctor(arguments.mid(0, 5), false, dir.path()).status, 0);
    }
};

QTEST_GUILESS_MAIN(TestCliDoctor)
#include "test_cli_doctor.moc"
