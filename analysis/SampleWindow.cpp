#include "analysis/SampleWindow.h"

#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>

namespace {

// A time given on a sample lands off it by the single-precision rounding of the record's
// step (up to 0.006 samples at the end of a long record); this much still counts as on it.
constexpr double kOnSample = 0.01;

} // namespace

SampleWindow WholeRecord(const WaveRecord& record)
{
    return {0, std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex)};
}

std::optional<double> SampleSeconds(const WaveRecord& record)
{
    const double seconds = record.SecondsPerSample;
    if (!std::isfinite(seconds) || !(seconds > 0))
        return std::nullopt;
    return seconds;
}

std::optional<SampleWindow> WindowBetweenTimes(const WaveRecord& record, std::optional<double> from,
                                               std::optional<double> to)
{
    const SampleWindow whole = WholeRecord(record);
    if (!from && !to)
        return whole;
    const std::optional<double> step = SampleSeconds(record);
    if (!step)
        return std::nullopt;
    const double begin = from ? *from / *step : 0.0;
    const double end = to ? *to / *step : double(whole.last);
    if (!std::isfinite(begin) || !std::isfinite(end) || begin < -kOnSample || end > whole.last + kOnSample ||
        (from && to && *from > *to))
        return std::nullopt;
    const SampleWindow window{int(std::max(0.0, std::ceil(begin - kOnSample))),
                              int(std::min(double(whole.last), std::floor(end + kOnSample)))};
    if (window.first > window.last)
        return std::nullopt;
    return window;
}

std::optional<SampleWindow> WindowBetweenPositions(const WaveRecord& record, double a, double b)
{
    const SampleWindow whole = WholeRecord(record);
    if (!std::isfinite(a) || !std::isfinite(b))
        return std::nullopt;
    const double low = std::max(std::min(a, b), 0.0);
    const double high = std::min(std::max(a, b), double(whole.last));
    if (low > high)
        return std::nullopt;
    const SampleWindow window{int(std::ceil(low)), int(std::floor(high))};
    if (window.first > window.last)
        return std::nullopt;
    return window;
}
