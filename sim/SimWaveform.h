#pragma once
// The simulated instrument's waveforms: deterministic from the seed and the capture
// number. Channel 1 is a sine, channel 2 a square wave, both with a little noise.

#include <cstdint>
#include <string>

// Samples start .. start + points - 1 of one capture of a channel, as two's-complement
// bytes (one char per sample).
std::string SimWaveform(int channel, int start, int points, uint32_t seed, int capture);
