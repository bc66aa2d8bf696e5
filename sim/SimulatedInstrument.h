#pragma once
// The simulated instrument on a pseudo-terminal: the program opens the returned device
// like a serial port. It serves on a thread of its own until stop() (or a hang-up
// fault). POSIX only.

#include "sim/SimOptions.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class SimulatedInstrument {
public:
    SimulatedInstrument();
    ~SimulatedInstrument(); // stop()
    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    // Opens a pseudo-terminal and starts serving it; returns the device path of its
    // terminal side, or an empty string with *error set (in Japanese).
    QString start(const SimOptions& options, QString* error = nullptr);
    // Stops serving and closes the pseudo-terminal; returns at once.
    void stop();
    // False before start, after stop and after a hang-up.
    bool isServing() const { return m_serving; }
    // Takes effect at once (a flood starts or stops now; NAKs count from the next line).
    void setFaults(const SimFaults& faults);

private:
    struct Pty;
    void serve(std::stop_token stop);
    void wake();

    std::unique_ptr<Pty> m_pty;
    SimOptions m_options;
    std::mutex m_faultsMutex;
    std::optional<SimFaults> m_newFaults;
    std::atomic<bool> m_serving{false};
    std::jthread m_thread;
};
