// Every measurement of both channels of a long record (2 x 102400 samples): a sine with
// noise on channel 1, pulses on channel 2. Prints the median of the runs in ms of this
// thread's processor time, which a busy machine disturbs less than the wall clock.

#include "analysis/Measure.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
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
    constexpr int kRuns = 41;
    std::vector<double> ms;
    volatile double sink = 0;
    for (int run = 0; run < kRuns; ++run) {
        const double start = threadCpuMs();
        for (int channel : {1, 2})
            sink = sink + MeasureChannel(record, channel, WholeRecord(record))[Measurement::Frequency].value_or(0);
        ms.push_back(threadCpuMs() - start);
    }
    std::nth_element(ms.begin(), ms.begin() + kRuns / 2, ms.end());
    std::printf("measure-2x102400-ms: %.2f ms\n", ms[kRuns / 2]);
}
