#pragma once
// All automatic measurements of one channel over a window of the record, in volts,
// seconds, hertz and percent (volts = counts x V/DIV / 25; the display offsets change
// nothing).

#include "analysis/Measurement.h"
#include "analysis/SampleWindow.h"

struct WaveRecord;

// channel is 1 or 2; the window is kept inside the record. Voltages need a V/DIV above 0,
// times a time base; the count of periods and the duty cycle need neither.
ChannelMeasurements MeasureChannel(const WaveRecord& record, int channel, SampleWindow window);
