#include "ui/AboutDialog.h"
#include "app/CommandLine.h"
#include "ui/HelpLauncher.h"
#include "ui/SplashWindow.h"
#include "support/ScriptedPrompts.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// text: part of the help, version or failure text, or the file to open.
struct LineCase { QStringList arguments; CommandLineOptions::Action action; QString port; bool simulate; QString text; };

// key: 0: no key, the timer; loadedFirst: the main window's load ended before the timer or key.
struct SplashCase { int key; bool loadedFirst, handsOver; };

struct HelpCase { QStringList existing; QString opened, message; };

class TestAppShell : public QObject {
    Q_OBJECT

private slots:
    void splashHandsOver_data()
    {
        QTest::addColumn<SplashCase>("c");
        QTest::newRow("timer") << SplashCase{0, true, true};
        QTest::newRow("letter") << SplashCase{int(Qt::Key_A), true, true};
        QTest::newRow("shift alone") << SplashCase{int(Qt::Key_Shift), true, false};
        QTest::newRow("timer during a message of the load") << SplashCase{0, false, true};
        QTest::newRow("letter during the load") << SplashCase{int(Qt::Key_A), false, true};
    }

    void splashHandsOver()
    {
        QFETCH(SplashCase, c);
        auto& [key, loadedFirst, handsOver] = c;
        // With a key, an interval long enough that only the key can hand over.
        SplashWindow splash(key ? 60000 : 1);
        QSignalSpy handOver(&splash, &SplashWindow::handOver);
        splash.show();
        if (loadedFirst)
            splash.setLoadFinished();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_A ? QStringLiteral("a") : QString());
        if (key) {
            QApplication::sendEvent(&splash, &press);
        } else {
            // A message box of the load runs its own event loop; the timer comes due inside it.
            QMessageBox message;
            QTimer::singleShot(20, &message, &QMessageBox::accept);
            message.exec();
        }
        if (!loadedFirst) {
            QCOMPARE(handOver.count(), 0);
            QVERIFY(splash.isVisible());
            splash.setLoadFinished();
        }
        QCOMPARE(handOver.count(), handsOver ? 1 : 0);
        QCOMPARE(splash.isVisible(), !handsOver);
        // Only once, whatever follows.
        QKeyEvent again(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
        QApplication::sendEvent(&splash, &again);
        QCOMPARE(handOver.count(), 1);
    }

    // Each opening beeps; Enter closes it through OK.
    void aboutBeepsEachTime()
    {
        ScriptedPrompts prompts;
        AboutDialog first(prompts);
        first.show();
        QTest::keyClick(&first, Qt::Key_Return);
        QVERIFY(!first.isVisible());
        AboutDialog second(prompts);
        QCOMPARE(prompts.beeps, 2);
    }

    void commandLine_data()
    {
        QTest::addColumn<LineCase>("c");

        using A = CommandLineOptions::Action;
        QTest::newRow("port") << LineCase{{"--port", "/dev/ttyUSB0"}, A::Run, "/dev/ttyUSB0", false, ""};
        QTest::newRow("help") << LineCase{{"--help"}, A::ShowHelp, "", false, "Usage: miravo-link [options] [WAVEFILE]\n"};
        QTest::newRow("version") << LineCase{{"--version"}, A::ShowVersion, "", false, "MIRAVO Link Tool 1.0.0"};
        QTest::newRow("list ports") << LineCase{{"--list-ports"}, A::ListPorts, "", false, ""};
        QTest::newRow("port without device") << LineCase{{"--port"}, A::Fail, "", false, "port"};
        QTest::newRow("empty device") << LineCase{{"--port", " "}, A::Fail, " ", false, "デバイス名"};
        QTest::newRow("both") << LineCase{{"--simulate", "--port", "/dev/ttyS1"}, A::Fail, "/dev/ttyS1", true, "同時に指定できません"};
        QTest::newRow("trace without file") << LineCase{{"--trace", ""}, A::Fail, "", false, "--trace"};
        QTest::newRow("trace and file")
            << LineCase{{"--simulate", "--trace", "link.trace", "wave.csv"}, A::Run, "", true, "wave.csv"};
        QTest::newRow("two files") << LineCase{{"a.csv", "b.raw"}, A::Fail, "", false, "b.raw"};
        QTest::newRow("not a waveform file") << LineCase{{"notes.txt"}, A::Fail, "", false, "notes.txt"};
        QTest::newRow("unknown option") << LineCase{{"--frob"}, A::Fail, "", false, "不明なオプションです: --frob"};
    }

    void commandLine()
    {
        QFETCH(LineCase, c);
        auto& [arguments, action, port, simulate, text] = c;
        const CommandLineOptions options = ParseCommandLine(QStringList{"miravo-link"} + arguments);
        QCOMPARE(options.action, action);
        QCOMPARE(options.instrument.port, port);
        QCOMPARE(options.instrument.simulate, simulate);
        QCOMPARE(options.instrument.traceFile, arguments.contains("link.trace") ? QStringLiteral("link.trace") : QString());
        const QString shown = options.action == CommandLineOptions::Action::Run ? options.file : options.text;
        QVERIFY2(text.isEmpty() ? shown.isEmpty() : shown.contains(text), qPrintable(shown));
    }

    // The help viewer takes the rest of its command line as it is: spaces stay unquoted.
    void helpFilePathOnWindows()
    {
        QCOMPARE(HelpFilePath(QStringLiteral("C:\\Program Files\\MIRAVO Link"), true),
                 QStringLiteral("C:\\Program Files\\MIRAVO Link\\Miravo2.chm"));
    }

    void startHelp_data()
    {
        QTest::addColumn<HelpCase>("c");
        const QString beside = QStringLiteral("/opt/miravo link/bin/help/index.html");
        const QString installed = QStringLiteral("/opt/miravo link/share/miravo-link/help/index.html");
        QTest::newRow("beside the program") << HelpCase{QStringList{beside, installed}, beside, ""};
        QTest::newRow("installed") << HelpCase{QStringList{installed}, installed, ""};
        QTest::newRow("file missing: nothing started") << HelpCase{{}, "", "ヘルプファイルが見つかりません。"};
    }

    void startHelp()
    {
        QFETCH(HelpCase, c);
        auto& [existing, opened, message] = c;
        QStringList openedPaths;
        QStringList builtIn;
        HelpPlatform platform;
        platform.fileExists = [&](const QString& path) { return existing.contains(path); };
        platform.open = [&](const QString& path, const std::function<void()>&) { openedPaths << path; };
        const QString problem =
            StartHelp(QStringLiteral("/opt/miravo link/bin"), platform, [&](const QString& guide) { builtIn << guide; });
        QCOMPARE(openedPaths, opened.isEmpty() ? QStringList{} : QStringList{opened});
        QVERIFY(builtIn.isEmpty());
        QVERIFY2(message.isEmpty() ? problem.isEmpty() : problem.contains(message), qPrintable(problem));
    }
};

QTEST_MAIN(TestAppShell)
#include "test_app_shell.moc"
