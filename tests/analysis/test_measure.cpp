// The measurements on signals made here, against their closed forms: the levels exact
// where the samples are exact, frequency within 0.1 %, duty within 1 point, widths and
// edges within one sample, RMS within the half count that rounding to counts can move it.
#include "analysis/Measure.h"
#include "core/WaveRecord.h"

#include <QTest>


#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// Counts for levels, samples for times, cycles per sample for the frequency.
struct Expect {
    Measurement measurement;
    double value;       // NaN: not defined
    double tolerance;
};
using Expects = std::vector<Expect>;
using Signal = std::vector<int16_t>;

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// A trapezoid pulse of `period` samples: low, a linear rise of `edge` samples, high, a
// linear fall, so that it is above the middle for duty * period. Starts low.
Signal pulses(int periods, int period, double duty, int edge, int base, int top, int noise = 0)
{
    std::mt19937 random(7);
    const double high = duty * period - edge;   // plateau
    Signal s;
    for (int i = 0; i < periods * period + period / 4; ++i) {
        const double t = std::fmod(i + 0.0, period) - period / 4.0;   // rise starts a quarter in
        double fraction = 0;
        if (t >= 0 && t < edge)
            fraction = t / edge;
        else if (t >= edge && t < edge + high)
            fraction = 1;
        else if (t >= edge + high && t < 2 * edge + high)
            fraction = 1 - (t - edge - high) / edge;
        const int jitter = noise ? int(random() % (2 * noise + 1)) - noise : 0;
        s.push_back(int16_t(std::lround(base + (top - base) * fraction) + jitter));
    }
    return s;
}

// dc - amplitude * cos over `periods` whole periods: starts at its minimum.
Signal sine(int periods, int period, int dc, int amplitude)
{
    Signal s;
    for (int i = 0; i < periods * period; ++i)
        s.push_back(int16_t(dc - std::lround(amplitude * std::cos(2 * M_PI * i / period))));
    return s;
}

Signal triangle(int periods, int period, int peak)
{
    Signal s;
    for (int i = 0; i < periods * period; ++i) {
        const double phase = std::fmod(double(i), period) / period;
        s.push_back(int16_t(std::lround(peak * (phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase))));
    }
    return s;
}

// scales: V/DIV and time base set; first, last: the window, -1: the whole record.
struct MeasureCase { Signal signal; bool scales; int first, last; Expects expects; };

// from, to: NaN: not given; first, last: -1: refused.
struct WindowCase { double from, to; int first, last; };

} // namespace


