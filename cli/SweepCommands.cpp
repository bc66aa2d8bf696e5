// run, stop and single: the sweep commands, which send their line and wait for its end.

#include "cli/CliCall.h"
#include "cli/CliInstrument.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"

CliResult RunSweep(CliCall& call)
{
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    return instrument->run();
}

CliResult RunStop(CliCall& call)
{
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    return instrument->stop();
}

CliResult RunSingle(CliCall& call)
{
    std::optional<std::chrono::milliseconds> timeout;
    if (call.isSet("timeout")) {
        timeout = ParseSeconds(call.value("timeout"), false);
        if (!timeout)
            return {kCliUsage, SecondsProblem("timeout", call.value("timeout"), false)};
    }
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    return instrument->sweep(timeout);
}
