#pragma once
// Deterministic records for the wave tests and the render bench: a sine on channel 1 and
// a square on channel 2 with a little noise, like the simulated instrument's, or
// full-scale noise on both channels.

#include "core/WaveRecord.h"

#include <cmath>
#include <random>

inline void FillSineSquare(WaveRecord& record, int lastIndex, unsigned seed = 1)
{
    std::mt19937 noise(seed);
    record.LastIndex = lastIndex;
    const double points = lastIndex + 1;
    for (int i = 0; i <= lastIndex; ++i) {
        const double phase = 2 * M_PI * 5 * i / points;   // five periods per record
        const int jitter = int(noise() % 7) - 3;
        record.Samples(1, i) = int16_t(std::lround(90 * std::sin(phase)) + jitter);
        const bool high = std::fmod(7.0 * i / points, 1.0) < 0.5;
        record.Samples(2, i) = int16_t((high ? 60 : -60) + int(noise() % 5) - 2);
    }
}

inline void FillNoise(WaveRecord& record, int lastIndex, unsigned seed = 2)
{
    std::mt19937 noise(seed);
    record.LastIndex = lastIndex;
    for (int i = 0; i <= lastIndex; ++i) {
        record.Samples(1, i) = int16_t(int(noise() % 256) - 128);
        record.Samples(2, i) = int16_t(int(noise() % 256) - 128);
    }
}

// A record that has been set up and refreshed: 100 us per division on a normal record
// (2e-7 s per sample), 5 ms on a long one (5e-7 s).
inline void SetTimeBase(WaveRecord& record)
{
    const bool longRecord = record.LastIndex > 30000;
    record.SecondsPerDiv = longRecord ? 5e-3f : 1e-4f;
    record.SecondsPerSample = longRecord ? 5e-7f : 2e-7f;
}

// 5120 samples at 100 us/DIV (0.2 us a sample), set up. Channel 1 at 1 V/DIV (40 mV a count):
// pulses of 512 samples, 25 % high, between +-level counts. Channel 2 at 2.5 V/DIV (100 mV a
// count): +10 counts in the first half, -10 in the second.
inline WaveRecord PulseRecord(int level)
{
    WaveRecord r;
    r.LastIndex = 5119;
    r.SecondsPerDiv = 1e-4f;
    r.Ch1VoltsPerDiv = 1;
    r.Ch2VoltsPerDiv = 2.5f;
    r.ParamsLocked = kTrue;
    for (int i = 0; i <= r.LastIndex; ++i) {
        r.Samples(1, i) = int16_t(i % 512 < 128 ? level : -level);
        r.Samples(2, i) = int16_t(i < 2560 ? 10 : -10);
    }
    return r;
}
