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
        m_settingsFile = read.file;
        if (!read.failure.isEmpty())
            return {kCliFileFailed, OneLine(read.failure)};
        for (const QString& note : read.notes)
            m_console.note(OneLine(note));
        m_settings = read.settings;
        const LineOverride& line = m_arguments.lineOverride();
        m_settings->Com[0] = line.speed.value_or(m_settings->Com[0]);
        m_settings->Com[4] = line.delimiter.value_or(m_settings->Com[4]);
    }
    settings = *m_settings;
    return {};
}

CliResult CliCall::unopenedInstrument(CliInstrument*& instrument, QString& device)
{
    instrument = nullptr;
    EnvSettings env;
    if (CliResult read = settings(env); !read.ok())
        return read;
    if (!m_start) {
        if (const QString error = StartTrace(m_arguments.instrument()); !error.isEmpty())
            return {kCliFileFailed, OneLine(error)};
        m_start = std::make_unique<InstrumentStart>();
        if (const QString error = m_start->start(m_arguments.instrument()); !error.isEmpty())
            return {kCliLinkFailed, OneLine(error)};
        m_instrument = std::make_unique<CliInstrument>(m_console);
        if (interrupted())
            m_instrument->interrupt();
    }
    instrument = m_instrument.get();
    device = m_start->device();
    return {};
}

CliResult CliCall::instrument(CliInstrument*& instrument)
{
    instrument = nullptr;
    if (m_opened) {
        instrument = m_instrument.get();
        return {};
    }
    QString device;
    CliInstrument* unopened = nullptr;
    if (CliResult started = unopenedInstrument(unopened, device); !started.ok())
        return started;
    if (CliResult opened = unopened->open(*m_settings, device); !opened.ok())
        return opened;
    m_opened = true;
    instrument = unopened;
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
