#include "cli/CliProgram.h"

#include "cli/CliArguments.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliSettings.h"
#include "cli/FileCommands.h"
#include "cli/InstrumentCommands.h"
#include "cli/InterruptWatcher.h"
#include "cli/CliText.h"
#include "link/LinkTrace.h"

#include <QCoreApplication>
#include <optional>

#ifdef MIRAVO_HAVE_SIMULATOR
#include "sim/SimulatedInstrument.h"
#else
// Without pseudo-terminals there is no simulated instrument to start.
struct SimulatedInstrument {};
#endif

namespace {

bool talksToInstrument(CliCommand command)
{
    return command != CliCommand::Convert && command != CliCommand::Render && command != CliCommand::Info;
}

// The device to open: --port, the simulated instrument started here, or none for the
// settings' port. The simulator paces its output at the line speed, so transfers take
// their real time.
CliResult chooseDevice(const CliRequest& request, [[maybe_unused]] std::optional<SimulatedInstrument>& simulator,
                       QString& device)
{
    device = request.port;
    if (!request.simulate)
        return {};
#ifdef MIRAVO_HAVE_SIMULATOR
    SimOptions options;
    options.paceBaud = SimOptions::kPaceAtLineSpeed;
    QString error;
    device = simulator.emplace().start(options, &error);
    if (device.isEmpty())
        return {kCliLinkFailed, OneLine(QStringLiteral("模擬 MIRAVO を起動できませんでした。") + error)};
    return {};
#else
    return {kCliLinkFailed, QStringLiteral("この環境では模擬 MIRAVO を使えません。")};
#endif
}

CliResult runInstrument(const CliRequest& request, CliInstrument& instrument, CliConsole& console)
{
    switch (request.command) {
    case CliCommand::Identify:
        return IdentifyInstrument(request, instrument, console);
    case CliCommand::Run:
        return instrument.run();
    case CliCommand::Stop:
        return instrument.stop();
    case CliCommand::Single:
        return instrument.singleSweep(request.timeoutSeconds);
    default:
        return CaptureWaves(request, instrument, console);
    }
}

} // namespace

int RunCli(const CliRequest& request, CliConsole& console)
{
    QObject context;
    std::optional<SimulatedInstrument> simulator;   // outlives the link that talks to it
    std::optional<CliInstrument> instrument;
    InterruptWatcher watcher(&context, [&] {
        if (instrument)
            instrument->interrupt();
    });
    const auto interrupted = [&] { return watcher.interrupted(); };

    CliResult result;
    const bool instrumentCommand = talksToInstrument(request.command);
    if (instrumentCommand || request.command == CliCommand::Render) {
        const CliSettings settings = ReadCliSettings(request.settingsPath);
        for (const QString& note : settings.notes)
            console.note(OneLine(note));
        if (!settings.failure.isEmpty()) {
            result = {kCliFileFailed, settings.failure};
        } else if (instrumentCommand) {
            QString device, error;
            if (!request.tracePath.isEmpty() && !StartLinkTrace(request.tracePath, &error))
                result = {kCliFileFailed, OneLine(error)};
            if (result.ok())
                result = chooseDevice(request, simulator, device);
            if (result.ok()) {
                instrument.emplace(console);
                if (interrupted())
                    instrument->interrupt();
                result = instrument->open(settings.settings, device);
            }
            if (result.ok())
                result = runInstrument(request, *instrument, console);
        } else {
            result = RenderWaveFile(request, settings.settings, console, interrupted);
        }
    } else if (request.command == CliCommand::Convert) {
        result = ConvertWaveFile(request, console, interrupted);
    } else {
        result = ShowWaveFileInfo(request, console);
    }
    if (!result.ok())
        console.fail(result.message);
    return result.status;
}
