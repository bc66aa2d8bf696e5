#include "interchange/ExportedSignal.h"

#include "wave/WaveScene.h"

#include <algorithm>
#include <charconv>
#include <cmath>

double DecimalValue(float value)
{
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    double decimal = 0;
    std::from_chars(text, end, decimal);
    return decimal;
}

ExportedSignalOrProblem ExportSignal(const WaveRecord& record)
{
    if (!HasTimeBase(record))
        return {std::nullopt, "時間軸が設定されていない波形は書き出せません（設定画面で時間軸を確定してください）。"};
    ExportedSignal signal;
    for (int channel : {1, 2}) {
        if ((channel == 1 ? record.Ch1On : record.Ch2On) != 0)
            signal.channels.push_back(channel);
        signal.voltsPerCount[channel] = DecimalValue(record.voltsPerDiv(channel)) / 25.0;
    }
    if (signal.channels.empty())
        return {std::nullopt, "表示するチャンネルがないため、書き出せる波形がありません。"};
    signal.points = std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex) + 1;
    signal.secondsPerSample = DecimalValue(record.SecondsPerSample);
    return {signal, {}};
}

std::optional<unsigned long long> WholeSampleRate(const ExportedSignal& signal)
{
    const double rate = std::round(1.0 / signal.secondsPerSample);
    if (!(rate >= 1) || rate > 1e18)
        return std::nullopt;
    return static_cast<unsigned long long>(rate);
}
