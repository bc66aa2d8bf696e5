#pragma once
// Statistics of the measurements over successive records: for each value of each channel
// its count, mean, minimum, maximum and standard deviation since the last reset. A value
// that was not defined for a record is not counted.

#include "analysis/Measurement.h"

#include <array>
#include <optional>

class RunningStatistic {
public:
    void add(double value);

    int count() const { return m_count; }
    std::optional<double> mean() const;
    std::optional<double> minimum() const;
    std::optional<double> maximum() const;
    // The sample standard deviation (n - 1 in the denominator): from two values on.
    std::optional<double> standardDeviation() const;

private:
    int m_count = 0;
    double m_mean = 0;
    double m_squares = 0;   // sum of squared deviations from the running mean (Welford)
    double m_minimum = 0;
    double m_maximum = 0;
};

class MeasurementStatistics {
public:
    // The measurements of channel 1 or 2 for one more record.
    void add(int channel, const ChannelMeasurements& measurements);
    void reset();
    const RunningStatistic& of(int channel, Measurement measurement) const;

private:
    std::array<std::array<RunningStatistic, kMeasurementCount>, 2> m_channels{};
};
