// Takes the README's pictures of the main window (after a capture from the simulated
// instrument), the options dialog (colours, and the serial tab with a stand-in list of
// detected devices) and the version window. Run it on a real display
// (Xvfb with Japanese fonts):  miravo_docs_snapshots <output folder>
#include "ui/AboutDialog.h"
#include "app/MainWindow.h"
#include "print/PrintDialogRunner.h"
#include "support/ModalHelper.h"
#include "options/OptionsDialog.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrompts.h"
#include "document/AcquisitionFlow.h"
#include "document/ProgramCore.h"
#include "files/WaveFileStore.h"
#include "ui/ApplicationSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

namespace {

class NoPrintDialog final : public PrintDialogRunner {
public:
    bool run(QWidget*, QPrinter&, const QString&) override { return false; }
};

bool save(QWidget* widget, const QString& path)
{
    widget->show();
    widget->raise();
    QTest::qWait(400);
    const QPixmap shot = widget->screen()->grabWindow(widget->winId());
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);   // as the program starts: Qt's own texts in Japanese
    if (argc != 2) {
        std::fprintf(stderr, "usage: miravo_docs_snapshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir workDir;
    QDir::setCurrent(workDir.path());

    SimulatedInstrument simulator;
    QString error;
    const QString device = simulator.start(SimOptions{}, &error);
    if (device.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    ProgramCore core;
    WaveDocument& document = core.document();
    ScriptedPrompts prompts;
    NoPrintDialog printDialog;
    MainWindowServices services;
    services.prompts = &prompts;
    services.printDialog = &printDialog;
    services.devicePath = device;
    services.endProgram = [] {};
    MainWindow window(core, std::move(services));
    window.resize(1040, 560);
    window.show();
    QTest::qWaitFor([&] { return window.acquisition()->isIdle(); }, 5000);

    window.Command1_Click(3);
    QTest::qWaitFor([&] { return window.acquisition()->isIdle(); }, 5000);

    // Load from the instrument, then the setup dialog filled in as a user would; three
    // times, so that the measurement panel has statistics to show.
    const auto load = [&] {
        whenModalOpens([](QWidget* dialog) {
            const auto setText = [dialog](const char* name, const char* text) {
                dialog->findChild<QComboBox*>(QLatin1String(name))->setEditText(QString::fromUtf8(text));
            };
            setText("SetupCombo_0", "100u");
            setText("SetupCombo_1", "500m");
            setText("SetupCombo_2", "1");
            dialog->findChild<QLineEdit*>(QStringLiteral("SetupOffset_0"))->setText(QStringLiteral("0"));
            dialog->findChild<QLineEdit*>(QStringLiteral("SetupOffset_1"))->setText(QStringLiteral("0"));
            dialog->findChild<QPushButton*>(QStringLiteral("Command1_1"))->click();
        });
        prompts.answers.push_back(QMessageBox::Yes);
        window.Command1_Click(10);
        if (!QTest::qWaitFor([&] { return window.acquisition()->isIdle() && !QApplication::activeModalWidget(); }, 20000))
            std::fprintf(stderr, "a capture did not end\n");
    };
    for (int capture = 0; capture < 3; ++capture)
        load();
    document.setFlag(WaveDocument::Flag::Grid, 1);
    document.setFlag(WaveDocument::Flag::Base, 1);

    bool ok = save(&window, out.filePath(QStringLiteral("main-window.png")));

    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);   // the 解析 group's 測定
    QWidget* panel = window.findChild<QWidget*>(QStringLiteral("MeasurementPanel"));
    ok = save(panel, out.filePath(QStringLiteral("measurements.png"))) && ok;
    panel->close();

    // A file of the same capture with a bump on CH1 read as R1, a band of 40 mV around it,
    // and the next capture judged against it: where the bump is, the capture leaves the band.
    auto bumped = std::make_unique<WaveRecord>(document.record());
    for (int i = 2000; i < 2060; ++i)
        bumped->Samples(1, i) = int16_t(bumped->Samples(1, i) + 12);
    const QString golden = workDir.filePath(QStringLiteral("golden.CSV"));
    WriteWaveFile(golden, WaveFileKind::Csv, *bumped);
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);   // the 解析 group's 参照
    QWidget* references = window.findChild<QWidget*>(QStringLiteral("ReferencePanel"));
    prompts.fileNames.push_back(golden);
    QTest::mouseClick(references->findChild<QPushButton*>(QStringLiteral("RefLoad_0")), Qt::LeftButton);
    auto* tolerance = references->findChild<QLineEdit*>(QStringLiteral("RefTolerance"));
    tolerance->setFocus();
    QTest::keyClicks(tolerance, QStringLiteral("40m"));
    QTest::keyClick(tolerance, Qt::Key_Return);
    load();
    ok = save(references, out.filePath(QStringLiteral("reference-panel.png"))) && ok;
    references->close();
    ok = save(&window, out.filePath(QStringLiteral("references.png"))) && ok;

    OptionsDialog options(settings, window.SettingsPath(), prompts, &window);
    ok = save(&options, out.filePath(QStringLiteral("options.png"))) && ok;
    options.close();

    // The machine taking the pictures may have no serial device: a stand-in list.
    OptionsDialog devices(settings, window.SettingsPath(), prompts, &window);
    devices.offerDevices([] {
        return std::vector<SerialPortEntry>{
            {QStringLiteral("/dev/ttyACM0"), QStringLiteral("USB CDC Serial"), QStringLiteral("Microchip"), QString()},
            {QStringLiteral("/dev/ttyS0"), QString(), QString(), QString()},
            {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
             QStringLiteral("A10K3X7Q")}};
    }, QStringLiteral("/dev/ttyUSB0"));
    devices.findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    ok = save(&devices, out.filePath(QStringLiteral("options-devices.png"))) && ok;
    devices.close();

    AboutDialog about(prompts, &window);
    ok = save(&about, out.filePath(QStringLiteral("about.png"))) && ok;
    about.close();
    return ok ? 0 : 1;
}
