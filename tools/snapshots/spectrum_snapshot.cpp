// Writes a picture of the spectrum window (docs/spectrum.png): a long record of a slightly
// distorted sine on channel 1 and a square on channel 2, hann window, logarithmic axis on
// request, the pointer on channel 1's fundamental. Usage: spectrum_snapshot OUT.png [log]
// (run under Xvfb with Japanese fonts, or with QT_QPA_PLATFORM=offscreen).

#include "analysis/SpectrumScale.h"
#include "analysis/widgets/SpectrumPlot.h"
#include "analysis/widgets/SpectrumView.h"
#include "core/EnvSettings.h"
#include "core/WaveRecord.h"
#include "document/WaveDocument.h"
#include "wave/widgets/WaveDisplay.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: spectrum_snapshot OUT.png [log]\n");
        return 2;
    }
    // 5 ms/DIV on a long record: 2 MHz sampling; a 12.5 kHz sine with a little of its
    // second and third harmonics, a 5 kHz square.
    auto record = std::make_unique<WaveRecord>();
    record->LastIndex = 102399;
    record->SecondsPerDiv = 5e-3f;
    record->Ch1VoltsPerDiv = 0.5f;
    record->Ch2VoltsPerDiv = 2;
    std::mt19937 noise(3);
    for (int i = 0; i <= record->LastIndex; ++i) {
        const double phase = 2 * M_PI * 12500 * i / 2e6;
        const double ch1 = 100 * std::sin(phase) + 3 * std::sin(2 * phase) + 1.5 * std::sin(3 * phase);
        record->Samples(1, i) = int16_t(std::lround(ch1 + std::normal_distribution<>(0, 0.6)(noise)));
        record->Samples(2, i) = int16_t(std::fmod(5000.0 * i / 2e6, 1.0) < 0.5 ? 60 : -60);
    }
    WaveDocument document;
    WaveDisplay display(document);
    display.setColors(EnvSettings{}.Color);   // the program's default colours
    SpectrumView view(document, display, QString(), nullptr);
    document.applyFile(*record);
    if (argc > 2)
        view.findChild<QComboBox*>(QStringLiteral("SpectrumAxisChooser"))->setCurrentIndex(1);
    view.resize(980, 640);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return 1;
    QTest::qWait(200);
    auto* plot = view.findChild<SpectrumPlot*>(QStringLiteral("SpectrumPlot_1"));
    // The pointer on the fundamental; the plot's area starts 52 px in and ends 12 px before its right.
    const FrequencyScale scale(argc > 2 ? FrequencyAxis::Logarithmic : FrequencyAxis::Linear, 19.53125, 1e6,
                               plot->width() - 64);
    QTest::mouseMove(plot, QPoint(plot->width() / 2, plot->height() / 2));
    QTest::mouseMove(plot, QPoint(52 + int(std::lround(scale.toX(12500))), plot->height() / 3));
    QTest::qWait(100);
    return view.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
