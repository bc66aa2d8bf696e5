#pragma once
// The command line of miravo-cli: a subcommand, its options and files, and the options
// every subcommand takes. Each subcommand has a QCommandLineParser of its own, built from
// the table of CliCommand.h; parsing checks only the form, the subcommand's handler its
// values.

#include "cli/CliCommand.h"
#include "startup/InstrumentOptions.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

// --speed and --delimiter: positions of the settings' lists (Com[0], Com[4]) used for
// this run instead of the settings file's, which is not written.
struct LineOverride {
    std::optional<int16_t> speed;
    std::optional<int16_t> delimiter;
};

class CliArguments {
public:
    enum class Action { Run, ShowText, ListPorts, Fail };

    // arguments without the program name.
    explicit CliArguments(const QStringList& arguments);

    Action action() const { return m_action; }
    // Help or version text for ShowText, the one-line reason for Fail.
    const QString& text() const { return m_text; }
    const CommandDef* command() const { return m_command; }

    // The subcommand's options, by name.
    bool isSet(const QString& name) const { return m_parser && m_parser->isSet(name); }
    QString value(const QString& name) const { return m_parser ? m_parser->value(name) : QString(); }
    const QStringList& files() const { return m_files; }
    const InstrumentOptions& instrument() const { return m_instrument; }
    // --settings FILE; empty: MV_UTL.ENV in the working directory.
    QString settingsPath() const { return value(QStringLiteral("settings")); }
    bool quiet() const { return isSet(QStringLiteral("quiet")); }
    const LineOverride& lineOverride() const { return m_line; }

private:
    void parse(const QStringList& arguments);
    void fail(const QString& reason);

    Action m_action = Action::Run;
    QString m_text;
    const CommandDef* m_command = nullptr;
    std::unique_ptr<QCommandLineParser> m_parser;   // the subcommand's
    QStringList m_files;
    InstrumentOptions m_instrument;
    LineOverride m_line;
};
