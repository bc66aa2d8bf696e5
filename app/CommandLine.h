#pragma once
// The program's command line: the instrument options (--port DEVICE, --simulate,
// --trace FILE), --list-ports, --help, --version, and a waveform file to open at start.

#include "startup/InstrumentOptions.h"

#include <QString>
#include <QStringList>

struct CommandLineOptions {
    enum class Action { Run, ShowHelp, ShowVersion, ListPorts, Fail };
    Action action = Action::Run;
    InstrumentOptions instrument;
    QString file;           // a CSV or RAW file to open at start; empty: none
    QString text;           // help or version text, or the one-line reason for Fail
};

// arguments[0] is the program name.
CommandLineOptions ParseCommandLine(const QStringList& arguments);
