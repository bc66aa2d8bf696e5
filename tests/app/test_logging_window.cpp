// Logging from the window as a user runs it: the 記録 view opened by its shortcut, filled in
// by keys and clicks, a run through a lost and returning line, the exchange buttons greyed
// meanwhile, and no message box to close however often the line fails; then a run judged
// against its last capture kept as R1.

#include "app/MainWindow.h"
#include "document/ProgramCore.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrintDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TypeInto.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class TestLoggingWindow : public QObject {
    Q_OBJECT

private slots:
    void logThroughALostLine()
    {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        SimulatedInstrument simulator;
        ProgramCore core;
        ScriptedPrompts prompts;
        ScriptedPrintDialog printDialog;
        MainWindowServices services;
        services.prompts = &prompts;
        services.printDialog = &printDialog;
        services.devicePath = simulator.start(SimOptions{.reconnectable = true});
        services.portMemoryFile = dir.filePath(QStringLiteral("miravo-link.conf"));
        services.endProgram = [] {};
        MainWindow window(core, std::move(services));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(QTest::qWaitFor([&] { return !window.link()->isBusy(); }, 5000));

        QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
        auto* view = window.findChild<QWidget*>(QStringLiteral("LoggerView"));
        QVERIFY(view && QTest::qWaitForWindowExposed(view));
        const QString log = dir.filePath(QStringLiteral("LOG.csv"));
        typeInto(view->findChild<QWidget*>(QStringLiteral("LogFileEdit")), log);
        typeInto(view->findChild<QWidget*>(QStringLiteral("LogEvery")), QStringLiteral("0.2"));
        typeInto(view->findChild<QWidget*>(QStringLiteral("LogCount")), QStringLiteral("4"));
        QTest::mouseClick(view->findChild<QCheckBox*>(QStringLiteral("LogCh2")), Qt::LeftButton);
        auto* load = window.findChild<QPushButton*>(QStringLiteral("Command1_10"));
        auto* status = view->findChild<QLabel*>(QStringLiteral("LogStatus"));
        QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("LogStart")), Qt::LeftButton);
        QVERIFY(!load->isEnabled());

        const auto rows = [&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') - 1 : 0;
        };
        QVERIFY(QTest::qWaitFor([&] { return rows() == 1; }, 10000));
        QVERIFY(simulator.dropLine(2500ms));
        QVERIFY(QTest::qWaitFor([&] { return status->text().contains(QStringLiteral("接続し直しています")); }, 10000));
        QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("接続し直しています")));
        QVERIFY(!load->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return status->text() == QStringLiteral("記録を終えました（4 回）。"); }, 20000));
        QVERIFY(load->isEnabled());
        QVERIFY2(prompts.asked.isEmpty(), qPrintable(prompts.asked.value(0).text));

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines[0].startsWith("time,capture,status,ch1_maximum_V,"));
        QVERIFY(!lines[0].contains("ch2_"));
        // A fresh window has no conditions of its own: the captures take the defaults, so
        // the rows hold volts and hertz.
        QVERIFY(lines[1].contains(",1,ok,") && !lines[1].contains(",1,ok,,"));
        QVERIFY(!lines[2].contains(",2,ok,"));   // the capture the lost line broke
        QVERIFY(lines[4].contains(",4,ok,"));

        // The instrument repeats its capture until a sweep: the next ones equal R1.
        QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
        auto* tolerance = window.findChild<QWidget*>(QStringLiteral("RefTolerance"));
        QVERIFY(tolerance && QTest::qWaitForWindowExposed(tolerance->window()));
        QTest::keyClick(&window, Qt::Key_1, Qt::AltModifier);
        typeInto(tolerance, QStringLiteral("0"));
        QTest::keyClick(tolerance, Qt::Key_Return);
        typeInto(view->findChild<QWidget*>(QStringLiteral("LogFileEdit")), dir.filePath(QStringLiteral("JUDGED.csv")));
        typeInto(view->findChild<QWidget*>(QStringLiteral("LogCount")), QStringLiteral("2"));
        QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("LogStart")), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return status->text() == QStringLiteral("記録を終えました（2 回）。"); }, 20000));
        QFile judged(dir.filePath(QStringLiteral("JUDGED.csv")));
        QVERIFY(judged.open(QIODevice::ReadOnly));
        const QByteArray text = judged.readAll();
        QVERIFY2(text.count(",reference\n") == 1 && text.count(",pass\n") == 2, text.constData());
    }
};

QTEST_MAIN(TestLoggingWindow)
#include "test_logging_window.moc"
