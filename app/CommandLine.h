#pragma once
// The program's command line: --port DEVICE, --simulate, --trace FILE, --list-ports, --help,
// --version, and a waveform file to open at start.

#include <QString>
#include <QStringList>

struct CommandLineOptions {
    enum class Action { Run, ShowHelp, ShowVersion, ListPorts, Fail };
    Action action = Action::Run;
    QString port;           // a device used instead of the settings' port; empty: none
    bool simulate = false;  // connect to the built-in simulated instrument
    QString traceFile;      // append the link's trace to this file; empty: no trace
    QString file;           // a CSV or RAW file to open at start; empty: none
    QString text;           // help or version text, or the reason for Fail
};

// arguments[0] is the program name.
CommandLineOptions ParseCommandLine(const QStringList& arguments);
