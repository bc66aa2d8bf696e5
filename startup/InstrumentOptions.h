#pragma once
// --port DEVICE, --simulate [--simulate-speed N] and --trace FILE: the options miravo-link and miravo-cli take
// for the instrument, with the same help texts and the same checks.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <chrono>

struct InstrumentOptions {
    QString port;        // a device instead of the settings' port; empty: none
    bool simulate = false;
    QString traceFile;   // the link's trace appended here; empty: no trace
    // With simulate: the simulated line goes away this often for a few seconds and comes
    // back at the same path, as a pulled and re-plugged USB adapter; 0: never.
    std::chrono::milliseconds simulateDrop{0};
    int simulateSpeed = 0; // the simulated instrument's own line speed; 0: any
};

// The options, in the order help lists them.
QList<QCommandLineOption> InstrumentCommandLineOptions();

// Reads them from a parser that was given them and has parsed; returns the reason (one
// Japanese line) when they do not fit together, else an empty string.
QString ReadInstrumentOptions(const QCommandLineParser& parser, InstrumentOptions& options);
