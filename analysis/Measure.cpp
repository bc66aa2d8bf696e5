#include "analysis/Measure.h"

#include "analysis/Crossings.h"
#include "analysis/PulseLevels.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kCountsPerDiv = 25;
// The mid-level crossings' hysteresis, as a share of the amplitude, either side.
constexpr double kHalfHysteresis = 0.05;
// The levels rise and fall times are measured between, as shares of the amplitude.
constexpr double kEdgeLow = 0.1;
constexpr double kEdgeHigh = 0.9;

std::vector<int16_t> channelSamples(const WaveRecord& record, int channel, SampleWindow window)
{
    const std::span<const int16_t> table = record.Samples.interleaved();
    std::vector<int16_t> samples(std::size_t(window.last - window.first + 1));
    std::size_t slot = std::size_t(window.first) * 2 + std::size_t(channel - 1);
    for (int16_t& value : samples) {
        value = table[slot];
        slot += 2;
    }
    return samples;
}

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + half, values.end());
    const double upper = values[half];
    if (values.size() % 2)
        return upper;
    return (*std::max_element(values.begin(), values.begin() + half) + upper) / 2;
}

std::optional<double> scaled(std::optional<double> value, std::optional<double> scale)
{
    if (!value || !scale)
        return std::nullopt;
    return *value * *scale;
}

void measureLevels(std::span<const int16_t> samples, const PulseLevels& levels, std::optional<double> voltsPerDiv,
                   ChannelMeasurements& m)
{
    // counts x V/DIV / 25 in this order: 83 counts at 0.5 V/DIV are 1.66 V, not 1.6600000000000001.
    const auto volts = [voltsPerDiv](double counts) -> std::optional<double> {
        if (!voltsPerDiv)
            return std::nullopt;
        return counts * *voltsPerDiv / kCountsPerDiv;
    };
    long long sum = 0;
    for (const int16_t value : samples)
        sum += value;
    const double count = double(samples.size());
    const double mean = double(sum) / count;
    double squares = 0;
    double deviations = 0;
    for (const int16_t value : samples) {
        squares += double(value) * value;
        deviations += (value - mean) * (value - mean);
    }
    m[Measurement::Maximum] = volts(levels.maximum);
    m[Measurement::Minimum] = volts(levels.minimum);
    m[Measurement::PeakToPeak] = volts(levels.maximum - levels.minimum);
    m[Measurement::Mean] = volts(mean);
    m[Measurement::Rms] = volts(std::sqrt(squares / count));
    m[Measurement::AcRms] = volts(std::sqrt(deviations / count));
    m[Measurement::Top] = volts(levels.top);
    m[Measurement::Base] = volts(levels.base);
    m[Measurement::Amplitude] = volts(levels.top - levels.base);
}

void measurePeriods(std::span<const int16_t> samples, const PulseLevels& levels, std::optional<double> seconds,
                    ChannelMeasurements& m)
{
    const double amplitude = levels.top - levels.base;
    const LevelCrossings crossings =
        FindCrossings(samples, (levels.top + levels.base) / 2.0, kHalfHysteresis * amplitude);
    const std::vector<double>& rises = crossings.rising;
    if (rises.size() < 2)
        return;
    const std::size_t periods = rises.size() - 1;
    // Rises and falls alternate: the k-th full period's fall is the first fall after its rise.
    double high = 0;
    auto fall = crossings.falling.begin();
    for (std::size_t k = 0; k < periods; ++k) {
        fall = std::upper_bound(fall, crossings.falling.end(), rises[k]);
        if (fall == crossings.falling.end())
            return;
        high += *fall - rises[k];
    }
    const double period = (rises.back() - rises.front()) / double(periods);
    const double positive = high / double(periods);
    m[Measurement::Periods] = double(periods);
    m[Measurement::DutyCycle] = 100 * positive / period;
    m[Measurement::Period] = scaled(period, seconds);
    m[Measurement::Frequency] = scaled(1 / period, seconds ? std::optional(1 / *seconds) : std::nullopt);
    m[Measurement::PositiveWidth] = scaled(positive, seconds);
    m[Measurement::NegativeWidth] = scaled(period - positive, seconds);
}

void measureEdges(std::span<const int16_t> samples, const PulseLevels& levels, std::optional<double> seconds,
                  ChannelMeasurements& m)
{
    const double amplitude = levels.top - levels.base;
    const EdgeDurations edges =
        FindEdgeDurations(samples, levels.base + kEdgeLow * amplitude, levels.base + kEdgeHigh * amplitude);
    m[Measurement::RiseTime] = scaled(median(edges.rising), seconds);
    m[Measurement::FallTime] = scaled(median(edges.falling), seconds);
}

} // namespace

ChannelMeasurements MeasureChannel(const WaveRecord& record, int channel, SampleWindow window)
{
    const SampleWindow whole = WholeRecord(record);
    window.first = std::max(window.first, whole.first);
    window.last = std::min(window.last, whole.last);
    ChannelMeasurements m;
    if (window.first > window.last || (channel != 1 && channel != 2))
        return m;
    const std::vector<int16_t> samples = channelSamples(record, channel, window);
    const PulseLevels levels = FindPulseLevels(samples);
    const double voltsPerDiv = record.voltsPerDiv(channel);
    const std::optional<double> seconds = SampleSeconds(record);
    measureLevels(samples, levels,
                  std::isfinite(voltsPerDiv) && voltsPerDiv > 0 ? std::optional(voltsPerDiv) : std::nullopt, m);
    if (levels.top == levels.base)
        return m;
    measurePeriods(samples, levels, seconds, m);
    measureEdges(samples, levels, seconds, m);
    return m;
}
