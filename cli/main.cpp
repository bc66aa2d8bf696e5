// miravo-cli: the instrument and its waveform files from a script.

#include "cli/CliArguments.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliResult.h"
#include "cli/InterruptWatcher.h"
#include "link/SerialPorts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The progress bar is drawn only for a person watching, never into a log file.
bool standardErrorIsTerminal()
{
#if defined(Q_OS_WIN)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    InterruptWatcher::catchSignals();
    // Text in a picture (render --annotate, a switch no other subcommand takes) needs
    // fonts, which come with a QGuiApplication only; the offscreen platform gives them
    // without a display. Everything else keeps the plain application, which looks for no
    // desktop at all.
    const bool drawsText = std::any_of(argv + 1, argv + argc, [](const char* a) { return std::strcmp(a, "--annotate") == 0; });
    std::unique_ptr<QCoreApplication> app;
    if (drawsText) {
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const CliArguments arguments(QCoreApplication::arguments().mid(1));
    CliConsole console(stdout, stderr, arguments.quiet(), standardErrorIsTerminal());
    switch (arguments.action()) {
    case CliArguments::Action::ShowText:
        console.print(arguments.text());
        return kCliDone;
    case CliArguments::Action::ListPorts:
        return PrintPortList(AvailableSerialPorts(), stdout, stderr);
    case CliArguments::Action::Fail:
        console.fail(arguments.text());
        return kCliUsage;
    case CliArguments::Action::Run:
        break;
    }
    return RunCli(arguments, console);
}
