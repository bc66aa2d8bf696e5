#include "wave/ReferenceTraces.h"

#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace {

bool drawn(const WaveRecord& record, const DisplayFlags& flags, int channel)
{
    return (channel == 1 ? flags.Ch1 : flags.Ch2) == 1 && (channel == 1 ? record.Ch1On : record.Ch2On) != 0;
}

int16_t countsOf(double value)
{
    constexpr double low = std::numeric_limits<int16_t>::min();
    constexpr double high = std::numeric_limits<int16_t>::max();
    return int16_t(std::lround(std::clamp(value, low, high)));
}

// Samples ViewLeft..ViewRight of a reference channel, as far as the reference reaches,
// scaled and moved by `shift` counts, at the live channel's offset.
SceneTrace scaledTrace(const WaveScene& scene, const WaveRecord& live, const ReferenceTrace& reference,
                       int channel, double shift, bool connected)
{
    const WaveRecord& record = *reference.record;
    SceneTrace trace{0, connected, std::max(scene.ViewLeft, 0), live.offset(channel), {}};
    const int last = std::min({scene.ViewRight, record.LastIndex, SampleTable::kMaxSampleIndex});
    if (last < trace.firstIndex)
        return trace;
    // Straight from the interleaved storage: channel 1, channel 2, next index.
    const std::span<const int16_t> pairs = record.Samples.interleaved();
    trace.values.resize(std::size_t(last - trace.firstIndex + 1));
    for (std::size_t k = 0; k < trace.values.size(); ++k)
        trace.values[k] = pairs[2 * (std::size_t(trace.firstIndex) + k) + std::size_t(channel - 1)];
    const double scale = reference.scale[std::size_t(channel - 1)];
    if (scale == 1 && shift == 0)
        return trace;
    // Each value the samples hold is scaled once, then looked up.
    const auto [low, high] = std::minmax_element(trace.values.begin(), trace.values.end());
    const int lowest = *low;
    std::vector<int16_t> scaled(std::size_t(*high - lowest + 1));
    for (std::size_t v = 0; v < scaled.size(); ++v)
        scaled[v] = countsOf((lowest + int(v)) * scale + shift);
    for (int16_t& value : trace.values)
        value = scaled[std::size_t(value - lowest)];
    return trace;
}

} // namespace

WaveOverlay ComputeReferenceOverlay(const WaveScene& scene, const WaveRecord& live, const DisplayFlags& flags,
                                    const std::vector<ReferenceTrace>& references, const ToleranceBand* band)
{
    WaveOverlay overlay;
    const bool connected = flags.Line == 1;
    for (const ReferenceTrace& reference : references)
        for (int channel : {1, 2})
            if (drawn(*reference.record, flags, channel))
                overlay.under.push_back({reference.bgr, scaledTrace(scene, live, reference, channel, 0, connected)});
    if (!band)
        return overlay;
    overlay.markBgr = band->markBgr;
    for (int channel : {1, 2}) {
        if (!drawn(*band->reference.record, flags, channel) || !drawn(live, flags, channel))
            continue;
        const double half = band->halfWidth[std::size_t(channel - 1)];
        // The edges as lines even in dots mode: a band of dots is hard to tell from a trace.
        for (double shift : {half, -half})
            overlay.under.push_back({band->bgr, scaledTrace(scene, live, band->reference, channel, shift, true)});
        for (int index : band->outside[std::size_t(channel - 1)])
            if (index >= scene.ViewLeft && index <= scene.ViewRight)
                overlay.marks.push_back({index, float(live.Samples(channel, index)) + live.offset(channel)});
    }
    return overlay;
}
