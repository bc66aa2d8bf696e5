// Reference waveforms on a long record (2 x 102400 samples): the comparison alone, and a
// whole redraw without references, with one whose band the record leaves only at a glitch,
// and with four of other noise whose band it leaves nearly everywhere. Medians in ms of this
// thread's processor time, which a busy machine disturbs less than the wall clock.

#include "analysis/WaveComparison.h"
#include "document/ReferenceSet.h"
#include "wave/WavePainter.h"

#include "support/SampleWaves.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const ColorSlots kColors{12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianMs(const std::function<void()>& run, int runs)
{
    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        const double start = threadCpuMs();
        run();
        times.push_back(threadCpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const char* name, double ms)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, ms, std::chars_format::fixed, 2).ptr;
    std::printf("%s: %.*s ms\n", name, int(end - text), text);
}

} // namespace

int main()
{
    auto live = std::make_unique<WaveRecord>();
    FillSineSquare(*live, 102399, 1);
    SetTimeBase(*live);
    live->Ch1VoltsPerDiv = 0.5f;
    live->Ch2VoltsPerDiv = 2;
    auto reference = std::make_unique<WaveRecord>(*live);
    FillSineSquare(*reference, 102399, 3);

    print("compare-2x102400-ms", medianMs([&] { CompareRecords(*live, *reference, 0.05); }, 41));

    auto glitch = std::make_unique<WaveRecord>(*live);
    for (int i = 50000; i < 50003; ++i)
        glitch->Samples(1, i) = int16_t(glitch->Samples(1, i) + 20);
    ReferenceSet one;
    one.keep(0, *glitch, {});
    one.setTolerance(0.2);
    ReferenceSet four;
    for (int slot = 0; slot < ReferenceSet::kCount; ++slot)
        four.keep(slot, *reference, {});
    four.setTolerance(0.05);
    const DisplayFlags flags{1, 1, 1, 1, 1};
    const WaveScale view{0, double(live->LastIndex)};
    QImage image(QSize(505, 245), QImage::Format_RGB32);
    const auto redraw = [&](const ReferenceSet* set) {
        const std::optional<WaveScene> scene = ComputeWaveScene(*live, view, flags);
        PaintWaveScene(image, *scene, kColors, set ? set->overlay(*scene, *live, flags) : WaveOverlay{});
    };
    print("render-long-plain-ms", medianMs([&] { redraw(nullptr); }, 41));
    print("render-long-1-reference-band-ms", medianMs([&] { redraw(&one); }, 41));
    print("render-long-4-references-band-all-outside-ms", medianMs([&] { redraw(&four); }, 41));
    return 0;
}
