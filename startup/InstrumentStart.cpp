#include "startup/InstrumentStart.h"

#include "link/LinkTrace.h"

#ifdef MIRAVO_HAVE_SIMULATOR
#include "sim/SimulatedInstrument.h"
#else
// Without pseudo-terminals there is no simulated instrument to start.
class SimulatedInstrument {};
#endif

QString StartTrace(const InstrumentOptions& options)
{
    QString error;
    if (!options.traceFile.isEmpty() && !StartLinkTrace(options.traceFile, &error))
        return error;
    return {};
}

InstrumentStart::InstrumentStart() = default;
InstrumentStart::~InstrumentStart() = default;

QString InstrumentStart::start(const InstrumentOptions& options)
{
    m_device = options.port;
    if (!options.simulate)
        return {};
#ifdef MIRAVO_HAVE_SIMULATOR
    SimOptions simOptions;
    simOptions.paceBaud = SimOptions::kPaceAtLineSpeed;
    simOptions.faults.dropEvery = options.simulateDrop;
    simOptions.lineSpeed = options.simulateSpeed;
    QString error;
    m_simulator = std::make_unique<SimulatedInstrument>();
    m_device = m_simulator->start(simOptions, &error);
    if (m_device.isEmpty())
        return QStringLiteral("模擬 MIRAVO を起動できませんでした。") + error;
    return {};
#else
    return QStringLiteral("この環境では模擬 MIRAVO を使えません。");
#endif
}
