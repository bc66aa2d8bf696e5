#include "analysis/WaveComparison.h"

#include "core/EngNumber.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

namespace {

constexpr double kCountsPerDiv = 25;

// A tolerance is typed as a decimal ("8m") and a deviation computed in binary: one count at
// 0.2 V/DIV must sit on a tolerance of 8 mV, not just above it.
constexpr double kToleranceSlack = 1e-9;

bool isOn(const WaveRecord& record, int channel)
{
    return (channel == 1 ? record.Ch1On : record.Ch2On) != 0;
}

std::string channelSet(const WaveRecord& record)
{
    std::string set;
    for (int channel : {1, 2})
        if (isOn(record, channel))
            set += (set.empty() ? "CH" : "、CH") + std::to_string(channel);
    return set.empty() ? "なし" : set;
}

// The seconds per sample when the record has a time base; 0 without one.
float timeBase(const WaveRecord& record)
{
    const bool has = record.SecondsPerDiv != 0 && record.SecondsPerSample != 0 && std::isfinite(record.SecondsPerSample);
    return has ? record.SecondsPerSample : 0;
}

std::string secondsText(float seconds)
{
    return seconds == 0 ? std::string("時間軸なし") : FormatEng(seconds) + "s";
}

std::string pair(std::string_view nameA, const std::string& a, std::string_view nameB, const std::string& b)
{
    return "（" + std::string(nameA) + ": " + a + "、" + std::string(nameB) + ": " + b + "）";
}

int lastIndex(const WaveRecord& record)
{
    return std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex);
}

} // namespace

double ShownVoltsPerDiv(const WaveRecord& record, int channel)
{
    const float vpd = record.voltsPerDiv(channel);
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, vpd);
    double shown = vpd;
    std::from_chars(text, written.ptr, shown);
    return shown;
}

std::string ComparisonProblem(const WaveRecord& a, const WaveRecord& b, std::string_view nameA,
                              std::string_view nameB)
{
    std::string problem;
    if (lastIndex(a) != lastIndex(b))
        problem += "データ数が違います" +
                   pair(nameA, std::to_string(lastIndex(a) + 1) + " 点", nameB, std::to_string(lastIndex(b) + 1) + " 点") +
                   "。";
    if (timeBase(a) != timeBase(b))
        problem += "サンプル間隔が違います" + pair(nameA, secondsText(timeBase(a)), nameB, secondsText(timeBase(b))) + "。";
    if (isOn(a, 1) != isOn(b, 1) || isOn(a, 2) != isOn(b, 2))
        problem += "チャンネルが違います" + pair(nameA, channelSet(a), nameB, channelSet(b)) + "。";
    else if (!isOn(a, 1) && !isOn(a, 2))
        problem += "比較するチャンネルがありません。";
    else
        for (int channel : {1, 2})
            for (const auto& [record, name] : {std::pair{&a, nameA}, std::pair{&b, nameB}})
                if (isOn(*record, channel) && !(std::abs(record->voltsPerDiv(channel)) > 0 && std::isfinite(record->voltsPerDiv(channel))))
                    problem += std::string(name) + " の CH" + std::to_string(channel) + " に V/DIV がありません。";
    return problem;
}

WaveComparison CompareRecords(const WaveRecord& a, const WaveRecord& b, std::optional<double> tolerance,
                              std::string_view nameA, std::string_view nameB)
{
    WaveComparison result;
    result.problem = ComparisonProblem(a, b, nameA, nameB);
    if (!result.comparable())
        return result;
    const int last = lastIndex(a);
    const double limit = tolerance ? *tolerance * (1 + kToleranceSlack) : 0;
    bool pass = true;
    for (int channel : {1, 2}) {
        if (!isOn(a, channel))
            continue;
        const double scaleA = ShownVoltsPerDiv(a, channel);
        const double scaleB = ShownVoltsPerDiv(b, channel);
        // A fresh capture still holds its samples at their screen positions.
        const double offsetA = a.FreshCapture == kTrue ? a.offset(channel) : 0.0;
        const double offsetB = b.FreshCapture == kTrue ? b.offset(channel) : 0.0;
        ChannelDeviation deviation;
        deviation.channel = channel;
        deviation.points = last + 1;
        if (tolerance)
            deviation.outside.emplace().reserve(std::size_t(last) + 1);
        // Straight from the interleaved storage: channel 1, channel 2, next index.
        const std::span<const int16_t> pairsA = a.Samples.interleaved();
        const std::span<const int16_t> pairsB = b.Samples.interleaved();
        const auto column = std::size_t(channel - 1);
        double squares = 0;
        double largest = 0;
        for (int i = 0; i <= last; ++i) {
            const std::size_t at = 2 * std::size_t(i) + column;
            // At one V/DIV the counts are subtracted first and the volts divided last, so that
            // a whole number of counts gives the decimal volts (1 x 0.2 / 25 is 0.008).
            const double d = scaleA == scaleB
                ? ((pairsA[at] - offsetA) - (pairsB[at] - offsetB)) * scaleA / kCountsPerDiv
                : ((pairsA[at] - offsetA) * scaleA - (pairsB[at] - offsetB) * scaleB) / kCountsPerDiv;
            const double size = std::abs(d);
            largest = std::max(largest, size);
            squares += d * d;
            if (tolerance && size > limit)
                deviation.outside->push_back(i);
        }
        deviation.maxDeviation = largest;
        deviation.rmsDeviation = std::sqrt(squares / deviation.points);
        pass = pass && (!deviation.outside || deviation.outside->empty());
        result.channels.push_back(std::move(deviation));
    }
    if (tolerance)
        result.pass = pass;
    return result;
}

std::string VerdictText(const WaveComparison& comparison, std::string_view referenceName)
{
    const std::string head = std::string(referenceName) + " と比較: ";
    if (!comparison.comparable())
        return head + "比較できません。" + comparison.problem;
    if (!comparison.pass)
        return {};
    if (*comparison.pass)
        return head + "合格";
    std::string counts;
    for (const ChannelDeviation& channel : comparison.channels)
        if (channel.pointsOutside().value_or(0) > 0)
            counts += (counts.empty() ? "" : "、") + ("CH" + std::to_string(channel.channel)) + " 範囲外 " +
                      std::to_string(*channel.pointsOutside()) + " 点";
    return head + "不合格（" + counts + "）";
}

std::optional<double> ParseTolerance(std::string_view text)
{
    const auto trim = [](std::string_view t) {
        while (!t.empty() && t.front() == ' ')
            t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ')
            t.remove_suffix(1);
        return t;
    };
    text = trim(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || text.empty() || text.front() == '-' || !std::isfinite(value))
        return std::nullopt;
    std::string_view rest = trim(text.substr(std::size_t(end - text.data())));
    if (rest.ends_with('V'))
        rest = trim(rest.substr(0, rest.size() - 1));
    // Divided by an exact power of ten, "50m" is the double nearest 0.05, as "0.05" is.
    constexpr std::pair<std::string_view, int> kPrefixes[] = {
        {"", 0}, {"p", -12}, {"n", -9}, {"u", -6}, {"µ", -6}, {"m", -3}, {"k", 3}, {"M", 6}, {"G", 9}};
    for (const auto& [prefix, exponent] : kPrefixes)
        if (rest == prefix)
            return exponent < 0 ? value / std::pow(10.0, -exponent) : value * std::pow(10.0, exponent);
    return std::nullopt;
}
