#pragma once
// A measurement as the window and miravo-cli's table write it: engineering notation with
// three decimals and the unit ("1.234kHz", "50.000 %"), the count of periods as a whole
// number, and "—" for a value that is not defined.

#include "analysis/Measurement.h"

#include <optional>
#include <string>

inline constexpr char kUndefinedText[] = "—";

std::string MeasurementText(Measurement measurement, const std::optional<double>& value);
