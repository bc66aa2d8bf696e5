#include "logger/LogSchedule.h"

LogSchedule::LogSchedule(const LogPlan& plan, Clock::time_point start) : m_plan(plan), m_start(start) {}

void LogSchedule::captureStarted(Clock::time_point now)
{
    m_lastStart = now;
    ++m_captures;
}

LogSchedule::Clock::time_point LogSchedule::nextStart() const
{
    return m_lastStart ? *m_lastStart + m_plan.every : m_start;
}

bool LogSchedule::done(Clock::time_point now) const
{
    if (m_plan.count && m_captures >= *m_plan.count)
        return true;
    if (m_plan.duration && std::max(now, nextStart()) - m_start > *m_plan.duration)
        return true;
    return false;
}
