#include "sim/SimWaveform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// splitmix64: a well-mixed value from a counter, so every sample's noise is fixed by
// (seed, capture, channel, index) alone.
uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

std::string SimWaveform(int channel, int start, int points, uint32_t seed, int capture)
{
    // Ten sine periods or eight square periods across a 5120-point record.
    constexpr double kSinePeriod = 512.0;
    constexpr int kSquarePeriod = 640;
    const uint64_t key = mix((uint64_t(seed) << 32) ^ (uint64_t(uint32_t(capture)) << 2) ^ uint64_t(channel));
    const double phase = double(key % 1000) / 1000.0 * 2 * std::numbers::pi;
    const int shift = int(key % kSquarePeriod);

    std::string bytes(std::size_t(std::max(points, 0)), '\0');
    for (int k = 0; k < points; ++k) {
        const int i = start + k;
        const double clean = channel == 1 ? 80.0 * std::sin(2 * std::numbers::pi * i / kSinePeriod + phase)
                                          : ((i + shift) % kSquarePeriod < kSquarePeriod / 2 ? 50.0 : -50.0);
        const int noise = int(mix(key ^ uint64_t(i)) % 7) - 3;
        const int value = std::clamp(int(std::lround(clean)) + noise, -128, 127);
        bytes[std::size_t(k)] = char(uint8_t(value));
    }
    return bytes;
}
