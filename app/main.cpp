#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "link/LinkTrace.h"
#include "print/PrintDialogRunner.h"
#include "ui/ApplicationSetup.h"
#include "ui/SplashWindow.h"
#include "core/EnvSettings.h"
#include "ui/Prompts.h"
#include "document/WaveDocument.h"
#include "link/SerialPorts.h"

#include <QApplication>
#include <QSettings>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef MIRAVO_HAVE_SIMULATOR
#include "sim/SimulatedInstrument.h"
#endif

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Started from a menu or a file manager, nobody reads standard error; a message box is
// shown instead where a window system is there to show it.
bool messageNeedsBox()
{
#ifdef Q_OS_WIN
    return !_isatty(_fileno(stderr));
#else
    return !isatty(STDERR_FILENO) &&
           (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // Read before any window system is needed, so --help and --version work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineOptions options = ParseCommandLine(arguments);
    switch (options.action) {
    case CommandLineOptions::Action::ShowHelp:
    case CommandLineOptions::Action::ShowVersion:
        print(stdout, options.text);
        return 0;
    case CommandLineOptions::Action::ListPorts:
        return PrintPortList(AvailableSerialPorts(), stdout, stderr);
    case CommandLineOptions::Action::Fail:
        print(stderr, options.text + QStringLiteral("\n"));
        if (messageNeedsBox()) {
            QApplication app(argc, argv);
            SetUpApplication(app);
            QtPrompts().tell(nullptr, QString(), options.text);
        }
        return 2;
    case CommandLineOptions::Action::Run:
        break;
    }
    if (QString error; !options.traceFile.isEmpty() && !StartLinkTrace(options.traceFile, &error)) {
        print(stderr, error + QStringLiteral("\n"));
        return 2;
    }

    QApplication app(argc, argv);
    SetUpApplication(app);

    WaveDocument document;
    EnvSettings settings;
    QtPrompts prompts;
    QtPrintDialogRunner printDialog;

    // --simulate: the simulated instrument answers on a pseudo-terminal of its own,
    // paced at the line speed the program sets so transfers take their real time.
    QString devicePath = options.port;
#ifdef MIRAVO_HAVE_SIMULATOR
    SimulatedInstrument simulator;
    if (options.simulate) {
        SimOptions simOptions;
        simOptions.paceBaud = SimOptions::kPaceAtLineSpeed;
        QString error;
        devicePath = simulator.start(simOptions, &error);
        if (devicePath.isEmpty()) {
            prompts.tell(nullptr, QString(), QStringLiteral("模擬 MIRAVO を起動できませんでした。\n") + error);
            return 1;
        }
    }
#else
    if (options.simulate) {
        prompts.tell(nullptr, QString(), QStringLiteral("この環境では模擬 MIRAVO を使えません。"));
        return 1;
    }
#endif

    SplashWindow splash;
    splash.show();
    splash.activateWindow(); // a key press on the splash hands over, once the load has finished
    QApplication::processEvents();

    MainWindowParts parts;
    parts.prompts = &prompts;
    parts.printDialog = &printDialog;
    parts.devicePath = devicePath;
    parts.serialPorts = AvailableSerialPorts;
    parts.portMemoryFile =
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("miravo-link"), QStringLiteral("miravo-link"))
            .fileName();
    parts.help = SystemHelpPlatform();
    parts.appDir = QApplication::applicationDirPath();
    parts.endProgram = [] { QApplication::exit(0); };
    // The load steps run here, behind the splash; a settings message may keep them waiting.
    MainWindow window(document, settings, std::move(parts));
    window.resize(window.sizeHint().expandedTo(QSize(1040, 600)));
    if (!options.file.isEmpty())
        window.openWaveFile(options.file);
    QObject::connect(&splash, &SplashWindow::handOver, &window, &QWidget::show);
    splash.setLoadFinished();
    return app.exec();
}
