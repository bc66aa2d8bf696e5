#pragma once
// The spectrum as the view draws it: far more bins than pixel columns (51 201 of them for a
// long record), so each column gets one vertical stroke from its lowest to its highest
// level, and a line joins the last level of one column to the first of the next. That is
// the same picture as a line through every bin, in two strokes a column.

#include "analysis/SpectrumScale.h"

#include <span>
#include <vector>

struct EnvelopeColumn {
    int x = 0;
    double first = 0;   // levels of the first and last bin in the column, and their extremes
    double last = 0;
    double low = 0;
    double high = 0;
};

// The columns of the scale's width that hold at least one bin, left to right; bin k lies
// at frequency k * binWidth, in the column nearest scale.toX of it (DC, off a logarithmic
// axis, in none).
std::vector<EnvelopeColumn> LevelEnvelope(std::span<const double> levels, double binWidth, const FrequencyScale& scale);

// The bin a pointer at column x reads: the highest of the bins drawn in that column (the
// top of its stroke), or, where the column holds none, the bin nearest its frequency.
// -1 without bins.
int BinAtColumn(std::span<const double> levels, double binWidth, const FrequencyScale& scale, int x);
