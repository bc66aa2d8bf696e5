#pragma once
// The simulated instrument on a pseudo-terminal: the program opens the returned device
// like a serial port. It serves on a thread of its own until stop() (or a hang-up
// fault). A reconnectable one serves behind a link of its own, so its line can go away
// and come back at the same path. POSIX only.

#include "sim/SimOptions.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
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
    // The line goes away now, as when a USB adapter is pulled, and comes back `gone` later
    // at the same path. Only for a reconnectable instrument; false otherwise.
    bool dropLine(std::chrono::milliseconds gone);

private:
    struct Pty;
    // Opens a raw pseudo-terminal pair into pty.master and pty.terminal and gives the
    // terminal side's path; the name of the call that failed otherwise.
    static const char* openTerminal(Pty& pty, std::string& path);
    std::string linkPath() const;
    void serve(std::stop_token stop);
    void wake();
    // Closes the pseudo-terminal and removes the link, waits `gone` (a stop ends it), then
    // serves a new one behind the same link. False when stopped or it cannot come back.
    bool dropAndReturn(std::chrono::milliseconds gone, const std::stop_token& stop);

    std::unique_ptr<Pty> m_pty;
    SimOptions m_options;
    std::string m_linkDir; // holds the link "tty" of a reconnectable instrument
    std::mutex m_faultsMutex;
    std::optional<SimFaults> m_newFaults;
    std::optional<std::chrono::milliseconds> m_dropRequest;
    std::atomic<bool> m_serving{false};
    std::jthread m_thread;
};
