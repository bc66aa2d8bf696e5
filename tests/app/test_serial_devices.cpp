// Serial devices in the window: the device list, a device remembered across starts, and the
// connection doctor reached from the options dialog and from a failed connection.

#include "app/MainWindow.h"
#include "document/ProgramCore.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/FileNodes.h"
#include "support/ModalHelper.h"
#include "support/ScriptedPrintDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/ShownText.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

// Main windows started one after another in one working directory (settings: port 2) and
// one configuration file, with the simulator's pseudo-terminal among the devices "found".
// simulated: the simulator's options (its own line speed, for the doctor).
struct Machine {
    QTemporaryDir dir;
    SimulatedInstrument simulator;
    QString sim;
    QString configFile = dir.filePath("config/miravo-link.conf");
    std::vector<SerialPortEntry> present;
    std::unique_ptr<ProgramCore> core;   // a program of its own at each start
    ScriptedPrompts prompts;
    ScriptedPrintDialog printDialog;
    std::unique_ptr<MainWindow> window;

    explicit Machine(SimOptions simulated = {})
        : sim(simulator.start(simulated)),
          present{{"/dev/ttyUSB7", "USB Serial", "FTDI", "A1", "0403:6001"}, {sim, "", "", ""}}
    {
        QDir::setCurrent(dir.path());
        EnvSettings onPort2;
        onPort2.Com[5] = 1;
        WriteSettings(dir.filePath("MV_UTL.ENV").toStdString(), onPort2);
    }
    void start(const QString& commandLineDevice = {})
    {
        window.reset();
        core = std::make_unique<ProgramCore>();
        MainWindowServices services{.prompts = &prompts, .printDialog = &printDialog, .help = {}, .appDir = {}, .devicePath = commandLineDevice,
                              .serialPorts = [this] { return present; }, .portMemoryFile = configFile, .endProgram = [] {}, .configDir = {}};
        window = std::make_unique<MainWindow>(*core, std::move(services));
        window->show();
    }
    // The port the status line shows once the link has tried to open it.
    QString portShown() const
    {
        auto* label = window->findChild<QLabel*>(QStringLiteral("PortStatus"));
        return QTest::qWaitFor([label] { return !label->text().isEmpty(); }, 5000) ? label->text().section("  ", 0, 0) : QString();
    }
    QByteArray settingsBytes() const { return fileBytes(dir.filePath("MV_UTL.ENV")); }
};

QStringList rowTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int column = 0; column < item->columnCount(); ++column)
        texts << item->text(column);
    return texts;
}

QStringList stepTexts(QWidget* doctor)
{
    auto* steps = doctor->findChild<QListWidget*>(QStringLiteral("DoctorSteps"));
    QStringList texts;
    for (int row = 0; row < steps->count(); ++row)
        texts << steps->item(row)->text();
    return texts;
}

// commandLine: --port names the simulator's device; opened: empty: the simulator's device.
struct StartCase { QString remembered; bool commandLine; QString opened, message; };

} // namespace

