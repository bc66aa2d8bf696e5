#pragma once
// What one capture from the instrument asks for and how its bytes go into the record.
// The bytes of every requested channel are applied together, after all have arrived,
// so a transfer that fails or is cancelled part-way leaves the record as it was.

#include "core/WaveRecord.h"

#include <QByteArray>
#include <QList>

// Points per channel of a normal and of a long download.
inline constexpr int kNormalPoints = 5120;
inline constexpr int kLongPoints = 102400;

struct CapturePlan {
    QList<int> channels;   // 1, then 2, each when its check box is not unchecked
    int points = kNormalPoints;

    bool empty() const { return channels.isEmpty(); }
};

// From the check-box values (0 unchecked, 1 checked, 2 greyed) of CH 1, CH 2 and LONG.
CapturePlan PlanCapture(int ch1Flag, int ch2Flag, int lengthFlag);

// The blocks that have arrived for a plan, in the plan's channel order.
class CaptureBytes {
public:
    explicit CaptureBytes(const CapturePlan& plan) : m_plan(plan) {}

    // Keeps the block of channel; false (and nothing kept) when the channel is not in
    // the plan or the block does not hold exactly the planned points.
    bool add(int channel, const QByteArray& bytes);
    bool complete() const { return m_received.size() == m_plan.channels.size(); }
    const CapturePlan& plan() const { return m_plan; }

    // Writes the capture into record: FreshCapture -1, the raw signed samples of every
    // channel, LastIndex, ParamsLocked 0 and Ch1On/Ch2On 1 for each channel. Does nothing
    // and returns false unless complete. The view is fitted by the caller.
    bool applyTo(WaveRecord& record) const;

private:
    CapturePlan m_plan;
    QList<QByteArray> m_received;   // in plan order
};
