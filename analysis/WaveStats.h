#pragma once
// Figures of one channel of a record, in volts and hertz: what `info` reports.

#include <optional>

struct WaveRecord;

struct ChannelStats {
    double minimum = 0;
    double maximum = 0;
    double peakToPeak = 0;
    double mean = 0;
    double rms = 0;
    // From the rising crossings of the mean level; only with a time base and at least two
    // whole periods in the record.
    std::optional<double> frequency;
};

// Samples 0..LastIndex of channel 1 or 2, each counts * volts per division / 25.
ChannelStats ComputeChannelStats(const WaveRecord& record, int channel);