class TestMeasure : public QObject {
    Q_OBJECT
private slots:
    void measure_data()
    {
        QTest::addColumn<MeasureCase>("c");
        using M = Measurement;
        const double riseOfSine = 2 * std::asin(0.8) / (2 * M_PI);   // of a period, 10 % to 90 %

        QTest::newRow("sine with DC")
            << MeasureCase{sine(10, 400, 20, 80), true, -1, -1,
                           {{M::Maximum, 100, 0}, {M::Minimum, -60, 0}, {M::PeakToPeak, 160, 0}, {M::Mean, 20, 1e-9},
                            {M::Rms, std::sqrt(20 * 20 + 80 * 80 / 2.0), 0.5}, {M::AcRms, 80 / std::sqrt(2), 0.5},
                            {M::Top, 100, 0}, {M::Base, -60, 0}, {M::Amplitude, 160, 0},
                            {M::Frequency, 1 / 400.0, 1e-3 / 400}, {M::Period, 400, 0.4}, {M::Periods, 9, 0},
                            {M::PositiveWidth, 200, 1}, {M::NegativeWidth, 200, 1}, {M::DutyCycle, 50, 1},
                            {M::RiseTime, riseOfSine * 400, 1}, {M::FallTime, riseOfSine * 400, 1}}};
        const Expects pulse30{{M::Maximum, 70, 0}, {M::Minimum, -50, 0}, {M::Top, 70, 0}, {M::Base, -50, 0},
                              {M::Amplitude, 120, 0}, {M::Mean, -50 + 120 * 0.3, 0.05},
                              {M::Frequency, 1 / 500.0, 1e-3 / 500}, {M::Periods, 10, 0},
                              {M::PositiveWidth, 150, 1}, {M::NegativeWidth, 350, 1}, {M::DutyCycle, 30, 1},
                              {M::RiseTime, 16, 1}, {M::FallTime, 16, 1}};
        QTest::newRow("pulses, 30 % duty, sloped edges")
            << MeasureCase{pulses(11, 500, 0.3, 20, -50, 70), true, 0, 5500, pulse30};
        QTest::newRow("pulses with noise of 3 counts")
            << MeasureCase{pulses(11, 500, 0.7, 20, -50, 70, 3), true, -1, -1,
                           {{M::Top, 70, 3}, {M::Base, -50, 3}, {M::Frequency, 1 / 500.0, 1e-3 / 500},
                            {M::Periods, 10, 0}, {M::DutyCycle, 70, 1}}};
        QTest::newRow("pulses without V/DIV and time base")
            << MeasureCase{pulses(11, 500, 0.3, 20, -50, 70), false, -1, -1,
                           {{M::Maximum, kUndefined, 0}, {M::Mean, kUndefined, 0}, {M::Top, kUndefined, 0},
                            {M::Frequency, kUndefined, 0}, {M::PositiveWidth, kUndefined, 0}, {M::RiseTime, kUndefined, 0},
                            {M::Periods, 10, 0}, {M::DutyCycle, 30, 1}}};
        QTest::newRow("triangle")
            << MeasureCase{triangle(10, 480, 60), true, -1, -1,
                           {{M::Top, 60, 0}, {M::Base, -60, 0}, {M::Mean, 0, 0.05}, {M::AcRms, 60 / std::sqrt(3), 0.5},
                            {M::Frequency, 1 / 480.0, 1e-3 / 480}, {M::Periods, 9, 0}, {M::DutyCycle, 50, 1},
                            {M::RiseTime, 0.8 * 240, 1}, {M::FallTime, 0.8 * 240, 1}}};
        std::mt19937 random(3);
        Signal noise(100000);
        for (int16_t& value : noise)
            value = int16_t(int(random() % 81) - 40);
        // Integers -40..40: variance 40 * 41 / 3; the estimate from 1e5 samples is within 1 %.
        QTest::newRow("noise")
            << MeasureCase{noise, true, -1, -1,
                           {{M::Maximum, 40, 0}, {M::Minimum, -40, 0}, {M::Top, 40, 0}, {M::Base, -40, 0},
                            {M::Mean, 0, 0.3}, {M::AcRms, std::sqrt(40 * 41 / 3.0), 0.2}}};
        // The rising half of a sine: one complete rising edge, no period, no fall.
        Signal half;
        for (int i = 0; i <= 1000; ++i)
            half.push_back(int16_t(std::lround(-90 * std::cos(M_PI * i / 1000))));
        QTest::newRow("part of a period")
            << MeasureCase{half, true, -1, -1,
                           {{M::Top, 90, 0}, {M::Base, -90, 0}, {M::RiseTime, riseOfSine * 2000, 1},
                            {M::FallTime, kUndefined, 0}, {M::Frequency, kUndefined, 0}, {M::Period, kUndefined, 0},
                            {M::Periods, kUndefined, 0}, {M::PositiveWidth, kUndefined, 0},
                            {M::NegativeWidth, kUndefined, 0}, {M::DutyCycle, kUndefined, 0}}};
        const Expects flat{{M::Maximum, 17, 0}, {M::Minimum, 17, 0}, {M::PeakToPeak, 0, 0}, {M::Mean, 17, 0},
                           {M::Rms, 17, 1e-9}, {M::AcRms, 0, 0}, {M::Top, 17, 0}, {M::Base, 17, 0},
                           {M::Amplitude, 0, 0}, {M::Frequency, kUndefined, 0}, {M::Period, kUndefined, 0},
                           {M::Periods, kUndefined, 0}, {M::DutyCycle, kUndefined, 0}, {M::RiseTime, kUndefined, 0},
                           {M::FallTime, kUndefined, 0}};
        QTest::newRow("flat") << MeasureCase{Signal(5120, 17), true, -1, -1, flat};
        // The window picks the flat tail out of a record that pulses before it.
        Signal pulsesThenFlat = pulses(4, 500, 0.3, 20, -50, 70);
        const int tail = int(pulsesThenFlat.size());
        pulsesThenFlat.resize(pulsesThenFlat.size() + 1000, 17);
        QTest::newRow("window on the flat tail") << MeasureCase{pulsesThenFlat, true, tail, tail + 999, flat};
        QTest::newRow("window past the record's end") << MeasureCase{pulsesThenFlat, true, tail + 500, 200000, flat};
    }
    void measure()
    {
        QFETCH(MeasureCase, c);
        auto& [signal, scales, first, last, expects] = c;
        WaveRecord record;
        record.LastIndex = int(signal.size()) - 1;
        for (int i = 0; i <= record.LastIndex; ++i)
            record.Samples(2, i) = signal[std::size_t(i)];
        record.Ch2VoltsPerDiv = scales ? 0.5f : 0;
        record.SecondsPerSample = scales ? 2e-7f : 0;
        record.Ch2Offset = 40;   // shifts the trace on screen, not the values
        const ChannelMeasurements m =
            MeasureChannel(record, 2, first < 0 ? WholeRecord(record) : SampleWindow{first, last});

        const double volts = 0.5 / 25;
        const double seconds = double(2e-7f);
        for (const Expect& e : expects) {
            const std::string_view unit = kMeasurements[std::size_t(e.measurement)].unit;
            const double scale = unit == "V" ? volts : unit == "s" ? seconds : unit == "Hz" ? 1 / seconds : 1;
            const std::optional<double> value = m[e.measurement];
            const QByteArray what = QByteArray(kMeasurements[std::size_t(e.measurement)].key.data()) + " = " +
                                    (value ? QByteArray::number(*value / scale) : QByteArray("none"));
            QVERIFY2(value.has_value() == !std::isnan(e.value), what);
            if (value)
                QVERIFY2(std::abs(*value - e.value * scale) <= e.tolerance * scale + 1e-12 * std::abs(e.value * scale), what);
        }
    }

