#pragma once
// When the captures of a logging run start and when the run ends: every `every` from start
// to start (0: back to back), until `count` captures or `duration` has passed, whichever
// comes first. A capture that takes longer than the interval is followed at once by the
// next, and a line that was lost for a while does not cause a burst of captures to catch
// up: the next starts an interval after the last one started, or at once when that is past.

#include <chrono>
#include <optional>

struct LogPlan {
    std::chrono::milliseconds every{0};
    std::optional<long long> count;                    // captures in this run
    std::optional<std::chrono::milliseconds> duration; // no capture starts after this
};

class LogSchedule {
public:
    using Clock = std::chrono::steady_clock;

    // A lost line is tried again this often until it opens.
    static constexpr std::chrono::seconds kRetry{2};

    LogSchedule(const LogPlan& plan, Clock::time_point start);

    // A capture starts now.
    void captureStarted(Clock::time_point now);
    // When the next capture is due (at once for the first).
    Clock::time_point nextStart() const;
    // True once no capture is to start any more: the count made, or the duration over at
    // `now`.
    bool done(Clock::time_point now) const;
    long long captures() const { return m_captures; }
    std::chrono::milliseconds interval() const { return m_plan.every; }

private:
    LogPlan m_plan;
    Clock::time_point m_start;
    std::optional<Clock::time_point> m_lastStart;
    long long m_captures = 0;
};
