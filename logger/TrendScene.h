#pragma once
// The trend chart's picture as lines in pixels: one measurement against time over a whole
// logging run. Where more rows fall in a pixel column than it can show, the column's lowest
// and highest value are joined by one vertical line and neighbouring columns by a line
// from the last value of one to the first of the next, as the wave view draws its traces:
// the same picture as a line through every row, at a cost that follows the width, not the
// number of rows. A row without a value (a failed capture, a lost line) breaks the line,
// so the gap shows.

#include <optional>
#include <span>
#include <vector>

struct TrendPoint {
    double seconds = 0;           // from the start of the run
    std::optional<double> value;  // none: the capture failed
};

struct TrendLine {
    int x1, y1, x2, y2;
};

struct TrendRange {
    double low = 0;
    double high = 0;
};

// The lowest and highest value of the points (nullopt when none has a value); a flat run
// is widened so that it draws in the middle.
std::optional<TrendRange> TrendValueRange(std::span<const TrendPoint> points);

// The lines for a chart width x height pixels showing `seconds` (from 0) across and `range`
// from the bottom row to the top row. Points are in time order.
std::vector<TrendLine> TrendLines(std::span<const TrendPoint> points, double seconds, TrendRange range, int width,
                                  int height);
