#include "wave/WavePainter.h"
#include "wave/WaveReferencePainter.h"
#include "core/WaveRecord.h"

#include "support/PixelCount.h"
#include "support/SampleWaves.h"

#include <QTest>

namespace {

const ColorSlots kColors{12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631};

struct PaintCase {
    const char* kind;
    int lastIndex;
    WaveScale view;
    QSize size;
};

} // namespace


class TestWavePaint : public QObject {
    Q_OBJECT
private slots:
    // The fast painter must give exactly the picture of one call per sample: sparse views
    // (joins only), about a sample a pixel, dense views (column spans), traces beyond the
    // edges and a window smaller than the grid.
    void sameAsOneCallPerSample_data()
    {
        QTest::addColumn<PaintCase>("c");
        QTest::addColumn<int>("line");
        const QSize nominal(505, 245);
        for (int line : {1, 0}) {
            const char* mode = line ? "lines" : "dots";
            const auto row = [&](const char* name, PaintCase c) { QTest::addRow("%s %s", name, mode) << c << line; };
            row("normal full", {"sine", 5119, {0, 5119}, nominal});
            row("normal zoomed", {"sine", 5119, {1000, 20}, nominal});
            row("normal about a pixel a sample", {"sine", 5119, {63, 600}, nominal});
            row("normal about two pixels a sample", {"noise", 5119, {1000, 250}, nominal});
            row("noise full", {"noise", 102399, {0, 102399}, nominal});
            row("off screen", {"offset", 5119, {0, 5119}, nominal});
            row("tiny window", {"noise", 5119, {0, 5119}, {37, 23}});
            row("channel 2 on top", {"same", 5119, {0, 5119}, nominal});
        }
    }
    void sameAsOneCallPerSample()
    {
        QFETCH(PaintCase, c);
        QFETCH(int, line);
        const QByteArray kind(c.kind);
        WaveRecord record;
        if (kind == "noise")
            FillNoise(record, c.lastIndex);
        else
            FillSineSquare(record, c.lastIndex);
        if (kind == "offset") {
            // Channel 1 partly and channel 2 wholly beyond the edges.
            record.Ch1Offset = 90.5f;
            record.Ch2Offset = -400;
        }
        for (int i = 0; kind == "same" && i <= c.lastIndex; ++i)
            record.Samples(2, i) = record.Samples(1, i);
        SetTimeBase(record);
        const auto scene = ComputeWaveScene(record, c.view, DisplayFlags{1, 1, 1, 1, line});
        QImage fast(c.size, QImage::Format_RGB32);
        QImage reference(c.size, QImage::Format_RGB32);
        PaintWaveScene(fast, *scene, kColors);
        PaintWaveSceneReference(reference, *scene, kColors);
        QCOMPARE(fast, reference);
        // Where both traces meet, channel 2 shows.
        QCOMPARE(pixelsOf(fast, kColors[kCh1TraceColor]) > 0, kind != "same");
    }
};

QTEST_GUILESS_MAIN(TestWavePaint)
#include "test_wave_paint.moc"
