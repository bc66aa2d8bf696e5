#include "wave/WavePainter.h"

#include <QLine>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <vector>

QColor SlotColor(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QPen WavePen(int32_t bgr)
{
    QPen pen(SlotColor(bgr), 1);
    pen.setCapStyle(Qt::SquareCap);   // a cosmetic line then covers both its end pixels
    return pen;
}

void PaintSceneBase(QImage& image, const WaveScene& scene, const ColorSlots& colors)
{
    image.fill(SlotColor(colors[kBackgroundColor]));
    if (scene.lines.empty())
        return;
    const PixelMap map(scene.scale, image.size());
    QPainter painter(&image);
    for (const SceneLine& line : scene.lines) {
        painter.setPen(WavePen(colors[std::size_t(line.color)]));
        painter.drawLine(QPoint(map.x(line.x1), map.y(line.y1)), QPoint(map.x(line.x2), map.y(line.y2)));
    }
}

namespace {

// Direct access to the pixels of an RGB32 image, clipped to the image.
class Pixels {
public:
    explicit Pixels(QImage& image)
        : m_bits(image.bits()), m_stride(image.bytesPerLine()), m_width(image.width()),
          m_height(image.height())
    {
    }

    void set(int x, int y, QRgb rgb)
    {
        if (x >= 0 && x < m_width && y >= 0 && y < m_height)
            row(y)[x] = rgb;
    }

    // The column x from row top to row bottom, both included.
    void span(int x, int top, int bottom, QRgb rgb)
    {
        if (x < 0 || x >= m_width)
            return;
        top = std::max(top, 0);
        bottom = std::min(bottom, m_height - 1);
        for (int y = top; y <= bottom; ++y)
            row(y)[x] = rgb;
    }

private:
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(m_bits + qsizetype(y) * m_stride); }

    uchar* m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
};

void paintDots(QImage& image, const PixelMap& map, const SceneTrace& trace, QRgb rgb)
{
    Pixels pixels(image);
    for (std::size_t k = 0; k < trace.values.size(); ++k)
        pixels.set(map.x(double(trace.firstIndex) + double(k)),
                   map.y(float(trace.values[k]) + trace.offset), rgb);
}

// A polyline whose segments inside one pixel column together cover exactly the span
// from their lowest to their highest pixel (every segment covers both its ends). The
// spans are written straight into the image; the segments that join one column to the
// next are handed to the rasteriser in one call, so they come out as drawLine draws them.
void paintPolyline(QImage& image, const PixelMap& map, const SceneTrace& trace, int32_t bgr)
{
    if (trace.values.empty())
        return;
    const QRgb rgb = SlotColor(bgr).rgb();
    std::vector<QLine> joins;
    Pixels pixels(image);

    int columnX = map.x(trace.firstIndex);
    int prevY = map.y(float(trace.values[0]) + trace.offset);
    int top = prevY;
    int bottom = prevY;
    for (std::size_t k = 1; k < trace.values.size(); ++k) {
        const int x = map.x(double(trace.firstIndex) + double(k));
        const int y = map.y(float(trace.values[k]) + trace.offset);
        if (x == columnX) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        } else {
            pixels.span(columnX, top, bottom, rgb);
            joins.emplace_back(columnX, prevY, x, y);
            columnX = x;
            top = bottom = y;
        }
        prevY = y;
    }
    pixels.span(columnX, top, bottom, rgb);

    if (!joins.empty()) {
        QPainter painter(&image);
        painter.setPen(WavePen(bgr));
        painter.drawLines(joins.data(), int(joins.size()));
    }
}

} // namespace

void PaintWaveScene(QImage& image, const WaveScene& scene, const ColorSlots& colors)
{
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    PaintSceneBase(image, scene, colors);
    const PixelMap map(scene.scale, image.size());
    for (const SceneTrace& trace : scene.traces) {
        const int32_t bgr = colors[std::size_t(trace.color)];
        if (trace.connected)
            paintPolyline(image, map, trace, bgr);
        else
            paintDots(image, map, trace, SlotColor(bgr).rgb());
    }
}
