#pragma once
// Where a trace passes a level, between samples: the edges that pulse measurements are
// timed from.

#include <cstdint>
#include <span>
#include <vector>

// Positions are fractional sample indices into the span, placed by linear interpolation
// between the two samples on either side of the level.
struct LevelCrossings {
    std::vector<double> rising;
    std::vector<double> falling;
};

// The crossings of `level` with a hysteresis of `band` either side: a rise counts once the
// trace has been below level - band and then goes above level + band (a fall the other way
// round), so noise around the level makes no extra edges. Its position is where the trace
// last went through the level itself before that. Rises and falls therefore alternate.
LevelCrossings FindCrossings(std::span<const int16_t> samples, double level, double band);

// Durations in samples of the complete edges between `low` and `high` (low < high): a
// rising edge runs from the last rise through `low` after the trace was at or below it to
// the first rise through `high` after that; a falling edge from `high` down to `low` the
// same way. An edge that turns back before reaching the far level is no edge.
struct EdgeDurations {
    std::vector<double> rising;
    std::vector<double> falling;
};

EdgeDurations FindEdgeDurations(std::span<const int16_t> samples, double low, double high);
