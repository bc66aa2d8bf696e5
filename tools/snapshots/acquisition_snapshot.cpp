// Writes the pictures of a capture as a user sees it, into OUTDIR: the main window during
// a long download, the previous waveform still shown (download-progress.png), then the setup dialog unlocked after the
// capture (setup-unlocked.png) and locked after its confirmation (setup-locked.png).
// Usage: acquisition_snapshot OUTDIR; run it in a scratch directory (the window keeps its
// settings file in the working directory), under Xvfb or with QT_QPA_PLATFORM=offscreen.

#include "app/MainWindow.h"
#include "document/AcquisitionFlow.h"
#include "document/ProgramCore.h"
#include "document/widgets/SetupDialog.h"
#include "core/EnvSettings.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrompts.h"
#include "support/SampleWaves.h"
#include "ui/ApplicationSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

// Runs step on the setup dialog once it is open and has shown its first-paint warning.
void onSetupDialog(QWidget* window, std::function<void(SetupDialog&)> step)
{
    QTimer::singleShot(50, window, [window, step] {
        SetupDialog* dialog = nullptr;
        for (SetupDialog* open : window->findChildren<SetupDialog*>())
            dialog = open->isVisible() ? open : dialog;
        if (!dialog) {
            onSetupDialog(window, step);
            return;
        }
        QTest::qWait(300);
        step(*dialog);
    });
}

bool save(QWidget& widget, const QString& path)
{
    const bool saved = widget.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);   // as the program starts: Qt's own texts in Japanese
    if (argc != 2) {
        std::fprintf(stderr, "usage: acquisition_snapshot OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    // 115200 baud, and the simulator paced at that speed: a long channel takes 9 s.
    EnvSettings settings;
    settings.Com[0] = 0;
    WriteSettings(SettingsPathFor(std::filesystem::current_path()), settings);
    SimOptions options;
    options.paceBaud = SimOptions::kPaceAtLineSpeed;
    SimulatedInstrument simulator;
    const QString device = simulator.start(options);

    ProgramCore core;
    WaveDocument& document = core.document();
    ScriptedPrompts prompts;
    MainWindowServices services;
    services.prompts = &prompts;
    services.devicePath = device;
    services.endProgram = [] {};
    MainWindow window(core, std::move(services));
    window.resize(1000, 720);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    // The previous waveform stays in view while the new one arrives.
    auto record = std::make_unique<WaveRecord>();
    FillSineSquare(*record, 5119);
    record->SecondsPerDiv = 1e-4f;
    record->Ch1VoltsPerDiv = 0.5f;
    record->Ch2VoltsPerDiv = 2;
    record->ParamsLocked = kTrue;
    document.setFlag(WaveDocument::Flag::Grid, 1);
    document.applyFile(*record);
    QTest::qWait(500);
    document.setFlag(WaveDocument::Flag::Length, 1);

    int failures = 0;
    bool progressShot = false;
    QObject::connect(window.link(), &InstrumentLink::downloadProgress, &window,
                     [&](int channel, qint64 received, qint64 total) {
                         if (!progressShot && channel == 1 && received * 5 >= total * 2) {
                             progressShot = true;
                             failures += !save(window, out.filePath(QStringLiteral("download-progress.png")));
                         }
                     });
    onSetupDialog(&window, [&](SetupDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("SetupCombo_0"))->setEditText(QStringLiteral("1m"));
        dialog.findChild<QComboBox*>(QStringLiteral("SetupCombo_1"))->setEditText(QStringLiteral("500m"));
        dialog.findChild<QComboBox*>(QStringLiteral("SetupCombo_2"))->setEditText(QStringLiteral("2"));
        dialog.findChild<QLineEdit*>(QStringLiteral("SetupOffset_0"))->setText(QStringLiteral("1"));
        dialog.findChild<QLineEdit*>(QStringLiteral("SetupOffset_1"))->setText(QStringLiteral("-1.5"));
        dialog.findChild<QLineEdit*>(QStringLiteral("Title"))->setText(QStringLiteral("模擬 MIRAVO の波形"));
        failures += !save(dialog, out.filePath(QStringLiteral("setup-unlocked.png")));
        prompts.answers.push_back(QMessageBox::Yes);
        dialog.findChild<QPushButton*>(QStringLiteral("Command1_3"))->click();
    });

    QObject::connect(window.acquisition(), &AcquisitionFlow::finished, &window, [&] {
        onSetupDialog(&window, [&](SetupDialog& dialog) {
            failures += !save(dialog, out.filePath(QStringLiteral("setup-locked.png")));
            dialog.findChild<QPushButton*>(QStringLiteral("Command1_2"))->click();
            QTimer::singleShot(0, &app, [] { QApplication::quit(); });
        });
        window.Command1_Click(4);
    });
    if (!window.acquisition()->LoadFromInstrument())
        return 1;
    app.exec();
    return failures == 0 && progressShot ? 0 : 1;
}
