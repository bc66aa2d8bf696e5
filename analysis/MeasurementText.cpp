#include "analysis/MeasurementText.h"

#include "core/EngNumber.h"

#include <cmath>

std::string MeasurementText(Measurement measurement, const std::optional<double>& value)
{
    if (!value)
        return kUndefinedText;
    const MeasurementInfo& info = kMeasurements[std::size_t(measurement)];
    if (measurement == Measurement::Periods && *value == std::round(*value))
        return std::to_string(std::lround(*value));
    return FormatEng(float(*value), "##0.000") + std::string(info.unit);
}
