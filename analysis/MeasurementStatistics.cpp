#include "analysis/MeasurementStatistics.h"

#include <algorithm>
#include <cmath>

void RunningStatistic::add(double value)
{
    ++m_count;
    const double delta = value - m_mean;
    m_mean += delta / m_count;
    m_squares += delta * (value - m_mean);
    m_minimum = m_count == 1 ? value : std::min(m_minimum, value);
    m_maximum = m_count == 1 ? value : std::max(m_maximum, value);
}

std::optional<double> RunningStatistic::mean() const
{
    return m_count ? std::optional(m_mean) : std::nullopt;
}

std::optional<double> RunningStatistic::minimum() const
{
    return m_count ? std::optional(m_minimum) : std::nullopt;
}

std::optional<double> RunningStatistic::maximum() const
{
    return m_count ? std::optional(m_maximum) : std::nullopt;
}

std::optional<double> RunningStatistic::standardDeviation() const
{
    if (m_count < 2)
        return std::nullopt;
    return std::sqrt(std::max(0.0, m_squares) / (m_count - 1));
}

void MeasurementStatistics::add(int channel, const ChannelMeasurements& measurements)
{
    auto& statistics = m_channels[std::size_t(channel - 1)];
    for (std::size_t i = 0; i < kMeasurementCount; ++i)
        if (const std::optional<double>& value = measurements.values[i])
            statistics[i].add(*value);
}

void MeasurementStatistics::reset()
{
    m_channels = {};
}

const RunningStatistic& MeasurementStatistics::of(int channel, Measurement measurement) const
{
    return m_channels[std::size_t(channel - 1)][std::size_t(measurement)];
}
