#include "analysis/Spectrum.h"

#include <QTest>
#include <cmath>
#include <numbers>

namespace {

struct Tone {
    double bin;         // frequency in bins of the record, may lie between bins
    double amplitude;   // volts peak
};

// n samples of the tones (and a DC level the spectrum must ignore) at 1 Hz a bin.
std::vector<double> tones(int n, const std::vector<Tone>& parts, double dc = 0.7)
{
    std::vector<double> volts(std::size_t(n), dc);
    for (std::size_t t = 0; t < parts.size(); ++t) {
        for (int i = 0; i < n; ++i)
            volts[std::size_t(i)] += parts[t].amplitude * std::sin(2 * std::numbers::pi * parts[t].bin * i / n + 0.3 * t + 0.2);
    }
    return volts;
}

// The level of a sinusoid's RMS value: A / sqrt(2) in dBV.
double sineLevel(double amplitude)
{
    return 20 * std::log10(amplitude / std::sqrt(2.0));
}

WindowKind window(const QString& name)
{
    return *WindowFromName(name.toStdString());
}

struct ToneCase { QString window; double bin, amplitude, tolerance; };

// harmonics: amplitudes of harmonics 2, 3, ... (fundamental 1 V); thd: percent; below 0: none.
struct DistortionCase { QString window; double bin; QList<double> harmonics; double thd; };

} // namespace

class TestSpectrum : public QObject {
    Q_OBJECT
private slots:
    // One tone on a bin or between bins: the fundamental's level from its main lobe within
    // the window's scalloping loss (flat-top 0.1 dB), on a bin exactly, also the bin's own level.
    void tone_data()
    {
        QTest::addColumn<ToneCase>("c");
        const struct {
            const char* name;
            double scallopingLoss;   // dB, half a bin off
        } windows[] = {{"rectangular", 3.92}, {"hann", 1.42}, {"hamming", 1.75}, {"blackman-harris", 0.83},
                       {"flat-top", 0.1}};
        for (const auto& w : windows) {
            QTest::addRow("%s on bin", w.name) << ToneCase{w.name, 100.0, 1.0, 0.01};
            QTest::addRow("%s quarter bin", w.name) << ToneCase{w.name, 100.25, 0.2, w.scallopingLoss};
            QTest::addRow("%s half bin", w.name) << ToneCase{w.name, 737.5, 3.0, w.scallopingLoss};
        }
    }
    void tone()
    {
        QFETCH(ToneCase, c);
        auto& [window, bin, amplitude, tolerance] = c;
        const int n = 4096;
        const Spectrum s = ComputeSpectrum(tones(n, {{bin, amplitude}}), 2.0 * n, ::window(window));
        QCOMPARE(s.binWidth, 2.0);
        QCOMPARE(int(s.levels.size()), n / 2 + 1);
        QVERIFY(!s.peaks.empty());
        const SpectrumPeak fundamental = s.peaks.front();
        QVERIFY2(std::abs(fundamental.level - sineLevel(amplitude)) <= tolerance, qPrintable(QString::number(fundamental.level)));
        QVERIFY2(std::abs(fundamental.frequency / s.binWidth - bin) <= 0.25, qPrintable(QString::number(fundamental.frequency)));
        if (bin == std::floor(bin))
            QVERIFY(std::abs(s.levels[std::size_t(bin)] - sineLevel(amplitude)) <= 0.01);
    }

    // Harmonics of chosen amplitudes, between bins: THD within 1 point of
    // sqrt(sum of the harmonics' squares) / fundamental.
    void distortion_data()
    {
        QTest::addColumn<DistortionCase>("c");
        const QList<double> some{0.05, 0.02, 0, 0.01, 0, 0.005};
        const double someThd = 100 * std::sqrt(0.05 * 0.05 + 0.02 * 0.02 + 0.01 * 0.01 + 0.005 * 0.005);
        for (const char* w : {"rectangular", "hann", "hamming", "blackman-harris", "flat-top"})
            QTest::addRow("%s", w) << DistortionCase{w, 61.37, some, someThd};
        QTest::newRow("ninth and tenth") << DistortionCase{"hann", 200.43, QList<double>{0, 0, 0, 0, 0, 0, 0, 0.03, 0.04}, 5.0};
        QTest::newRow("pure sine") << DistortionCase{"hann", 300.21, QList<double>{}, 0.0};
        // 2 and 3 times 585.15 bins lie below Nyquist (2048 bins), 4 times above.
        QTest::newRow("only two below nyquist") << DistortionCase{"hann", 585.15, QList<double>{0.1, 0.1}, 100 * std::sqrt(0.02)};
        QTest::newRow("fundamental beside DC") << DistortionCase{"hann", 3.4, QList<double>{0.1}, -1.0};
        QTest::newRow("no harmonic below nyquist") << DistortionCase{"hann", 1500.2, QList<double>{}, -1.0};
    }
    void distortion()
    {
        QFETCH(DistortionCase, c);
        auto& [window, bin, harmonics, thd] = c;
        const int n = 4096;
        std::vector<Tone> parts{{bin, 1.0}};
        for (int h = 0; h < harmonics.size(); ++h)
            parts.push_back({bin * (h + 2), harmonics[h]});
        const Spectrum s = ComputeSpectrum(tones(n, parts), n, ::window(window));
        QVERIFY(std::abs(s.peaks.front().frequency - bin) <= 0.25);
        QCOMPARE(s.thdPercent.has_value(), thd >= 0);
        if (thd >= 0)
            QVERIFY2(std::abs(*s.thdPercent - thd) <= 1, qPrintable(QString::number(*s.thdPercent)));
    }

    // Twelve tones falling 3 dB each, 40 bins apart, and a small one inside the largest one's
    // main lobe: the ten largest, largest first, the small one not among them.
    void peaks_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* w : {"rectangular", "hann", "hamming", "blackman-harris", "flat-top"})
            QTest::addRow("%s", w) << w;
    }
    void peaks()
    {
        QFETCH(QString, window);
        const WindowKind kind = ::window(window);
        std::vector<Tone> parts;
        for (int t = 0; t < 12; ++t)
            parts.push_back({100.3 + 40 * ((t * 5) % 12), std::pow(10, -3.0 * t / 20)});
        parts.push_back({parts[0].bin + 2 * MainLobeHalfWidth(kind) - 1, 0.3});
        const Spectrum s = ComputeSpectrum(tones(4096, parts), 4096, kind);
        QCOMPARE(int(s.peaks.size()), kMaxPeaks);
        for (int t = 0; t < kMaxPeaks; ++t)
            QVERIFY2(std::abs(s.peaks[std::size_t(t)].frequency - parts[std::size_t(t)].bin) <= 0.25, qPrintable(QString::number(t)));
    }

    void flatSignalHasNoPeaks()
    {
        const Spectrum s = ComputeSpectrum(std::vector<double>(1000, 0.25), 1e6, kDefaultWindow);
        QVERIFY(s.peaks.empty());
        QVERIFY(!s.thdPercent);
        QCOMPARE(*std::max_element(s.levels.begin(), s.levels.end()), kLevelFloor);
    }
};

QTEST_GUILESS_MAIN(TestSpectrum)
#include "test_spectrum.moc"
