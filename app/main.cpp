#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "print/PrintDialogRunner.h"
#include "ui/ApplicationSetup.h"
#include "ui/SplashWindow.h"
#include "ui/Prompts.h"
#include "document/ProgramCore.h"
#include "link/SerialPorts.h"
#include "startup/InstrumentStart.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
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
        // A usage error never waits on a click: a script may have started the program.
        print(stderr, QStringLiteral("miravo-link: ") + options.text + QStringLiteral("\n"));
        return 1;
    case CommandLineOptions::Action::Run:
        break;
    }
    if (const QString error = StartTrace(options.instrument); !error.isEmpty()) {
        print(stderr, QStringLiteral("miravo-link: ") + error + QStringLiteral("\n"));
        return 2;
    }

    QApplication app(argc, argv);
    SetUpApplication(app);

    QtPrompts prompts;
    QtPrintDialogRunner printDialog;

    InstrumentStart start;
    if (const QString error = start.start(options.instrument); !error.isEmpty()) {
        prompts.tell(nullptr, QString(), error);
        return 1;
    }

    SplashWindow splash;
    splash.show();
    splash.activateWindow(); // a key press on the splash hands over, once the load has finished
    QApplication::processEvents();

    // The document, the settings, the instrument link and the acquisition flow, for the whole
    // run; built after the simulated instrument, so the link is gone before it.
    ProgramCore core;
    MainWindowServices services;
    services.prompts = &prompts;
    services.printDialog = &printDialog;
    services.devicePath = start.device();
    services.serialPorts = AvailableSerialPorts;
    services.portMemoryFile =
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("miravo-link"), QStringLiteral("miravo-link"))
            .fileName();
    services.configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/miravo-link");
    services.help = SystemHelpPlatform();
    services.appDir = QApplication::applicationDirPath();
    services.endProgram = [] { QApplication::exit(0); };
    // The load steps run here, behind the splash; a settings message may keep them waiting.
    MainWindow window(core, std::move(services));
    window.resize(window.sizeHint().expandedTo(QSize(1040, 600)));
    if (!options.file.isEmpty())
        window.openWaveFile(options.file);
    QObject::connect(&splash, &SplashWindow::handOver, &window, &QWidget::show);
    splash.setLoadFinished();
    return app.exec();
}
