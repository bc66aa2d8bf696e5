#pragma once
// The command line of miravo-cli: a subcommand, its options and files, and the options
// every subcommand takes. Parsing only checks the form of what was given; files and the
// instrument are looked at when the subcommand runs.

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

enum class CliCommand { Identify, Run, Stop, Single, Capture, Convert, Render, Info };

// The acquisition conditions of a capture, as the setup dialog's texts.
struct CaptureConditions {
    QString title;
    QString sweep = QStringLiteral("1m");
    QString delay = QStringLiteral("0");
    QString volts[2] = {QStringLiteral("2"), QStringLiteral("500m")};
    QString offset[2] = {QStringLiteral("0"), QStringLiteral("0")};
    bool equSampling = false;
};

struct CliRequest {
    CliCommand command = CliCommand::Info;
    // Common options.
    QString port;            // a device instead of the settings' port
    bool simulate = false;   // the built-in simulated instrument
    QString settingsPath;    // empty: MV_UTL.ENV in the working directory
    bool quiet = false;
    // the instrument's subcommands: the link's trace appended to this file; empty: none
    QString tracePath;
    // identify, info
    bool json = false;
    // single, capture --single: no limit when empty
    std::optional<double> timeoutSeconds;
    // capture
    QString out;
    QList<int> channels{1, 2};
    bool longRecord = false;
    bool single = false;
    CaptureConditions conditions;
    int repeat = 1;
    double everySeconds = 0;
    // render
    QSize size{505, 245};
    bool grid = false;
    bool base = false;
    bool dots = false;
    // convert IN OUT, render IN OUT, info IN
    QStringList files;
};

struct CliParse {
    enum class Action { Run, ShowText, ListPorts, Fail };
    Action action = Action::Run;
    CliRequest request;
    QString text;   // help or version text for ShowText, the one-line reason for Fail
};

// arguments without the program name.
CliParse ParseCliArguments(const QStringList& arguments);
