#include "cli/CliCall.h"

#include "cli/CliArguments.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliSettings.h"
#include "cli/CliText.h"
#include "cli/InterruptWatcher.h"
#include "startup/InstrumentStart.h"

CliCall::CliCall(const CliArguments& arguments, CliConsole& console)
    : m_arguments(arguments),
      m_console(console),
      m_watcher(std::make_unique<InterruptWatcher>(&m_context, [this] { interrupt(); }))
{
}

CliCall::~CliCall() = default;

bool CliCall::isSet(const char* name) const
{
    return m_arguments.isSet(QLatin1String(name));
}

QString CliCall::value(const char* name) const
{
    return m_arguments.value(QLatin1String(name));
}

const QStringList& CliCall::files() const
{
    return m_arguments.files();
}

bool CliCall::interrupted() const
{
    return m_watcher->interrupted();
}

int CliCall::interruptedStatus() const
{
    return m_watcher->exitStatus();
}

void CliCall::interrupt()
{
    if (m_instrument)
        m_instrument->interrupt();
}

CliResult CliCall::settings(EnvSettings& settings)
{
    if (!m_settings) {
        const CliSettings read = ReadCliSettings(m_arguments.settingsPath());
        if (!read.failure.isEmpty())
            return {kCliFileFailed, OneLine(read.failure)};
        for (const QString& note : read.notes)
            m_console.note(OneLine(note));
        m_settings = read.settings;
    }
    settings = *m_settings;
    return {};
}

CliResult CliCall::instrument(CliInstrument*& instrument)
{
    instrument = m_instrument.get();
    if (instrument)
        return {};
    EnvSettings env;
    if (CliResult read = settings(env); !read.ok())
        return read;
    if (const QString error = StartTrace(m_arguments.instrument()); !error.isEmpty())
        return {kCliFileFailed, OneLine(error)};
    m_start = std::make_unique<InstrumentStart>();
    if (const QString error = m_start->start(m_arguments.instrument()); !error.isEmpty())
        return {kCliLinkFailed, OneLine(error)};
    m_instrument = std::make_unique<CliInstrument>(m_console);
    if (interrupted())
        m_instrument->interrupt();
    if (CliResult opened = m_instrument->open(env, m_start->device()); !opened.ok())
        return opened;
    instrument = m_instrument.get();
    return {};
}

int RunCli(const CliArguments& arguments, CliConsole& console)
{
    CliCall call(arguments, console);
    CliResult result = arguments.command()->run(call);
    if (result.status == kCliInterrupted)
        result.status = call.interruptedStatus();
    if (!result.ok())
        console.fail(result.message);
    return result.status;
}
