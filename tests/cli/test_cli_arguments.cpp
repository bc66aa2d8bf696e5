#include "cli/CliArguments.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"

#include <QTest>
#include <cstdio>

namespace {

struct Outcome {
    int status = 0;
    QString text;   // help, or what standard error received
};

// The command line as miravo-cli runs it, up to the first use of a file or the instrument.
Outcome run(const QString& line)
{
    const CliArguments arguments(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    if (arguments.action() != CliArguments::Action::Run)
        return {arguments.action() == CliArguments::Action::Fail ? 1 : 0, arguments.text()};
    std::FILE* err = std::tmpfile();
    CliConsole console(stdout, err, false, false);
    Outcome outcome{RunCli(arguments, console), {}};
    std::rewind(err);
    char buffer[4096] = {};
    outcome.text = QString::fromUtf8(buffer, qsizetype(std::fread(buffer, 1, sizeof buffer - 1, err)));
    std::fclose(err);
    return outcome;
}

} // namespace

class TestCliArguments : public QObject {
    Q_OBJECT
private slots:
    // What a command line shows, and the reason it is refused before anything is opened:
    // status 1, one line naming the option (with its dashes) or the value in question.
    void refusal_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("seen");
        QTest::newRow("help") << "capture --help" << 0 << "--repeat N";
        QTest::newRow("help lists commands and --trace") << "-h" << 0 << "--trace FILE";
        QTest::newRow("version anywhere") << "info x.csv --version" << 0 << "1.0.0";
        QTest::newRow("no command") << "--quiet" << 1 << "サブコマンド";
        QTest::newRow("unknown command") << "grab" << 1 << "grab";
        QTest::newRow("unknown option") << "info --frob x.csv" << 1 << "--frob";
        QTest::newRow("unknown single-dash option") << "info -frob x.csv" << 1 << "-frob";
        QTest::newRow("option of another command") << "info --grid x.csv" << 1 << "--grid は info";
        QTest::newRow("value missing") << "capture --out" << 1 << "--out に FILE";
        QTest::newRow("switch with value") << "render --grid=1 a.csv b.png" << 1 << "--grid は値";
        QTest::newRow("extra file") << "info a.csv b.csv" << 1 << "余分な引数: b.csv";
        QTest::newRow("capture without out") << "capture" << 1 << "--out";
        QTest::newRow("capture bad extension") << "capture --out a.txt" << 1 << "a.txt";
        QTest::newRow("channels") << "capture --out a.csv --channels 3" << 1 << "3";
        QTest::newRow("not a number") << "capture --out a.csv --sweep fast" << 1 << "fast";
        QTest::newRow("sweep below 0") << "capture --out a.csv --sweep=-1m" << 1 << "--sweep: 掃引速度";
        QTest::newRow("V/DIV 0") << "capture --out a.csv --volts2 0" << 1 << "--volts2: CH2 の電圧レンジ";
        QTest::newRow("offset beyond 1000 DIV") << "capture --out a.csv --offset1 2000" << 1 << "--offset1: CH1 のオフセット";
        QTest::newRow("equ on a long record") << "capture --out a.csv --long --equ" << 1 << "--equ";
        QTest::newRow("repeat zero") << "capture --out a.csv --repeat 0" << 1 << "--repeat";
        QTest::newRow("every alone") << "capture --out a.csv --every 5" << 1 << "--every";
        QTest::newRow("timeout zero") << "single --timeout 0" << 1 << "--timeout";
        QTest::newRow("timeout beyond a timer") << "single --timeout 1e12" << 1 << "30 日";
        QTest::newRow("every beyond 30 days") << "capture --out a.csv --repeat 2 --every 2592001" << 1 << "2592001";
        QTest::newRow("every not finite") << "capture --out a.csv --repeat 2 --every inf" << 1 << "inf";
        QTest::newRow("port and simulate") << "--simulate run --port /dev/ttyS0" << 1 << "--simulate";
        QTest::newRow("speed off the list") << "identify --speed 300" << 1 << "--speed の値 300";
        QTest::newRow("delimiter cr") << "doctor --delimiter cr" << 1 << "--delimiter の値 cr";
        QTest::newRow("simulate-speed alone") << "doctor --simulate-speed 4800" << 1 << "--simulate";
        QTest::newRow("write-settings is the doctor's") << "identify --write-settings" << 1 << "--write-settings は identify";
        QTest::newRow("convert to png") << "convert a.csv b.png" << 1 << "b.png";
        QTest::newRow("render size") << "render a.csv b.png --size 9000x10" << 1 << "9000x10";
        QTest::newRow("render to csv") << "render a.csv b.csv" << 1 << "b.csv";
        QTest::newRow("convert --si to a session") << "convert --si a.csv b.sr" << 1 << "--si";
    }
    void refusal()
    {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, seen);
        const Outcome outcome = run(line);
        QCOMPARE(outcome.status, status);
        QVERIFY2(outcome.text.contains(seen), qPrintable(outcome.text));
        if (status != 0)
            QCOMPARE(outcome.text.trimmed().count(QLatin1Char('\n')), 0);
    }

    // Values as the subcommand reads them: options before the subcommand, "=" forms,
    // a negative number as a value, full-width digits left to the setup dialog's reader.
    void values()
    {
        const CliArguments a(QStringLiteral("--port=/dev/ttyUSB0 --quiet capture --out=a.RAW --offset2 -1.3 --sweep ５ｍ")
                                 .split(QLatin1Char(' ')));
        QCOMPARE(a.action(), CliArguments::Action::Run);
        QCOMPARE(QLatin1String(a.command()->name), QLatin1String("capture"));
        QVERIFY(a.quiet());
        QCOMPARE(a.instrument().port, QStringLiteral("/dev/ttyUSB0"));
        const QStringList got{a.value(QStringLiteral("out")), a.value(QStringLiteral("offset2")), a.value(QStringLiteral("sweep"))};
        QCOMPARE(got, (QStringList{"a.RAW", "-1.3", "５ｍ"}));
    }
};

QTEST_GUILESS_MAIN(TestCliArguments)
#include "test_cli_arguments.moc"
