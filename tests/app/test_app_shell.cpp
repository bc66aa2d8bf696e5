#include "app/AboutDialog.h"
#include "app/CommandLine.h"
#include "app/HelpLauncher.h"
#include "app/SplashWindow.h"
#include "support/ScriptedPrompts.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestAppShell : public QObject {
    Q_OBJECT

private slots:
    void splashHandsOverOnTimer();
    void splashKeys_data();
    void splashKeys();
    void aboutTextsAndBeepEachTime();
    void commandLine_data();
    void commandLine();
    void helpFilePath_data();
    void helpFilePath();
    void startHelp_data();
    void startHelp();
};

void TestAppShell::splashHandsOverOnTimer()
{
    SplashWindow splash(20);
    QCOMPARE(splash.findChild<QLabel*>("lblProductName")->text(), QStringLiteral("MIRAVO Link Tool"));
    QCOMPARE(splash.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Ver. 1.0.0"));
    QSignalSpy handOver(&splash, &SplashWindow::handOver);
    splash.show();
    QTRY_COMPARE_WITH_TIMEOUT(handOver.count(), 1, 5000);
    QVERIFY(!splash.isVisible());
    // A key after the hand-over does nothing more.
    QTest::keyClick(&splash, Qt::Key_A);
    QCOMPARE(handOver.count(), 1);
}

void TestAppShell::splashKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << true;
    QTest::newRow("escape") << int(Qt::Key_Escape) << "\x1b" << true;
    QTest::newRow("shift alone") << int(Qt::Key_Shift) << "" << false;
}

void TestAppShell::splashKeys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, handsOver);
    // An interval long enough that only the key can hand over during the test.
    SplashWindow splash(60000);
    splash.show();
    QSignalSpy handOver(&splash, &SplashWindow::handOver);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&splash, &press);
    QCOMPARE(handOver.count(), handsOver ? 1 : 0);
    // Only once, whatever follows.
    QKeyEvent again(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(&splash, &again);
    QCOMPARE(handOver.count(), 1);
}

void TestAppShell::aboutTextsAndBeepEachTime()
{
    ScriptedPrompts prompts;
    AboutDialog first(prompts);
    QCOMPARE(first.windowTitle(), QStringLiteral("MIRAVO Link Toolのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(first.findChild<QLabel*>("lblTitle")->text(), QStringLiteral("MIRAVO Link Tool"));
    QCOMPARE(first.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
    const QStringList lines = first.findChild<QLabel*>("lblDescription")->text().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].startsWith(QStringLiteral("このプログラムは")) && lines[0].endsWith(QStringLiteral("製")));
    QCOMPARE(lines.mid(1), (QStringList{"オシロスコープ MIRAVO KT-4410 とPCの", "連携利用を目的としたプログラムです。",
                                        "お問合せは下記参照のうえ、お気軽に！"}));
    // Enter closes it through OK.
    first.show();
    QTest::keyClick(&first, Qt::Key_Return);
    QVERIFY(!first.isVisible());
    AboutDialog second(prompts);
    QCOMPARE(prompts.beeps, 2);
}

void TestAppShell::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<QString>("text"); // part of the help, version or failure text

    using A = CommandLineOptions::Action;
    QTest::newRow("nothing") << QStringList{} << int(A::Run) << "" << false << "";
    QTest::newRow("port") << QStringList{"--port", "/dev/ttyUSB0"} << int(A::Run) << "/dev/ttyUSB0" << false << "";
    QTest::newRow("simulate") << QStringList{"--simulate"} << int(A::Run) << "" << true << "";
    QTest::newRow("help") << QStringList{"--help"} << int(A::ShowHelp) << "" << false << "Usage: miravo-link [options]\n";
    QTest::newRow("version") << QStringList{"--version"} << int(A::ShowVersion) << "" << false << "MIRAVO Link Tool 1.0.0";
    QTest::newRow("port without device") << QStringList{"--port"} << int(A::Fail) << "" << false << "port";
    QTest::newRow("empty device") << QStringList{"--port", " "} << int(A::Fail) << " " << false << "デバイス名";
    QTest::newRow("both") << QStringList{"--simulate", "--port", "/dev/ttyS1"} << int(A::Fail) << "/dev/ttyS1" << true
                          << "同時に指定できません";
    QTest::newRow("stray argument") << QStringList{"file.csv"} << int(A::Fail) << "" << false << "file.csv";
}

void TestAppShell::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, port);
    QFETCH(bool, simulate);
    QFETCH(QString, text);
    const CommandLineOptions options = ParseCommandLine(QStringList{"miravo-link"} + arguments);
    QCOMPARE(int(options.action), action);
    QCOMPARE(options.port, port);
    QCOMPARE(options.simulate, simulate);
    QVERIFY2(text.isEmpty() ? options.text.isEmpty() : options.text.contains(text), qPrintable(options.text));
}

void TestAppShell::helpFilePath_data()
{
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("path");
    QTest::newRow("windows, spaces kept unquoted")
        << "C:\\Program Files\\MIRAVO Link" << true << "C:\\Program Files\\MIRAVO Link\\Miravo2.chm";
    QTest::newRow("elsewhere") << "/opt/miravo link/bin" << false << "/opt/miravo link/bin/help/index.html";
}

void TestAppShell::helpFilePath()
{
    QFETCH(QString, appDir);
    QFETCH(bool, windows);
    QFETCH(QString, path);
    QCOMPARE(HelpFilePath(appDir, windows), path);
}

void TestAppShell::startHelp_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("message");
    QTest::newRow("started") << true << true << true << "";
    QTest::newRow("file missing") << false << true << false << "ヘルプファイルが見つかりません。";
    QTest::newRow("viewer missing") << true << false << true << "起動できませんでした。";
}

void TestAppShell::startHelp()
{
    QFETCH(bool, exists);
    QFETCH(bool, opens);
    QFETCH(bool, opened);
    QFETCH(QString, message);
    QStringList openedPaths;
    HelpPlatform platform;
    platform.fileExists = [&](const QString&) { return exists; };
    platform.open = [&](const QString& path) {
        openedPaths << path;
        return opens;
    };
    const QString problem = StartHelp(QStringLiteral("/app dir"), platform);
    QCOMPARE(!openedPaths.isEmpty(), opened);
    QVERIFY2(message.isEmpty() ? problem.isEmpty() : problem.contains(message), qPrintable(problem));
}

QTEST_MAIN(TestAppShell)
#include "test_app_shell.moc"
