#include "document/AcquisitionCapture.h"

#include "core/EngNumber.h"

CapturePlan PlanCapture(int ch1Flag, int ch2Flag, int lengthFlag)
{
    CapturePlan plan;
    if (ch1Flag != 0)
        plan.channels << 1;
    if (ch2Flag != 0)
        plan.channels << 2;
    plan.points = lengthFlag != 0 ? kLongPoints : kNormalPoints;
    return plan;
}

bool CaptureBytes::add(int channel, const QByteArray& bytes)
{
    // Blocks arrive in plan order, one per channel.
    if (complete() || m_plan.channels.at(m_received.size()) != channel || bytes.size() != m_plan.points)
        return false;
    m_received << bytes;
    return true;
}

bool CaptureBytes::applyTo(WaveRecord& record) const
{
    if (!complete() || m_plan.empty())
        return false;
    record.FreshCapture = kTrue;
    for (qsizetype k = 0; k < m_received.size(); ++k) {
        const int channel = m_plan.channels.at(k);
        const QByteArray& bytes = m_received.at(k);
        for (int i = 0; i < m_plan.points; ++i)
            record.Samples(channel, i) = SignedByte(uint8_t(bytes[i]));
        (channel == 1 ? record.Ch1On : record.Ch2On) = 1;
    }
    record.LastIndex = m_plan.points - 1;
    record.ParamsLocked = kFalse;
    return true;
}
