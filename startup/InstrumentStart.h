#pragma once
// The start both programs make before their first job: the link's trace opened for
// --trace, and for --simulate the simulated instrument started on a pseudo-terminal of
// its own, paced at the line speed the program sets so that transfers take their real time.

#include "startup/InstrumentOptions.h"

#include <QString>
#include <memory>

class SimulatedInstrument;

// The trace file opened for appending when asked for; the reason (naming the file) when
// it cannot be, else an empty string.
QString StartTrace(const InstrumentOptions& options);

class InstrumentStart {
public:
    InstrumentStart();
    ~InstrumentStart();   // stops the simulator: keep this alive as long as the link

    // The device to open: --port, the simulator's, or empty for the settings' port.
    // Returns the reason when the simulator could not be started, else an empty string.
    QString start(const InstrumentOptions& options);
    const QString& device() const { return m_device; }

private:
    std::unique_ptr<SimulatedInstrument> m_simulator;
    QString m_device;
};
