#pragma once
// The two states of a pulse trace by the histogram method: the most frequent level of the
// upper and of the lower half of the samples' range.

#include <cstdint>
#include <span>

// Counts. top and base are the maximum and minimum where a half has no level of its own
// (a sine, a triangle, a flat trace).
struct PulseLevels {
    int maximum = 0;
    int minimum = 0;
    int top = 0;
    int base = 0;
};

// samples must not be empty.
PulseLevels FindPulseLevels(std::span<const int16_t> samples);
