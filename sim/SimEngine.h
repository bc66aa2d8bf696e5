#pragma once
// The simulated instrument's protocol, without any I/O: command lines in, the bytes it
// answers with out. Time comes in from the caller, so tests decide when a sweep ends.

#include "sim/SimOptions.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

class SimEngine {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kMaxPoints = 102400;
    static constexpr std::size_t kMaxLineLength = 256; // longer input is dropped as noise
    static constexpr std::size_t kFloodChunk = 1024;    // noise handed out at a time while flooding

    explicit SimEngine(const SimOptions& options);

    // Takes received bytes; answers every complete line (ended by LF, a CR before it
    // ignored) into the output.
    void receive(std::string_view bytes, Clock::time_point now);
    // The bytes answered so far, removed from the output; while flooding, noise whenever
    // nothing else is waiting.
    std::string takeOutput();
    // True once the engine has hung up the line (after its last output).
    bool hungUp() const { return m_hungUp; }

    void setFaults(const SimFaults& faults) { m_options.faults = faults; }
    // Bit 0: the single sweep has finished (or none was asked for); bit 1: sweeping.
    int status(Clock::time_point now) const;

private:
    void answer(std::string_view line, Clock::time_point now);
    // Runs a command; the reply that follows its ACK, or nullopt to refuse it with NAK.
    std::optional<std::string> execute(std::string_view line, Clock::time_point now);
    std::string block();

    SimOptions m_options;
    std::string m_line;
    bool m_dropLine = false; // the current line grew too long and is being skipped
    std::string m_output;
    bool m_hungUp = false;

    bool m_running = false;
    std::optional<Clock::time_point> m_sweepEnds;
    int m_capture = 0;
    int m_points = 5120;
    int m_channel = 1;
    int m_start = 0;
};
