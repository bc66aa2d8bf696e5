#pragma once
// The program's float-to-integer conversion: to the nearest integer, ties to even
// (7.5 -> 8, 6.5 -> 6). Values beyond the target type saturate and NaN gives 0, so no
// input, however odd, makes a conversion undefined.

#include <cmath>
#include <cstdint>
#include <limits>

template <typename Int>
Int RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);   // the default rounding mode: ties to even
    if (r <= double(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (r >= double(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return Int(r);
}
