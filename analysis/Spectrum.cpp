#include "analysis/Spectrum.h"

#include "analysis/SpectrumTransform.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace {

constexpr double kCountsPerDiv = 25;
constexpr int kHighestHarmonic = 10;

// Powers |X_k|^2 of the one-sided transform with what turns them into volts squared. DC
// and Nyquist are scaled as the other bins: the mean is gone, and a tone sits on neither.
struct BinPowers {
    std::vector<double> power;
    // Lobe power sum -> RMS volts squared of a sinusoid: the one-sided half of Parseval's
    // n sum((x w)^2), a sinusoid's mean square times sum(w^2).
    double toneScale = 0;
    int size = 0;           // the transform's length

    int lastBin() const { return int(power.size()) - 1; }
};

double toDecibels(double rmsSquared)
{
    return std::max(10 * std::log10(rmsSquared), kLevelFloor);
}

// Power-weighted centre (in bins) and RMS volts squared of the main lobe centred on bin k.
struct Lobe {
    double centre = 0;
    double rmsSquared = 0;
};

Lobe lobeAt(const BinPowers& bins, int k, int halfWidth)
{
    const int from = std::max(0, k - halfWidth);
    const int to = std::min(bins.lastBin(), k + halfWidth);
    double total = 0;
    double moment = 0;
    for (int i = from; i <= to; ++i) {
        const double p = bins.power[std::size_t(i)];
        total += p;
        moment += i * p;
    }
    return {total > 0 ? moment / total : double(k), total * bins.toneScale};
}

// The greatest power among bins from..to.
int highestBin(const BinPowers& bins, int from, int to)
{
    from = std::max(from, 1);
    to = std::min(to, bins.lastBin());
    const auto begin = bins.power.begin();
    return int(std::max_element(begin + from, begin + to + 1) - begin);
}

std::vector<Lobe> findPeaks(const BinPowers& bins, int halfWidth)
{
    const std::vector<double>& p = bins.power;
    const int last = bins.lastBin();
    std::vector<int> candidates;
    for (int k = 1; k <= last; ++k) {
        const double here = p[std::size_t(k)];
        if (here > 0 && here > p[std::size_t(k - 1)] && (k == last || here >= p[std::size_t(k + 1)]))
            candidates.push_back(k);
    }
    // Noise has a local maximum every few bins: a heap hands out the highest few without
    // sorting them all.
    const auto lower = [&p](int a, int b) { return p[std::size_t(a)] < p[std::size_t(b)]; };
    std::make_heap(candidates.begin(), candidates.end(), lower);
    std::vector<int> chosen;
    for (auto end = candidates.end(); end != candidates.begin() && int(chosen.size()) < kMaxPeaks; --end) {
        std::pop_heap(candidates.begin(), end, lower);
        const int k = *(end - 1);
        const bool clear = std::none_of(chosen.begin(), chosen.end(),
                                        [&](int c) { return std::abs(c - k) < 2 * halfWidth; });
        if (clear)
            chosen.push_back(k);
    }
    std::vector<Lobe> lobes;
    for (int k : chosen)
        lobes.push_back(lobeAt(bins, k, halfWidth));
    std::stable_sort(lobes.begin(), lobes.end(),
                     [](const Lobe& a, const Lobe& b) { return a.rmsSquared > b.rmsSquared; });
    return lobes;
}

std::optional<double> harmonicDistortion(const BinPowers& bins, const Lobe& fundamental, int halfWidth)
{
    if (fundamental.centre <= 2 * halfWidth || fundamental.rmsSquared <= 0)
        return std::nullopt;
    const double nyquist = bins.size / 2.0;
    double harmonics = 0;
    int counted = 0;
    for (int h = 2; h <= kHighestHarmonic && h * fundamental.centre < nyquist; ++h) {
        const int near = int(std::lround(h * fundamental.centre));
        const int k = highestBin(bins, near - halfWidth, near + halfWidth);
        harmonics += lobeAt(bins, k, halfWidth).rmsSquared;
        ++counted;
    }
    if (counted == 0)
        return std::nullopt;
    return 100 * std::sqrt(harmonics / fundamental.rmsSquared);
}

} // namespace

Spectrum ComputeSpectrum(std::span<const double> volts, double sampleRate, WindowKind window)
{
    const int n = int(volts.size());
    const auto transform = SpectrumTransform::forLength(n);
    const WindowTable& w = transform->window(window);
    // Fresh buffers of this size cost more in page faults than the transform itself: each
    // thread keeps its last ones.
    thread_local std::unique_ptr<SpectrumTransform::Buffers> scratch;
    if (!scratch || int(scratch->input().size()) != n)
        scratch = std::make_unique<SpectrumTransform::Buffers>(*transform);
    SpectrumTransform::Buffers& buffers = *scratch;

    const double mean = std::accumulate(volts.begin(), volts.end(), 0.0) / n;
    std::span<double> input = buffers.input();
    for (std::size_t i = 0; i < volts.size(); ++i)
        input[i] = (volts[i] - mean) * w.values[i];
    transform->run(buffers);

    thread_local BinPowers bins;
    bins.size = n;
    bins.toneScale = 2 / (n * w.sumOfSquares);
    bins.power.resize(std::size_t(transform->bins()));

    Spectrum spectrum;
    spectrum.window = window;
    spectrum.sampleRate = sampleRate;
    spectrum.binWidth = sampleRate / n;
    spectrum.levels.resize(bins.power.size());
    // A sinusoid on bin k gives |X_k| = amplitude / 2 * sum(w): its RMS is sqrt(2) |X_k| / sum(w).
    const double amplitudeScale = 2 / (w.sum * w.sum);
    const std::span<const std::complex<double>> output = buffers.output();
    for (std::size_t k = 0; k < bins.power.size(); ++k) {
        // Not std::norm: libstdc++ takes it through hypot, several times slower.
        const double p = output[k].real() * output[k].real() + output[k].imag() * output[k].imag();
        bins.power[k] = p;
        spectrum.levels[k] = toDecibels(p * amplitudeScale);
    }

    const int halfWidth = MainLobeHalfWidth(window);
    const std::vector<Lobe> lobes = findPeaks(bins, halfWidth);
    for (const Lobe& lobe : lobes)
        spectrum.peaks.push_back({lobe.centre * spectrum.binWidth, toDecibels(lobe.rmsSquared)});
    if (!lobes.empty())
        spectrum.thdPercent = harmonicDistortion(bins, lobes.front(), halfWidth);
    return spectrum;
}

std::optional<Spectrum> ComputeChannelSpectrum(const WaveRecord& record, int channel, SampleWindow samples,
                                               WindowKind window)
{
    const std::optional<double> seconds = SampleSeconds(record);
    const int first = std::max(samples.first, 0);
    const int last = std::min(samples.last, WholeRecord(record).last);
    if (!seconds || last - first + 1 < kMinSpectrumSamples)
        return std::nullopt;
    const double voltsPerCount = record.voltsPerDiv(channel) / kCountsPerDiv;
    std::vector<double> volts(std::size_t(last - first + 1));
    for (int i = first; i <= last; ++i)
        volts[std::size_t(i - first)] = record.Samples(channel, i) * voltsPerCount;
    return ComputeSpectrum(volts, 1 / *seconds, window);
}
