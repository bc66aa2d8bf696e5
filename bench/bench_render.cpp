// Full redraws of a long record (2 x 102400 samples): the fast painter against one
// drawing call per sample, on a sine/square record and on full-scale noise.

#include "wave/WavePainter.h"
#include "wave/WaveReferencePainter.h"
#include "core/WaveRecord.h"

#include "support/SampleWaves.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const ColorSlots kColors{12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631};

using Painter = void (*)(QImage&, const WaveScene&, const ColorSlots&);

// Median milliseconds of a whole redraw: the scene, then the painting.
double medianMs(const WaveRecord& record, QSize size, int line, Painter paint, int runs)
{
    QImage image(size, QImage::Format_RGB32);
    const DisplayFlags flags{1, 1, 1, 1, line};
    const WaveScale view{0, double(record.LastIndex)};
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto scene = ComputeWaveScene(record, view, flags);
        paint(image, *scene, kColors);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const std::string& name, double value, const char* unit)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
    std::printf("%s: %.*s%s%s\n", name.c_str(), int(end - text), text, *unit ? " " : "", unit);
}

void compare(const std::string& name, const WaveRecord& record, QSize size, int line)
{
    const double fast = medianMs(record, size, line, PaintWaveScene, 41);
    const double reference = medianMs(record, size, line, PaintWaveSceneReference, 7);
    print(name + "-fast-ms", fast, "ms");
    print(name + "-reference-ms", reference, "ms");
    print(name + "-speedup", reference / fast, "");
}

} // namespace

int main()
{
    auto sine = std::make_unique<WaveRecord>();
    FillSineSquare(*sine, 102399);
    SetTimeBase(*sine);
    auto noise = std::make_unique<WaveRecord>();
    FillNoise(*noise, 102399);
    SetTimeBase(*noise);

    const QSize nominal(505, 245);
    const QSize large(1500, 700);
    compare("render-long-full", *sine, nominal, 1);
    compare("render-long-full-1500x700", *sine, large, 1);
    compare("render-noise-full", *noise, nominal, 1);
    compare("render-noise-full-1500x700", *noise, large, 1);
    compare("render-long-dots", *sine, nominal, 0);
    return 0;
}
