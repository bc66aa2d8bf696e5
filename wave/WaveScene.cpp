#include "wave/WaveScene.h"

#include "core/EngNumber.h"
#include "wave/RoundHalfEven.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <charconv>
#include <cmath>

TimeDivision ComputeTimeDivision(int viewWidth, float secondsPerSample)
{
    TimeDivision result;
    const float raw = float(viewWidth / 10) * secondsPerSample;
    if (std::isfinite(raw) && raw > 0) {
        // "d.ddE-xx": the leading digit and the exponent after rounding to three digits.
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, double(raw),
                                           std::chars_format::scientific, 2);
        const char* e = std::find(text, written.ptr, 'e');
        const char* exponentStart = e + 1 < written.ptr && e[1] == '+' ? e + 2 : e + 1;
        int exponent = 0;
        std::from_chars(exponentStart, written.ptr, exponent);
        const int digit = text[0] - '0';
        const float divSamples = float(std::pow(10.0, exponent) * digit / double(secondsPerSample));
        if (std::isfinite(divSamples))
            result.DivSamples = divSamples;
    }
    result.label = "Time: " + FormatEng(secondsPerSample * result.DivSamples) + "s/DIV";
    return result;
}

bool HasTimeBase(const WaveRecord& record)
{
    return record.SecondsPerDiv != 0 && record.SecondsPerSample != 0
        && std::isfinite(record.SecondsPerSample);
}

namespace {

void addGrid(WaveScene& scene, int viewWidth)
{
    const double left = scene.ViewLeft;
    const double right = scene.ViewRight;
    scene.lines.push_back({left, 0, right, 0, kCentreLineColor});
    for (int k = 1; k <= 5; ++k) {
        scene.lines.push_back({left, 25.0 * k, right, 25.0 * k, kGridColor});
        scene.lines.push_back({left, -25.0 * k, right, -25.0 * k, kGridColor});
    }
    // Anchored on the middle of the view, not on sample 0.
    const double cx = double(scene.ViewLeft) + viewWidth / 2;
    scene.lines.push_back({cx, 128, cx, -128, kGridColor});
    const int n = RoundHalfEven<int32_t>(scene.DivSamples);
    if (n <= 0)
        return;   // no whole division in the view: the centre line alone
    const int count = (viewWidth / n) / 2;
    for (int i = 1; i <= count; ++i) {
        const double off = RoundHalfEven<int32_t>(scene.DivSamples * float(i));
        scene.lines.push_back({cx + off, 128, cx + off, -128, kGridColor});
        scene.lines.push_back({cx - off, 128, cx - off, -128, kGridColor});
    }
}

SceneTrace traceOf(const WaveRecord& record, const WaveScene& scene, int channel, bool connected)
{
    SceneTrace trace{channel == 1 ? kCh1TraceColor : kCh2TraceColor, connected,
                     std::max(scene.ViewLeft, 0), record.offset(channel), {}};
    const int last = std::min(scene.ViewRight, SampleTable::kMaxSampleIndex);
    if (last >= trace.firstIndex) {
        // Straight from the interleaved storage: channel 1, channel 2, next index.
        const std::span<const int16_t> pairs = record.Samples.interleaved();
        trace.values.resize(std::size_t(last - trace.firstIndex + 1));
        for (std::size_t k = 0; k < trace.values.size(); ++k)
            trace.values[k] = pairs[2 * (std::size_t(trace.firstIndex) + k) + std::size_t(channel - 1)];
    }
    return trace;
}

} // namespace

std::optional<WaveScene> ComputeWaveScene(const WaveRecord& record, const WaveScale& scale,
                                          const DisplayFlags& flags)
{
    if (!HasTimeBase(record))
        return std::nullopt;

    WaveScene scene;
    scene.scale = scale;
    scene.ViewLeft = RoundHalfEven<int32_t>(scale.ScaleLeft);
    scene.ViewRight = RoundHalfEven<int32_t>(scale.ScaleWidth + scene.ViewLeft);
    const int viewWidth = RoundHalfEven<int32_t>(scale.ScaleWidth);

    const TimeDivision division = ComputeTimeDivision(viewWidth, record.SecondsPerSample);
    scene.DivSamples = division.DivSamples;
    scene.timeLabel = division.label;

    if (flags.Grid != 0)
        addGrid(scene, viewWidth);
    if (flags.Base != 0) {
        if (flags.Ch1 == 1)
            scene.lines.push_back({double(scene.ViewLeft), record.Ch1Offset,
                                   double(scene.ViewRight), record.Ch1Offset, kCh1BaseColor});
        if (flags.Ch2 == 1)
            scene.lines.push_back({double(scene.ViewLeft), record.Ch2Offset,
                                   double(scene.ViewRight), record.Ch2Offset, kCh2BaseColor});
    }
    const bool connected = flags.Line == 1;
    if (flags.Ch1 == 1)
        scene.traces.push_back(traceOf(record, scene, 1, connected));
    if (flags.Ch2 == 1)
        scene.traces.push_back(traceOf(record, scene, 2, connected));
    return scene;
}
