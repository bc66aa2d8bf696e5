#pragma once
// A record compared with a reference, point by point, in volts of the signals: counts x
// V/DIV / 25 of each, so the display offsets play no part and two records of one signal
// at different offsets or ranges compare equal. The window's overlay, its pass/fail line
// and `miravo-cli compare` all read this.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct WaveRecord;

struct ChannelDeviation {
    int channel = 1;
    int points = 0;
    double maxDeviation = 0;   // V, the largest |a - b|
    double rmsDeviation = 0;   // V
    // With a tolerance: the sample indices where |a - b| exceeds it, in order.
    std::optional<std::vector<int>> outside;

    std::optional<int> pointsOutside() const
    {
        return outside ? std::optional<int>(int(outside->size())) : std::nullopt;
    }
};

struct WaveComparison {
    // Not empty when the records cannot be compared: one Japanese sentence per difference.
    std::string problem;
    std::vector<ChannelDeviation> channels;   // each channel on in both, channel 1 first
    // With a tolerance: true when no point of any channel lies outside it.
    std::optional<bool> pass;

    bool comparable() const { return problem.empty(); }
};

// What keeps two records from being compared: another number of points, another seconds
// per sample (or a time base on one side only), another set of channels, no channel at
// all, a channel without V/DIV. Empty when they can be. nameA and nameB name the records
// in the sentences ("A", "R1").
std::string ComparisonProblem(const WaveRecord& a, const WaveRecord& b, std::string_view nameA,
                              std::string_view nameB);

// a against b; with a tolerance in volts (>= 0) the points outside it and pass.
WaveComparison CompareRecords(const WaveRecord& a, const WaveRecord& b, std::optional<double> tolerance,
                              std::string_view nameA = "A", std::string_view nameB = "B");

// A channel's V/DIV as its text shows it (0.2, not the float's 0.200000003); a count is
// a 25th of it.
double ShownVoltsPerDiv(const WaveRecord& record, int channel);

// The status line's verdict: "R1 と比較: 合格" or "R1 と比較: 不合格（CH1 範囲外 3 点）";
// the problem when the records cannot be compared; empty without a tolerance.
std::string VerdictText(const WaveComparison& comparison, std::string_view referenceName);

// A tolerance as typed: a decimal number with an optional prefix of "pnumkMG" (also "µ")
// and an optional "V", spaces around allowed ("50m", "0.05", "50 mV"). Nothing for an
// empty, negative, non-finite or otherwise unreadable text.
std::optional<double> ParseTolerance(std::string_view text);
