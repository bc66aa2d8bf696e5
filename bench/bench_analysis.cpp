// The analysis of a long record (2 x 102400 samples), a sine with noise on channel 1 and
// pulses on channel 2: every measurement of both channels; the spectrum of channel 1
// (window, transform, levels, peaks and THD); the envelope the spectrum window draws of its
// 51201 bins on a logarithmic axis. Prints the median of the runs in ms of this thread's
// processor time, which a busy machine disturbs less than the wall clock.

#include "analysis/Measure.h"
#include "analysis/Spectrum.h"
#include "analysis/SpectrumEnvelope.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianMs(const std::function<void()>& work)
{
    constexpr int kRuns = 41;
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        const double start = threadCpuMs();
        work();
        ms.push_back(threadCpuMs() - start);
    }
    std::nth_element(ms.begin(), ms.begin() + kRuns / 2, ms.end());
    return ms[kRuns / 2];
}

} // namespace

int main()
{
    WaveRecord record;
    record.LastIndex = 102399;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 2;
    record.SecondsPerSample = 5e-7f;
    for (int i = 0; i <= record.LastIndex; ++i) {
        record.Samples(1, i) = int16_t(std::lround(100 * std::sin(i * 0.01)) + (i * 7919) % 5 - 2);
        record.Samples(2, i) = int16_t((i / 500) % 2 == 0 ? 80 : -80);
    }
    volatile double sink = 0;
    const double measureMs = medianMs([&] {
        for (int channel : {1, 2})
            sink = sink + MeasureChannel(record, channel, WholeRecord(record))[Measurement::Frequency].value_or(0);
    });
    const double spectrumMs = medianMs([&] {
        sink = sink + ComputeChannelSpectrum(record, 1, WholeRecord(record), kDefaultWindow)->thdPercent.value_or(0);
    });
    const Spectrum spectrum = *ComputeChannelSpectrum(record, 1, WholeRecord(record), kDefaultWindow);
    const FrequencyScale scale(FrequencyAxis::Logarithmic, spectrum.binWidth, spectrum.sampleRate / 2, 900);
    const double envelopeMs = medianMs([&] { sink = sink + LevelEnvelope(spectrum.levels, spectrum.binWidth, scale).size(); });
    std::printf("measure-2x102400-ms: %.2f ms\n", measureMs);
    std::printf("spectrum-102400-ms: %.2f ms\n", spectrumMs);
    std::printf("spectrum-envelope-51201-ms: %.2f ms\n", envelopeMs);
}
