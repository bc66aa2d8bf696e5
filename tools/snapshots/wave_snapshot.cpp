// Writes a picture of the wave display (docs/wave-view.png): a sine/square record with
// grid, baselines and a cursor measurement under way. Usage: wave_snapshot OUT.png
// (run with QT_QPA_PLATFORM=offscreen where there is no display).

#include "document/WaveDocument.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/WavePainter.h"
#include "core/WaveRecord.h"
#include "wave/widgets/WaveWindow.h"

#include "support/SampleWaves.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: wave_snapshot OUT.png\n");
        return 2;
    }
    auto record = std::make_unique<WaveRecord>();
    FillSineSquare(*record, 5119);
    record->SecondsPerDiv = 1e-4f;
    record->Ch1VoltsPerDiv = 0.5f;
    record->Ch2VoltsPerDiv = 2;
    record->Ch1Offset = 25;
    record->Ch2Offset = -50;

    WaveDocument document;
    WaveDisplay display(document);
    display.setColors({12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631});
    document.applyFile(*record);
    document.setFlag(WaveDocument::Flag::Grid, 1);
    document.setFlag(WaveDocument::Flag::Base, 1);
    display.show();
    if (!QTest::qWaitForWindowExposed(&display))
        return 1;

    WaveWindow* window = display.waveWindow();
    const PixelMap map(window->scale(), window->image().size());
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(map.x(1024), map.y(115)));
    QTest::mouseMove(window, QPoint(map.x(2048), map.y(-65)));
    return display.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
