#include "wave/WavePainter.h"
#include "wave/WaveReferencePainter.h"
#include "wave/WaveRecord.h"

#include "wave/SampleWaves.h"

#include <QTest>

namespace {

const ColorSlots kColors{12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631};

int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

int pixelsOf(const QImage& image, int32_t bgr)
{
    const QRgb rgb = SlotColor(bgr).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == rgb;
    return count;
}

} // namespace

class TestWavePaint : public QObject {
    Q_OBJECT
private slots:
    // The fast painter must give exactly the picture of one call per sample.
    void sameAsOneCallPerSample_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("lastIndex");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("line");
        QTest::addColumn<QSize>("size");
        const QSize nominal(505, 245);
        const QSize large(1500, 700);
        for (int line : {1, 0}) {
            const char* mode = line ? "lines" : "dots";
            QTest::addRow("normal full %s", mode) << "sine" << 5119 << 0.0 << 5119.0 << line << nominal;
            QTest::addRow("normal full large %s", mode) << "sine" << 5119 << 0.0 << 5119.0 << line << large;
            QTest::addRow("normal zoomed %s", mode) << "sine" << 5119 << 1000.0 << 20.0 << line << nominal;
            QTest::addRow("normal about a pixel a sample %s", mode) << "sine" << 5119 << 63.0 << 600.0 << line << nominal;
            QTest::addRow("long full %s", mode) << "sine" << 102399 << 0.0 << 102399.0 << line << nominal;
            QTest::addRow("long full large %s", mode) << "sine" << 102399 << 0.0 << 102399.0 << line << large;
            QTest::addRow("long zoomed %s", mode) << "sine" << 102399 << 50000.0 << 2000.0 << line << nominal;
            QTest::addRow("noise full %s", mode) << "noise" << 102399 << 0.0 << 102399.0 << line << nominal;
            QTest::addRow("noise zoomed %s", mode) << "noise" << 5119 << 10.0 << 40.0 << line << nominal;
            QTest::addRow("off screen %s", mode) << "offset" << 5119 << 0.0 << 5119.0 << line << nominal;
            QTest::addRow("tiny window %s", mode) << "noise" << 5119 << 0.0 << 5119.0 << line << QSize(37, 23);
        }
    }
    void sameAsOneCallPerSample()
    {
        QFETCH(QString, kind);
        QFETCH(int, lastIndex);
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, line);
        QFETCH(QSize, size);
        WaveRecord record;
        if (kind == "noise")
            FillNoise(record, lastIndex);
        else
            FillSineSquare(record, lastIndex);
        if (kind == "offset") {
            // Channel 1 partly and channel 2 wholly beyond the edges.
            record.Ch1Offset = 90.5f;
            record.Ch2Offset = -400;
        }
        SetTimeBase(record);
        const auto scene = ComputeWaveScene(record, {left, width}, DisplayFlags{1, 1, 1, 1, line});
        QVERIFY(scene);

        QImage fast(size, QImage::Format_RGB32);
        QImage reference(size, QImage::Format_RGB32);
        PaintWaveScene(fast, *scene, kColors);
        PaintWaveSceneReference(reference, *scene, kColors);
        QCOMPARE(differingPixels(fast, reference), 0);
        QVERIFY(pixelsOf(fast, kColors[kCh1TraceColor]) > 0);
    }

    // Channel 2 is drawn last: where both traces meet, channel 2 shows.
    void channel2LiesOnTop()
    {
        WaveRecord record;
        FillSineSquare(record, 5119);
        for (int i = 0; i <= 5119; ++i)
            record.Samples(2, i) = record.Samples(1, i);
        SetTimeBase(record);
        for (int line : {0, 1}) {
            const auto scene = ComputeWaveScene(record, {0, 5119}, DisplayFlags{1, 1, 1, 1, line});
            QImage image(505, 245, QImage::Format_RGB32);
            PaintWaveScene(image, *scene, kColors);
            QCOMPARE(pixelsOf(image, kColors[kCh1TraceColor]), 0);
            QVERIFY(pixelsOf(image, kColors[kCh2TraceColor]) > 500);
        }
    }
};

QTEST_GUILESS_MAIN(TestWavePaint)
#include "test_wave_paint.moc"
