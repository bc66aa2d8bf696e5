#include "cli/CliArguments.h"

#include <QTest>

Q_DECLARE_METATYPE(CliParse::Action)

class TestCliArguments : public QObject {
    Q_OBJECT
private slots:
    // What a command line asks for, and the reason it is refused: the name of the option
    // or the value in question appears in the one-line message.
    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<CliParse::Action>("action");
        QTest::addColumn<QString>("seen");   // a word of the text, or of the request below
        using A = CliParse::Action;
        QTest::newRow("help") << "capture --help" << A::ShowText << "--repeat N";
        QTest::newRow("help lists commands") << "-h" << A::ShowText << "render";
        QTest::newRow("version anywhere") << "info x.csv --version" << A::ShowText << "1.0.0";
        QTest::newRow("list ports") << "--list-ports" << A::ListPorts << "";
        QTest::newRow("no command") << "--quiet" << A::Fail << "サブコマンド";
        QTest::newRow("unknown command") << "grab" << A::Fail << "grab";
        QTest::newRow("unknown option") << "info --frob x.csv" << A::Fail << "--frob";
        QTest::newRow("option of another command") << "info --grid x.csv" << A::Fail << "--grid";
        QTest::newRow("value missing") << "capture --out" << A::Fail << "--out";
        QTest::newRow("switch with value") << "render --grid=1 a.csv b.png" << A::Fail << "--grid";
        QTest::newRow("too many files") << "info a.csv b.csv" << A::Fail << "IN";
        QTest::newRow("capture without out") << "capture" << A::Fail << "--out";
        QTest::newRow("capture bad extension") << "capture --out a.txt" << A::Fail << "a.txt";
        QTest::newRow("channels") << "capture --out a.csv --channels 3" << A::Fail << "3";
        QTest::newRow("not a number") << "capture --out a.csv --sweep fast" << A::Fail << "fast";
        QTest::newRow("equ on a long record") << "capture --out a.csv --long --equ" << A::Fail << "--equ";
        QTest::newRow("repeat zero") << "capture --out a.csv --repeat 0" << A::Fail << "--repeat";
        QTest::newRow("every alone") << "capture --out a.csv --every 5" << A::Fail << "--every";
        QTest::newRow("timeout zero") << "single --timeout 0" << A::Fail << "--timeout";
        QTest::newRow("port and simulate") << "--simulate run --port /dev/ttyS0" << A::Fail << "--simulate";
        QTest::newRow("convert to png") << "convert a.csv b.png" << A::Fail << "b.png";
        QTest::newRow("render size") << "render a.csv b.png --size 9000x10" << A::Fail << "--size";
        QTest::newRow("render to csv") << "render a.csv b.csv" << A::Fail << "b.csv";
        QTest::newRow("options before command") << "--port=/dev/ttyUSB0 --quiet capture --out=a.RAW --channels 2,1 --long "
                                                   "--sweep ５ｍ --repeat 3 --every 0.5"
                                                << A::Run << "/dev/ttyUSB0 a.RAW 1,2 long ５ｍ 3 0.5";
        QTest::newRow("render") << "render in.CSV out.PNG --size 640x480 --dots" << A::Run << "640x480 dots";
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(CliParse::Action, action);
        QFETCH(QString, seen);
        const CliParse parse = ParseCliArguments(line.split(QLatin1Char(' ')));
        QCOMPARE(parse.action, action);
        if (action != CliParse::Action::Run) {
            QVERIFY2(parse.text.contains(seen), qPrintable(parse.text));
            QCOMPARE(parse.text.contains(QLatin1Char('\n')), action == CliParse::Action::ShowText);
            return;
        }
        const CliRequest& r = parse.request;
        QStringList got;
        if (r.command == CliCommand::Capture) {
            QStringList channels;
            for (int c : r.channels)
                channels << QString::number(c);
            got << r.port << r.out << channels.join(QLatin1Char(',')) << (r.longRecord ? "long" : "short")
                << r.conditions.sweep << QString::number(r.repeat) << QString::number(r.everySeconds);
            QVERIFY(r.quiet);
        } else {
            got << QStringLiteral("%1x%2").arg(r.size.width()).arg(r.size.height()) << (r.dots ? "dots" : "lines");
        }
        QCOMPARE(got.join(QLatin1Char(' ')), seen);
    }
};

QTEST_GUILESS_MAIN(TestCliArguments)
#include "test_cli_arguments.moc"
