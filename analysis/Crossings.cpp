#include "analysis/Crossings.h"

namespace {

// Where the trace passes `level` going from sample i - 1 to sample i. A trace that stays
// on the level for a run of samples (a slow edge in whole counts) passes it in the middle
// of the run, which is where the unrounded trace passed it; otherwise the two samples are
// joined by a line.
double crossing(std::span<const int16_t> samples, int i, double sign, double level)
{
    const double before = sign * samples[std::size_t(i) - 1];
    const double after = sign * samples[std::size_t(i)];
    int first = i - 1;
    int last = i;
    if (before == level) {
        while (first > 0 && sign * samples[std::size_t(first) - 1] == level)
            --first;
        last = i - 1;
    } else if (after == level) {
        while (last + 1 < int(samples.size()) && sign * samples[std::size_t(last) + 1] == level)
            ++last;
        first = i;
    } else {
        return i - 1 + (level - before) / (after - before);
    }
    return (first + last) / 2.0;
}

// Rising edges of `sign` * samples from `from` up to `to`; the falling edges of the samples
// are the rising edges of their negation.
std::vector<double> risingEdges(std::span<const int16_t> samples, double sign, double from, double to)
{
    std::vector<double> durations;
    bool armed = false;
    double start = -1;
    double before = 0;
    for (int i = 0; i < int(samples.size()); ++i) {
        const double value = sign * samples[std::size_t(i)];
        if (value <= from) {
            armed = true;
            start = -1;
        } else if (armed && i > 0) {
            if (before <= from)
                start = crossing(samples, i, sign, from);
            if (start >= 0 && value >= to) {
                durations.push_back(crossing(samples, i, sign, to) - start);
                armed = false;
            }
        }
        before = value;
    }
    return durations;
}

} // namespace

LevelCrossings FindCrossings(std::span<const int16_t> samples, double level, double band)
{
    enum class Side { Unknown, Low, High };
    LevelCrossings crossings;
    Side side = Side::Unknown;
    double lastRise = -1;
    double lastFall = -1;
    for (int i = 0; i < int(samples.size()); ++i) {
        const double value = samples[std::size_t(i)];
        if (i > 0) {
            const double before = samples[std::size_t(i) - 1];
            if (before < level && value >= level)
                lastRise = crossing(samples, i, 1, level);
            else if (before > level && value <= level)
                lastFall = crossing(samples, i, -1, -level);
        }
        if (value < level - band) {
            if (side == Side::High && lastFall >= 0)
                crossings.falling.push_back(lastFall);
            side = Side::Low;
        } else if (value > level + band) {
            if (side == Side::Low && lastRise >= 0)
                crossings.rising.push_back(lastRise);
            side = Side::High;
        }
    }
    return crossings;
}

EdgeDurations FindEdgeDurations(std::span<const int16_t> samples, double low, double high)
{
    return {risingEdges(samples, 1, low, high), risingEdges(samples, -1, -high, -low)};
}
