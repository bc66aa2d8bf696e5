#pragma once
// One run of a subcommand, as its handler sees it: the options and files given, the
// console, whether an interrupt arrived, and the settings and the instrument, each
// opened only when the handler asks (so that it checks its values and files first).

#include "cli/CliResult.h"
#include "core/EnvSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class CliArguments;
class CliConsole;
class CliInstrument;
class InstrumentStart;
class InterruptWatcher;

class CliCall {
public:
    CliCall(const CliArguments& arguments, CliConsole& console);
    ~CliCall();

    bool isSet(const char* name) const;
    QString value(const char* name) const;
    const QStringList& files() const;
    CliConsole& console() { return m_console; }

    // An interrupt (SIGINT, SIGTERM) has arrived; the running wait ends at once.
    bool interrupted() const;
    // The exit status of an interrupted run: 130 after SIGINT, 143 after SIGTERM.
    int interruptedStatus() const;

    // The settings file (--settings or MV_UTL.ENV in the working directory), read once;
    // --speed and --delimiter replace its values.
    CliResult settings(EnvSettings& settings);
    // The settings file settings() read (or would have read); empty before that.
    const std::filesystem::path& settingsFile() const { return m_settingsFile; }
    // The settings, the trace, the device (--port, --simulate or the settings' port) and
    // the port opened; once, on the first call.
    CliResult instrument(CliInstrument*& instrument);
    // The same without opening the port (the doctor looks at it first); device is the one
    // to open, empty for the settings' port.
    CliResult unopenedInstrument(CliInstrument*& instrument, QString& device);

private:
    void interrupt();

    const CliArguments& m_arguments;
    CliConsole& m_console;
    QObject m_context;
    std::unique_ptr<InterruptWatcher> m_watcher;
    std::optional<EnvSettings> m_settings;
    std::filesystem::path m_settingsFile;
    std::unique_ptr<InstrumentStart> m_start;      // outlives the link that talks to its simulator
    std::unique_ptr<CliInstrument> m_instrument;
    bool m_opened = false;
};

// Runs the subcommand the arguments name; returns the exit status.
int RunCli(const CliArguments& arguments, CliConsole& console);
