#include "app/MainWindow.h"
#include "link/InstrumentLink.h"
#include "link/SerialPorts.h"
#include "sim/SimulatedInstrument.h"
#include "support/ModalHelper.h"
#include "support/ScriptedPrintDialog.h"
#include "support/ScriptedPrompts.h"
#include "core/WaveRecord.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// Settings with port 2 and 38400 baud, so a rewrite with other values would show.
const std::string kSettingsBytes = [] {
    std::string bytes(40, '\0');
    bytes[0] = 2;
    bytes[10] = 1;
    bytes[12] = '\x40';
    return bytes;
}();

std::string fileBytes(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Main windows started one after another in one working directory, with one
// configuration file, the simulated instrument on a pseudo-terminal and a stand-in list
// of the serial devices present.
struct Machine {
    QTemporaryDir dir;
    SimulatedInstrument simulator;
    QString simDevice = simulator.start(SimOptions{});
    QString configFile = dir.filePath("config/miravo-link.conf");
    std::vector<SerialPortEntry> present;
    WaveRecord record;
    EnvSettings settings;
    ScriptedPrompts prompts;
    ScriptedPrintDialog printDialog;
    std::unique_ptr<MainWindow> window;

    Machine()
    {
        QDir::setCurrent(dir.path());
        std::ofstream(dir.filePath("MV_UTL.ENV").toStdString(), std::ios::binary) << kSettingsBytes;
    }

    void start(const QString& commandLineDevice = {})
    {
        window.reset();
        MainWindowParts parts;
        parts.prompts = &prompts;
        parts.printDialog = &printDialog;
        parts.devicePath = commandLineDevice;
        parts.serialPorts = [this] { return present; };
        parts.portMemoryFile = configFile;
        parts.endProgram = [] {};
        window = std::make_unique<MainWindow>(record, settings, std::move(parts));
        window->show();
    }

    // The port the status line shows once the link has opened (or failed to open) it.
    QString portShown() const
    {
        auto* label = window->findChild<QLabel*>(QStringLiteral("PortStatus"));
        if (!QTest::qWaitFor([label] { return !label->text().isEmpty(); }, 5000))
            return {};
        return label->text().section(QStringLiteral("  "), 0, 0);
    }
    QString message() const { return window->statusBar()->currentMessage(); }
};

} // namespace

class TestSerialDevices : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void listText_data();
    void listText();
    void startChoice_data();
    void startChoice();
    void chosenDeviceSurvivesRestart();
};

void TestSerialDevices::listText_data()
{
    QTest::addColumn<QList<QStringList>>("ports");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<QStringList>{} << "";
    QTest::newRow("full and empty fields")
        << QList<QStringList>{{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3X"}, {"/dev/ttyS0", "", "", ""}}
        << "/dev/ttyUSB0\tFT232R USB UART\tFTDI\tA10K3X\n/dev/ttyS0\t-\t-\t-\n";
    // An adapter's texts cannot add fields or lines.
    QTest::newRow("tab and line break in a text")
        << QList<QStringList>{{"COM3", "USB\tSerial\nPort ", " ", "1\r2"}} << "COM3\tUSB Serial Port\t-\t1 2\n";
}

void TestSerialDevices::listText()
{
    QFETCH(QList<QStringList>, ports);
    QFETCH(QString, text);
    std::vector<SerialPortEntry> entries;
    for (const QStringList& p : ports)
        entries.push_back({p[0], p[1], p[2], p[3]});
    QCOMPARE(PortListText(entries), text);
}

void TestSerialDevices::startChoice_data()
{
    // "sim" stands for the simulated instrument's device, present as a detected device.
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<bool>("simPresent");
    QTest::addColumn<bool>("commandLine"); // --port names the simulator's device
    QTest::addColumn<QString>("opened");   // "sim" or the settings file's port
    QTest::addColumn<QString>("message");  // part of the status line's message; empty: none
    QTest::newRow("remembered and present") << "sim" << true << false << "sim" << "";
    QTest::newRow("remembered, gone: the settings' port") << "/dev/ttyACM0" << true << false << "/dev/ttyS1"
                                                          << "記憶したデバイス /dev/ttyACM0 が見つかりません。";
    QTest::newRow("nothing remembered") << "" << true << false << "/dev/ttyS1" << "";
    QTest::newRow("--port wins for the run") << "/dev/ttyUSB7" << false << true << "sim" << "";
}

void TestSerialDevices::startChoice()
{
    QFETCH(QString, remembered);
    QFETCH(bool, simPresent);
    QFETCH(bool, commandLine);
    QFETCH(QString, opened);
    QFETCH(QString, message);
    Machine m;
    const auto sim = [&](const QString& s) { return s == QLatin1String("sim") ? m.simDevice : s; };
    m.present = {{"/dev/ttyUSB7", "USB Serial", "FTDI", "A1"}};
    if (simPresent)
        m.present.push_back({m.simDevice, "Stand-in adapter", "MIRAVO", "SIM1"});
    QVERIFY(RememberDevice(m.configFile, sim(remembered)));
    m.start(commandLine ? m.simDevice : QString());
    QCOMPARE(m.portShown(), sim(opened));
    QVERIFY2(message.isEmpty() ? m.message().isEmpty() : m.message().contains(message), qPrintable(m.message()));
    QCOMPARE(RememberedDevice(m.configFile), sim(remembered));
    QCOMPARE(fileBytes(m.dir.filePath("MV_UTL.ENV")), kSettingsBytes);
}

// The user picks the detected device on the 通信環境 tab and presses OK: it is used at once,
// the 40-byte file keeps its bytes, and the next start opens the same device.
void TestSerialDevices::chosenDeviceSurvivesRestart()
{
    Machine m;
    m.present = {{"/dev/ttyUSB7", "USB Serial", "FTDI", "A1"}, {m.simDevice, "Stand-in adapter", "MIRAVO", "SIM1"}};
    m.start();
    QCOMPARE(m.portShown(), QStringLiteral("/dev/ttyS1"));

    bool picked = false;
    whenModalOpens([&](QWidget* dialog) {
        auto* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
        auto* devices = dialog->findChild<QTreeWidget*>(QStringLiteral("PortDevices"));
        const QList<QTreeWidgetItem*> rows = devices->findItems(m.simDevice, Qt::MatchExactly);
        if (devices->isVisible() && rows.size() == 1) {
            QTest::mouseClick(devices->viewport(), Qt::LeftButton, {}, devices->visualItemRect(rows[0]).center());
            picked = devices->currentItem() == rows[0];
        }
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    QTest::mouseClick(m.window->findChild<QPushButton*>(QStringLiteral("Command1_9")), Qt::LeftButton);
    QVERIFY(picked);
    QTRY_COMPARE(m.portShown(), m.simDevice);
    QCOMPARE(fileBytes(m.dir.filePath("MV_UTL.ENV")), kSettingsBytes);

    m.start();
    QCOMPARE(m.portShown(), m.simDevice);
    QVERIFY(m.window->link()->state().open);
    QVERIFY(m.message().isEmpty());
    QCOMPARE(fileBytes(m.dir.filePath("MV_UTL.ENV")), kSettingsBytes);
}

QTEST_MAIN(TestSerialDevices)
#include "test_serial_devices.moc"