    // --from and --to in seconds from the first sample, on 1000 samples 1 us apart.
    void timeWindow_data()
    {
        QTest::addColumn<WindowCase>("c");
        QTest::newRow("whole") << WindowCase{kUndefined, kUndefined, 0, 999};
        QTest::newRow("from and to on samples") << WindowCase{250e-6, 500e-6, 250, 500};
        QTest::newRow("between samples") << WindowCase{0.5e-6, 998.5e-6, 1, 998};
        QTest::newRow("last sample") << WindowCase{999e-6, kUndefined, 999, 999};
        QTest::newRow("one point") << WindowCase{10e-6, 10e-6, 10, 10};
        QTest::newRow("before the first") << WindowCase{-1e-6, kUndefined, -1, -1};
        QTest::newRow("after the last") << WindowCase{kUndefined, 1000e-6, -1, -1};
        QTest::newRow("reversed") << WindowCase{600e-6, 500e-6, -1, -1};
        QTest::newRow("no sample between") << WindowCase{500.2e-6, 500.8e-6, -1, -1};
    }
    void timeWindow()
    {
        QFETCH(WindowCase, c);
        auto& [from, to, first, last] = c;
        WaveRecord record;
        record.LastIndex = 999;
        record.SecondsPerSample = 1e-6f;
        const auto given = [](double t) { return std::isnan(t) ? std::nullopt : std::optional(t); };
        const std::optional<SampleWindow> window = WindowBetweenTimes(record, given(from), given(to));
        QCOMPARE(window.has_value(), first >= 0);
        if (window)
            QCOMPARE(*window, (SampleWindow{first, last}));
        // Without a time base only the whole record can be meant.
        record.SecondsPerSample = 0;
        QCOMPARE(WindowBetweenTimes(record, given(from), given(to)).has_value(), std::isnan(from) && std::isnan(to));
    }
};

QTEST_GUILESS_MAIN(TestMeasure)
#include "test_measure.moc"
