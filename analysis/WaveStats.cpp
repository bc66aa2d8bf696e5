#include "analysis/WaveStats.h"

#include "analysis/Crossings.h"
#include "analysis/SampleWindow.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Counts per vertical division.
constexpr double kCountsPerDiv = 25;

} // namespace

ChannelStats ComputeChannelStats(const WaveRecord& record, int channel)
{
    const int last = WholeRecord(record).last;
    std::vector<int16_t> samples(std::size_t(last) + 1);
    for (int i = 0; i <= last; ++i)
        samples[std::size_t(i)] = record.Samples(channel, i);
    const auto [lowestAt, highestAt] = std::minmax_element(samples.begin(), samples.end());
    const int lowest = *lowestAt;
    const int highest = *highestAt;
    double sum = 0;
    double squares = 0;
    for (const int value : samples) {
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

    const std::optional<double> secondsPerSample = SampleSeconds(record);
    if (!secondsPerSample || highest == lowest)
        return stats;
    // Crossings of the mean with a tenth of the range either side.
    const double band = std::max(1.0, (highest - lowest) / 10.0);
    const std::vector<double> crossings = FindCrossings(samples, meanCounts, band).rising;
    if (crossings.size() < 3)
        return stats;
    const double periods = double(crossings.size() - 1);
    stats.frequency = periods / ((crossings.back() - crossings.front()) * *secondsPerSample);
    return stats;
}
