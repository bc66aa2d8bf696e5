#include "document/LongTimer.h"

#include <algorithm>

namespace {

constexpr std::chrono::milliseconds kLongestStep = std::chrono::hours(24);

} // namespace

LongTimer::LongTimer(QObject* parent) : QObject(parent)
{
    m_step.setSingleShot(true);
    m_step.setTimerType(Qt::PreciseTimer);
    connect(&m_step, &QTimer::timeout, this, &LongTimer::nextStep);
}

void LongTimer::start(std::chrono::milliseconds wait)
{
    m_wait = wait;
    m_clock.start();
    m_step.start(std::clamp(wait, std::chrono::milliseconds(0), kLongestStep));
}

void LongTimer::stop()
{
    m_step.stop();
}

void LongTimer::nextStep()
{
    const std::chrono::milliseconds left = m_wait - std::chrono::milliseconds(m_clock.elapsed());
    if (left > std::chrono::milliseconds(0)) {
        m_step.start(std::min(left, kLongestStep));
        return;
    }
    emit timeout();
}
