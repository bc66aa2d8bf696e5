#include "cli/WaveStats.h"

#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Counts per vertical division.
constexpr double kCountsPerDiv = 25;

// Positions (fractional sample indices) where the trace rises through `level`. A rise
// counts only once the trace has been below level - band and then above level + band,
// so noise around the level gives no extra crossings; its position is where the trace
// last went up through the level itself, between two samples.
std::vector<double> risingCrossings(const WaveRecord& record, int channel, int last, double level, double band)
{
    std::vector<double> crossings;
    bool armed = false;
    double lastRise = -1;
    for (int i = 0; i <= last; ++i) {
        const double value = record.Samples(channel, i);
        if (i > 0) {
            const double before = record.Samples(channel, i - 1);
            if (before < level && value >= level)
                lastRise = i - 1 + (level - before) / (value - before);
        }
        if (value < level - band) {
            armed = true;
        } else if (armed && value > level + band && lastRise >= 0) {
            crossings.push_back(lastRise);
            armed = false;
        }
    }
    return crossings;
}

} // namespace

ChannelStats ComputeChannelStats(const WaveRecord& record, int channel)
{
    const int last = std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex);
    int lowest = record.Samples(channel, 0);
    int highest = lowest;
    double sum = 0;
    double squares = 0;
    for (int i = 0; i <= last; ++i) {
        const int value = record.Samples(channel, i);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        sum += value;
        squares += double(value) * value;
    }
    const double count = last + 1;
    const double volts = double(record.voltsPerDiv(channel)) / kCountsPerDiv;
    const double meanCounts = sum / count;

    ChannelStats stats;
    stats.minimum = lowest * volts;
    stats.maximum = highest * volts;
    stats.peakToPeak = (highest - lowest) * volts;
    stats.mean = meanCounts * volts;
    stats.rms = std::sqrt(squares / count) * std::abs(volts);

    const double secondsPerSample = record.SecondsPerSample;
    if (!(secondsPerSample > 0) || !std::isfinite(secondsPerSample) || highest == lowest)
        return stats;
    const double band = std::max(1.0, (highest - lowest) / 10.0);
    const std::vector<double> crossings = risingCrossings(record, channel, last, meanCounts, band);
    if (crossings.size() < 3)
        return stats;
    const double periods = double(crossings.size() - 1);
    stats.frequency = periods / ((crossings.back() - crossings.front()) * secondsPerSample);
    return stats;
}
