// The connection doctor in the window, as a user reaches it: from the 通信環境 tab of the
// options dialog (its "この設定を使う" fills the fields, OK stores them), and from the
// message of a port that could not be opened.

#include "app/MainWindow.h"
#include "document/ProgramCore.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
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
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

struct Machine {
    QTemporaryDir dir;
    SimulatedInstrument simulator;
    std::vector<SerialPortEntry> present;
    ProgramCore core;
    EnvSettings& settings = core.settings();
    ScriptedPrompts prompts;
    ScriptedPrintDialog printDialog;
    std::unique_ptr<MainWindow> window;

    Machine() { QDir::setCurrent(dir.path()); }
    void start(const QString& device)
    {
        MainWindowServices services;
        services.prompts = &prompts;
        services.printDialog = &printDialog;
        services.devicePath = device;
        services.serialPorts = [this] { return present; };
        services.configDir = dir.filePath(QStringLiteral("config"));
        services.endProgram = [] {};
        window = std::make_unique<MainWindow>(core, std::move(services));
        window->show();
    }
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

} // namespace

class TestConnectionDoctor : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }

    // The instrument at 19200, the settings at 9600: the doctor finds it, "この設定を使う"
    // puts it in the fields, OK stores it and the port opens at that speed.
    void fromTheOptionsDialog()
    {
        Machine m;
        const QString sim = m.simulator.start(SimOptions{.lineSpeed = 19200, .faults = {}, .identity = {}});
        m.present = {{"/dev/ttyUSB7", "USB Serial", "FTDI", "A1", "0403:6001"}, {sim, "", "", "", ""}};
        m.start(sim);
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

        // Unknown fields show "-", as --list-ports prints them; a USB adapter its VID:PID.
        QCOMPARE(devices, (QStringList{"/dev/ttyUSB7|USB Serial|FTDI|A1|0403:6001", sim + "|-|-|-|-"}));
        QCOMPARE(steps.size(), 5);
        QVERIFY2(steps[3].startsWith(u"×") && steps[3].contains("9600,n,8,1"), qPrintable(steps[3]));
        QVERIFY2(steps[4].startsWith(u"○") && steps[4].contains("19200,n,8,1"), qPrintable(steps[4]));
        QVERIFY2(advice.contains("19200"), qPrintable(advice));
        QCOMPARE(speedShown, QStringLiteral("19200"));
        QCOMPARE(m.settings.Com[0], 3);
        QTRY_COMPARE(m.window->link()->state().settingsText, QStringLiteral("19200,n,8,1"));
        QVERIFY(m.window->link()->state().open);
    }

    // A port that is not there: the message offers 診断, which says so and lists the
    // devices found; nothing is offered to use.
    void fromAFailedConnection()
    {
        Machine m;
        m.present = {{"/dev/ttyUSB7", "USB Serial", "FTDI", "A1", "0403:6001"}};
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

QTEST_MAIN(TestConnectionDoctor)
#include "test_connection_doctor.moc"
