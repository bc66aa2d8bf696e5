#pragma once
// --port DEVICE, --simulate and --trace FILE: the options miravo-link and miravo-cli take
// for the instrument, with the same help texts and the same checks.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

struct InstrumentOptions {
    QString port;        // a device instead of the settings' port; empty: none
    bool simulate = false;
    QString traceFile;   // the link's trace appended here; empty: no trace
};

// The three options, in the order help lists them.
QList<QCommandLineOption> InstrumentCommandLineOptions();

// Reads them from a parser that was given them and has parsed; returns the reason (one
// Japanese line) when they do not fit together, else an empty string.
QString ReadInstrumentOptions(const QCommandLineParser& parser, InstrumentOptions& options);
