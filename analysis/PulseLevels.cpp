#include "analysis/PulseLevels.h"

#include <algorithm>
#include <vector>

namespace {

// A half has a level when its most frequent value holds this many times the samples an
// even spread over the half's values would give. A triangle spreads evenly (about 1);
// a pulse's state holds most of its half even with noise of a few counts (10 and more).
// A sine piles up at its extremes too, but there the most frequent value is the extreme
// itself, which is what a sine's top and base are anyway.
constexpr double kLevelProminence = 3;

// The most frequent value of histogram[from..to] (indices, from <= to), the one nearer
// `from` on a tie, or `fallback` when it does not stand out of the half.
int modeOf(const std::vector<int>& histogram, int from, int to, int offset, int fallback)
{
    const int step = from <= to ? 1 : -1;
    int best = from;
    long long total = 0;
    for (int i = from;; i += step) {
        total += histogram[i];
        if (histogram[i] > histogram[best])
            best = i;
        if (i == to)
            break;
    }
    const double even = double(total) / (std::abs(to - from) + 1);
    return histogram[best] >= kLevelProminence * even ? best + offset : fallback;
}

} // namespace

PulseLevels FindPulseLevels(std::span<const int16_t> samples)
{
    const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    PulseLevels levels{*highest, *lowest, *highest, *lowest};
    if (levels.maximum == levels.minimum)
        return levels;
    std::vector<int> histogram(std::size_t(levels.maximum - levels.minimum + 1), 0);
    for (const int16_t value : samples)
        ++histogram[std::size_t(value - levels.minimum)];
    // The halves of the range; a value exactly in the middle belongs to neither.
    const int span = levels.maximum - levels.minimum;
    const int lowerEnd = (span - 1) / 2;
    const int upperStart = span / 2 + 1;
    levels.top = modeOf(histogram, span, upperStart, levels.minimum, levels.maximum);
    levels.base = modeOf(histogram, 0, lowerEnd, levels.minimum, levels.minimum);
    return levels;
}
