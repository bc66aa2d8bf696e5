#include "logger/TrendScene.h"

#include <algorithm>
#include <cmath>

std::optional<TrendRange> TrendValueRange(std::span<const TrendPoint> points)
{
    std::optional<TrendRange> range;
    for (const TrendPoint& p : points) {
        if (!p.value || !std::isfinite(*p.value))
            continue;
        if (!range)
            range = TrendRange{*p.value, *p.value};
        range->low = std::min(range->low, *p.value);
        range->high = std::max(range->high, *p.value);
    }
    if (range && range->high == range->low) {
        const double half = range->low == 0 ? 1 : std::abs(range->low) * 0.5;
        range->low -= half;
        range->high += half;
    }
    return range;
}

std::vector<TrendLine> TrendLines(std::span<const TrendPoint> points, double seconds, TrendRange range, int width,
                                  int height)
{
    std::vector<TrendLine> lines;
    if (width < 1 || height < 1 || !(range.high > range.low))
        return lines;
    const double xScale = seconds > 0 ? (width - 1) / seconds : 0;
    const double yScale = (height - 1) / (range.high - range.low);
    const auto column = [&](double s) { return std::clamp(int(std::lround(s * xScale)), 0, width - 1); };
    const auto row = [&](double v) {
        return std::clamp(int(std::lround((range.high - v) * yScale)), 0, height - 1);
    };

    struct Column {
        int x = -1, last = 0, low = 0, high = 0;
    };
    Column current;
    bool broken = true;
    const auto flush = [&](const Column& c) {
        if (c.x < 0)
            return;
        lines.push_back({c.x, c.low, c.x, c.high});
    };
    for (const TrendPoint& p : points) {
        if (!p.value || !std::isfinite(*p.value)) {
            broken = true;
            continue;
        }
        const int x = column(p.seconds);
        const int y = row(*p.value);
        if (x == current.x && !broken) {
            current.last = y;
            current.low = std::min(current.low, y);
            current.high = std::max(current.high, y);
            continue;
        }
        flush(current);
        // A new column: joined to the one before unless a failed row lies between them.
        if (!broken && current.x >= 0)
            lines.push_back({current.x, current.last, x, y});
        current = Column{x, y, y, y};
        broken = false;
    }
    flush(current);
    return lines;
}
