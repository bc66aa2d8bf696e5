#include "document/CaptureOrder.h"

#include "document/AcquisitionFlow.h"
#include "document/WaveDocument.h"

void StartUnattendedCapture(WaveDocument& document, AcquisitionFlow& flow, const CaptureOrder& order)
{
    using Flag = WaveDocument::Flag;
    document.setFlag(Flag::Ch1, order.channels.contains(1) ? 1 : 0);
    document.setFlag(Flag::Ch2, order.channels.contains(2) ? 1 : 0);
    document.setFlag(Flag::Length, order.longRecord ? 1 : 0);
    flow.setUnattendedSetup(order.setup);
    flow.setSweepTimeout(order.sweepTimeout);
    if (order.single)
        flow.SingleSweep();
    else
        flow.LoadFromInstrument();
}
