#pragma once
// The spectrum of one channel: levels in dBV of the RMS value of a sinusoid at each bin,
// the highest peaks and the total harmonic distortion of the highest one.

#include "analysis/SampleWindow.h"
#include "analysis/SpectrumWindow.h"

#include <optional>
#include <span>
#include <vector>

struct WaveRecord;

// What a bin with no power at all reads, instead of minus infinity.
inline constexpr double kLevelFloor = -200;   // dBV
inline constexpr int kMaxPeaks = 10;
// Fewer samples than this make no spectrum.
inline constexpr int kMinSpectrumSamples = 16;

struct SpectrumPeak {
    double frequency = 0;   // Hz, between bins
    double level = 0;       // dBV, from the power over the main lobe
};

struct Spectrum {
    WindowKind window = kDefaultWindow;
    double sampleRate = 0;        // Hz
    double binWidth = 0;          // Hz
    std::vector<double> levels;   // dBV of bins 0 .. n/2 (n/2 + 1 of them)
    // The highest first, at least a main lobe apart; the first is the fundamental.
    std::vector<SpectrumPeak> peaks;
    // From harmonics 2 to 10 below the Nyquist frequency; none without a fundamental whose
    // lobe stands clear of DC and of its second harmonic, or without a harmonic below Nyquist.
    std::optional<double> thdPercent;
};

// The spectrum of `volts` less their mean; at least kMinSpectrumSamples of them and a
// sampleRate above 0.
Spectrum ComputeSpectrum(std::span<const double> volts, double sampleRate, WindowKind window);

// The samples of channel 1 or 2 in `samples` at the record's sample rate; none without a
// time base or with fewer than kMinSpectrumSamples samples.
std::optional<Spectrum> ComputeChannelSpectrum(const WaveRecord& record, int channel, SampleWindow samples,
                                               WindowKind window);
