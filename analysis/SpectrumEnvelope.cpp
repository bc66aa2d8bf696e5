#include "analysis/SpectrumEnvelope.h"

#include <algorithm>
#include <cmath>

namespace {

// Bins from..to (from > to: none) whose frequency maps into [x - 0.5, x + 0.5): one pair of
// mappings a column instead of one a bin (a logarithm each on the logarithmic axis).
std::pair<int, int> binsOfColumn(int bins, double binWidth, const FrequencyScale& scale, int x)
{
    const auto binAt = [&](double column) { return scale.toFrequency(column) / binWidth; };
    return {std::max(0, int(std::ceil(binAt(x - 0.5)))), std::min(bins - 1, int(std::ceil(binAt(x + 0.5))) - 1)};
}

} // namespace

std::vector<EnvelopeColumn> LevelEnvelope(std::span<const double> levels, double binWidth, const FrequencyScale& scale)
{
    std::vector<EnvelopeColumn> columns;
    int next = 0;   // the first bin no column has taken yet
    for (int x = 0; x < scale.width(); ++x) {
        auto [from, to] = binsOfColumn(int(levels.size()), binWidth, scale, x);
        from = std::max(from, next);
        if (from > to)
            continue;
        const auto begin = levels.begin() + from;
        const auto end = levels.begin() + to + 1;
        const auto [low, high] = std::minmax_element(begin, end);
        columns.push_back({x, *begin, *(end - 1), *low, *high});
        next = to + 1;
    }
    return columns;
}

int BinAtColumn(std::span<const double> levels, double binWidth, const FrequencyScale& scale, int x)
{
    const int bins = int(levels.size());
    if (bins == 0)
        return -1;
    const auto [from, to] = binsOfColumn(bins, binWidth, scale, x);
    if (from > to)
        return std::clamp(int(std::lround(scale.toFrequency(x) / binWidth)), 0, bins - 1);
    return int(std::max_element(levels.begin() + from, levels.begin() + to + 1) - levels.begin());
}
