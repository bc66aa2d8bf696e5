#pragma once
// The automatic measurements of a channel: which there are, how they are named and in
// which unit, and one set of their values. A value that is not defined for the samples
// (less than one full period, a flat trace, no complete edge) is empty, never 0.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

enum class Measurement {
    Maximum,
    Minimum,
    PeakToPeak,
    Mean,
    Rms,
    AcRms,
    Top,
    Base,
    Amplitude,
    Frequency,
    Period,
    Periods,
    PositiveWidth,
    NegativeWidth,
    DutyCycle,
    RiseTime,
    FallTime,
};

inline constexpr std::size_t kMeasurementCount = std::size_t(Measurement::FallTime) + 1;

struct MeasurementInfo {
    Measurement measurement;
    std::string_view key;     // the name in JSON and in scripts
    std::string_view label;   // the row title the window shows (UTF-8)
    std::string_view unit;    // "V", "s", "Hz", "%", or empty for a count
};

// In the order of the enumeration, which is the order they are shown in.
inline constexpr std::array<MeasurementInfo, kMeasurementCount> kMeasurements{{
    {Measurement::Maximum, "maximum", "最大値", "V"},
    {Measurement::Minimum, "minimum", "最小値", "V"},
    {Measurement::PeakToPeak, "peakToPeak", "P-P", "V"},
    {Measurement::Mean, "mean", "平均値", "V"},
    {Measurement::Rms, "rms", "実効値", "V"},
    {Measurement::AcRms, "acRms", "実効値(AC)", "V"},
    {Measurement::Top, "top", "トップ", "V"},
    {Measurement::Base, "base", "ベース", "V"},
    {Measurement::Amplitude, "amplitude", "振幅", "V"},
    {Measurement::Frequency, "frequency", "周波数", "Hz"},
    {Measurement::Period, "period", "周期", "s"},
    {Measurement::Periods, "periods", "周期数", ""},
    {Measurement::PositiveWidth, "positiveWidth", "＋パルス幅", "s"},
    {Measurement::NegativeWidth, "negativeWidth", "－パルス幅", "s"},
    {Measurement::DutyCycle, "dutyCycle", "デューティ比", "%"},
    {Measurement::RiseTime, "riseTime", "立ち上がり時間", "s"},
    {Measurement::FallTime, "fallTime", "立ち下がり時間", "s"},
}};

struct ChannelMeasurements {
    std::array<std::optional<double>, kMeasurementCount> values;

    std::optional<double>& operator[](Measurement m) { return values[std::size_t(m)]; }
    const std::optional<double>& operator[](Measurement m) const { return values[std::size_t(m)]; }
};