class TestSerialDevices : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    // One line a device; an adapter's texts cannot add fields or lines.
    void listText()
    {
        const SerialPortEntry port{"COM3", "USB\tSerial\n ", " ", "1\r2"};
        const SerialPortEntry adapter{"/dev/ttyUSB0", "", "FTDI", "A1", "0403:6001"};
        QCOMPARE(PortListText({port, adapter}),
                 QStringLiteral("COM3\tUSB Serial\t-\t1 2\t-\n/dev/ttyUSB0\t-\tFTDI\tA1\t0403:6001\n"));
    }

    void startWithRemembered_data()
    {
        QTest::addColumn<StartCase>("c");
        QTest::newRow("gone: the settings' port, told")
            << StartCase{"/dev/ttyACM0", false, "/dev/ttyS1", "記憶したデバイス /dev/ttyACM0 が見つかりません。設定ファイルのポートを使います。"};
        QTest::newRow("--port wins for the run") << StartCase{"/dev/ttyUSB7", true, "", ""};
    }

    void startWithRemembered()
    {
        QFETCH(StartCase, c);
        auto& [remembered, commandLine, opened, message] = c;
        Machine m;
        const QByteArray settings = m.settingsBytes();
        QVERIFY(RememberDevice(m.configFile, remembered));
        m.start(commandLine ? m.sim : QString());
        QCOMPARE(m.portShown(), opened.isEmpty() ? m.sim : opened);
        QCOMPARE(m.window->statusBar()->currentMessage(), message);
        QCOMPARE(RememberedDevice(m.configFile), remembered);
        QCOMPARE(m.settingsBytes(), settings);
    }

    // Picked on the 通信環境 tab with OK: used at once, and the next start opens the same
    // device; the 40-byte file keeps its bytes throughout.
    void chosenDeviceSurvivesRestart()
    {
        Machine m;
        const QByteArray settings = m.settingsBytes();
        m.start();
        QCOMPARE(m.portShown(), QStringLiteral("/dev/ttyS1"));
        bool picked = false;
        whenModalOpens([&](QWidget* dialog) {
            QTabBar* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
            auto* devices = dialog->findChild<QTreeWidget*>(QStringLiteral("PortDevices"));
            const QList<QTreeWidgetItem*> rows = devices->findItems(m.sim, Qt::MatchExactly);
            if (devices->isVisible() && rows.size() == 1) {
                QTest::mouseClick(devices->viewport(), Qt::LeftButton, {}, devices->visualItemRect(rows[0]).center());
                picked = devices->currentItem() == rows[0];
            }
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        QTest::mouseClick(m.window->findChild<QPushButton*>(QStringLiteral("Command1_9")), Qt::LeftButton);
        QVERIFY(picked);
        QTRY_COMPARE(m.portShown(), m.sim);

        m.start();
        QCOMPARE(m.portShown(), m.sim);
        QVERIFY(m.window->link()->state().open);
        QVERIFY(m.window->statusBar()->currentMessage().isEmpty());
        QCOMPARE(m.settingsBytes(), settings);
    }

    void laterPortChoiceWins_data()
    {
        QTest::addColumn<bool>("standard");   // 標準設定 on the 通信環境 tab, else port 1 picked with the keyboard
        QTest::newRow("port 1 picked") << false;
        QTest::newRow("標準設定") << true;
    }
    // A device remembered earlier gives way to a port picked (or the standard settings) later
    // in the dialog: the port is opened and the device forgotten.
    void laterPortChoiceWins()
    {
        QFETCH(bool, standard);
        Machine m;
        QVERIFY(RememberDevice(m.configFile, m.sim));
        m.start();
        QCOMPARE(m.portShown(), m.sim);
        whenModalOpens([&](QWidget* dialog) {
            QTabBar* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
            if (standard) {
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("COMStand")), Qt::LeftButton);
            } else {
                auto* port = dialog->findChild<QComboBox*>(QStringLiteral("EnvCOM_5"));
                port->setFocus();
                QTest::keyClick(port, Qt::Key_Up);
            }
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        QTest::mouseClick(m.window->findChild<QPushButton*>(QStringLiteral("Command1_9")), Qt::LeftButton);
        QTRY_COMPARE(m.portShown(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(RememberedDevice(m.configFile), QString());
    }
    // The instrument at 19200, the settings at 9600: 診断 on the 通信環境 tab finds it,
    // "この設定を使う" puts it in the fields, OK stores it and the port opens at that speed.
    // The device list shows "-" for unknown fields, as --list-ports, and an adapter's VID:PID.
    void doctorFromTheOptionsDialog()
    {
        Machine m(SimOptions{.lineSpeed = 19200});
        m.start(m.sim);
        QStringList devices, steps;
        QString advice, speedShown;
        whenModalOpens([&](QWidget* options) {
            QTabBar* tabs = options->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
            auto* list = options->findChild<QTreeWidget*>(QStringLiteral("PortDevices"));
            for (int row = 1; row < list->topLevelItemCount(); ++row)
                devices << rowTexts(list->topLevelItem(row)).join(u'|');
            whenModalOpens([&](QWidget* doctor) {
                auto* use = doctor->findChild<QPushButton*>(QStringLiteral("DoctorUse"));
                if (QTest::qWaitFor([use] { return use->isEnabled(); }, 30000)) {
                    steps = stepTexts(doctor);
                    advice = shownText(doctor->findChild<QLabel*>(QStringLiteral("DoctorAdvice")));
                    QTest::mouseClick(use, Qt::LeftButton);
                } else {
                    QTest::mouseClick(doctor->findChild<QPushButton*>(QStringLiteral("DoctorClose")), Qt::LeftButton);
                }
            });
            QTest::mouseClick(options->findChild<QPushButton*>(QStringLiteral("COMDoctor")), Qt::LeftButton);
            speedShown = options->findChild<QComboBox*>(QStringLiteral("EnvCOM_0"))->currentText().trimmed();
            QTest::mouseClick(options->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        QTest::mouseClick(m.window->findChild<QPushButton*>(QStringLiteral("Command1_9")), Qt::LeftButton);

        QCOMPARE(devices, (QStringList{"/dev/ttyUSB7|USB Serial|FTDI|A1|0403:6001", m.sim + "|-|-|-|-"}));
        QCOMPARE(steps.size(), 5);
        QVERIFY2(steps[3].startsWith(u"×") && steps[3].contains("9600,n,8,1"), qPrintable(steps[3]));
        QVERIFY2(steps[4].startsWith(u"○") && steps[4].contains("19200,n,8,1"), qPrintable(steps[4]));
        QVERIFY2(advice.contains("19200"), qPrintable(advice));
        QCOMPARE(speedShown, QStringLiteral("19200"));
        QCOMPARE(m.core->settings().Com[0], 3);
        QTRY_COMPARE(m.window->link()->state().settingsText, QStringLiteral("19200,n,8,1"));
        QVERIFY(m.window->link()->state().open);
    }

    // A port that is not there: the message offers 診断, which says so and lists the
    // devices found; nothing is offered to use.
    void doctorFromAFailedConnection()
    {
        Machine m;
        m.prompts.answers.push_back(QMessageBox::Help);
        QStringList steps;
        QString advice;
        bool offered = true;
        whenModalOpens([&](QWidget* doctor) {
            auto* close = doctor->findChild<QPushButton*>(QStringLiteral("DoctorClose"));
            if (!QTest::qWaitFor([close] { return close->text() == QStringLiteral("閉じる"); }, 10000))
                qWarning("the doctor did not end its steps");
            steps = stepTexts(doctor);
            advice = shownText(doctor->findChild<QLabel*>(QStringLiteral("DoctorAdvice")));
            offered = doctor->findChild<QPushButton*>(QStringLiteral("DoctorUse"))->isEnabled();
            QTest::mouseClick(close, Qt::LeftButton);
        });
        m.start(QStringLiteral("/dev/miravo-none"));
        QTRY_VERIFY(!steps.isEmpty());
        QCOMPARE(m.prompts.actions, QStringList{"診断"});
        QCOMPARE(steps, QStringList{"×  デバイス /dev/miravo-none がありません。"});
        QVERIFY2(advice.contains("/dev/ttyUSB7"), qPrintable(advice));
        QVERIFY(!offered);
    }
};

QTEST_MAIN(TestSerialDevices)
#include "test_serial_devices.moc"
