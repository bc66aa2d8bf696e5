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

// The pixel row of every value a trace holds: value + offset mapped exactly as for a
// single point, looked up instead of computed once per sample.
class RowTable {
public:
    RowTable(const PixelMap& map, const SceneTrace& trace)
    {
        const auto [low, high] = std::minmax_element(trace.values.begin(), trace.values.end());
        m_lowest = *low;
        m_rows.resize(std::size_t(*high - *low + 1));
        for (std::size_t v = 0; v < m_rows.size(); ++v)
            m_rows[v] = map.y(float(m_lowest + int(v)) + trace.offset);
    }

    int operator()(int16_t value) const { return m_rows[std::size_t(value - m_lowest)]; }

private:
    int m_lowest;
    std::vector<int> m_rows;
};

// Calls f(column, a, b) for each run of samples a..b that fall into one pixel column, in
// order. Columns never decrease with the sample index, so each run's end is found by
// galloping and bisection over the same mapping a single point uses.
template <typename F>
void forEachColumn(const PixelMap& map, const SceneTrace& trace, F f)
{
    const std::size_t n = trace.values.size();
    const auto column = [&](std::size_t k) { return map.x(double(trace.firstIndex) + double(k)); };
    for (std::size_t a = 0; a < n;) {
        const int x = column(a);
        std::size_t lo = a;   // column(lo) == x
        std::size_t hi = a + 1;
        for (std::size_t step = 1; hi < n && column(hi) == x; step *= 2) {
            lo = hi;
            hi = std::min(lo + step, n);
        }
        while (hi - lo > 1) {   // column(hi) > x, or hi == n
            const std::size_t mid = lo + (hi - lo) / 2;
            (column(mid) == x ? lo : hi) = mid;
        }
        f(x, a, lo);
        a = lo + 1;
    }
}

// Calls dot(x, y) for each sample's pixel, in sample order.
template <typename Dot>
void forEachDot(const PixelMap& map, const SceneTrace& trace, Dot dot)
{
    if (trace.values.empty())
        return;
    const RowTable row(map, trace);
    forEachColumn(map, trace, [&](int x, std::size_t a, std::size_t b) {
        for (std::size_t k = a; k <= b; ++k)
            dot(x, row(trace.values[k]));
    });
}

void paintDots(QImage& image, const PixelMap& map, const SceneTrace& trace, QRgb rgb)
{
    Pixels pixels(image);
    forEachDot(map, trace, [&](int x, int y) { pixels.set(x, y, rgb); });
}

// A polyline whose segments inside one pixel column together cover exactly the span
// from their lowest to their highest pixel (every segment covers both its ends): calls
// span(x, top, bottom) for each column and returns the segments that join one column to
// the next. A join between neighbouring columns stays inside its end points' box; when
// both spans already cover that box (dense, noisy views) it adds nothing and is left out.
template <typename Span>
std::vector<QLine> outlinePolyline(const PixelMap& map, const SceneTrace& trace, Span span)
{
    std::vector<QLine> joins;
    if (trace.values.empty())
        return joins;
    const RowTable row(map, trace);
    const std::vector<int16_t>& values = trace.values;
    int previousX = 0;
    int previousTop = 0;
    int previousBottom = 0;
    forEachColumn(map, trace, [&](int x, std::size_t a, std::size_t b) {
        int16_t low = values[a];
        int16_t high = values[a];
        for (std::size_t k = a + 1; k <= b; ++k) {
            low = std::min(low, values[k]);
            high = std::max(high, values[k]);
        }
        // Rows grow downwards: the highest value is the top of the span.
        const int top = row(high);
        const int bottom = row(low);
        span(x, top, bottom);
        if (a > 0) {
            const QLine join(previousX, row(values[a - 1]), x, row(values[a]));
            const int joinTop = std::min(join.y1(), join.y2());
            const int joinBottom = std::max(join.y1(), join.y2());
            const bool covered = x - previousX == 1 && previousTop <= joinTop && previousBottom >= joinBottom
                && top <= joinTop && bottom >= joinBottom;
            if (!covered)
                joins.push_back(join);
        }
        previousX = x;
        previousTop = top;
        previousBottom = bottom;
    });
    return joins;
}

// The spans are written straight into the image; the joins are handed to the rasteriser
// in one call, so they come out as drawLine draws them.
void paintPolyline(QImage& image, const PixelMap& map, const SceneTrace& trace, int32_t bgr)
{
    const QRgb rgb = SlotColor(bgr).rgb();
    Pixels pixels(image);
    const std::vector<QLine> joins =
        outlinePolyline(map, trace, [&](int x, int top, int bottom) { pixels.span(x, top, bottom, rgb); });
    if (!joins.empty()) {
        QPainter painter(&image);
        painter.setPen(WavePen(bgr));
        painter.drawLines(joins.data(), int(joins.size()));
    }
}

void paintTrace(QImage& image, const PixelMap& map, const SceneTrace& trace, int32_t bgr)
{
    if (trace.connected)
        paintPolyline(image, map, trace, bgr);
    else
        paintDots(image, map, trace, SlotColor(bgr).rgb());
}

// A small diagonal cross, five pixels across, on each mark: seen on a dense trace too.
// Marks on one pixel are drawn once.
void paintMarks(QImage& image, const PixelMap& map, const WaveOverlay& overlay)
{
    if (overlay.marks.empty())
        return;
    const QRgb rgb = SlotColor(overlay.markBgr).rgb();
    Pixels pixels(image);
    std::vector<bool> marked(std::size_t(image.width()) * std::size_t(image.height()));
    for (const OverlayMark& mark : overlay.marks) {
        const int x = map.x(mark.index);
        const int y = map.y(mark.counts);
        if (x >= 0 && x < image.width() && y >= 0 && y < image.height()) {
            const std::size_t at = std::size_t(y) * std::size_t(image.width()) + std::size_t(x);
            if (marked[at])
                continue;
            marked[at] = true;
        }
        for (int d = -2; d <= 2; ++d) {
            pixels.set(x + d, y + d, rgb);
            pixels.set(x + d, y - d, rgb);
        }
    }
}

// A pixel of the raster picture as a square of one unit on a vector device: lines join
// pixel centres and their square caps cover the end pixels, as on the image.
QLineF unitLine(int x1, int y1, int x2, int y2)
{
    return {x1 + 0.5, y1 + 0.5, x2 + 0.5, y2 + 0.5};
}

} // namespace

void PaintWaveScene(QImage& image, const WaveScene& scene, const ColorSlots& colors)
{
    PaintWaveScene(image, scene, colors, WaveOverlay{});
}

void PaintWaveScene(QImage& image, const WaveScene& scene, const ColorSlots& colors, const WaveOverlay& overlay)
{
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    PaintSceneBase(image, scene, colors);
    const PixelMap map(scene.scale, image.size());
    for (const OverlayTrace& under : overlay.under)
        paintTrace(image, map, under.trace, under.bgr);
    for (const SceneTrace& trace : scene.traces)
        paintTrace(image, map, trace, colors[std::size_t(trace.color)]);
    paintMarks(image, map, overlay);
}

void PaintWaveSceneVector(QPainter& painter, QSize size, const WaveScene& scene, const ColorSlots& colors)
{
    painter.fillRect(QRect(QPoint(0, 0), size), SlotColor(colors[kBackgroundColor]));
    const PixelMap map(scene.scale, size);
    const auto drawUnitLines = [&](const std::vector<QLineF>& lines, int32_t bgr) {
        QPen pen = WavePen(bgr);
        pen.setCosmetic(false);   // one unit wide, whatever the device's resolution
        painter.setPen(pen);
        painter.drawLines(lines.data(), int(lines.size()));
    };
    for (const SceneLine& line : scene.lines)
        drawUnitLines({unitLine(map.x(line.x1), map.y(line.y1), map.x(line.x2), map.y(line.y2))},
                      colors[std::size_t(line.color)]);
    for (const SceneTrace& trace : scene.traces) {
        const int32_t bgr = colors[std::size_t(trace.color)];
        std::vector<QLineF> marks;
        if (trace.connected) {
            const std::vector<QLine> joins = outlinePolyline(
                map, trace, [&](int x, int top, int bottom) { marks.push_back(unitLine(x, top, x, bottom)); });
            for (const QLine& join : joins)
                marks.push_back(unitLine(join.x1(), join.y1(), join.x2(), join.y2()));
        } else {
            // A dense view puts many samples on one pixel: each pixel is drawn once.
            std::vector<int> lastColumnOfRow(std::size_t(std::max(size.height(), 1)), -1);
            forEachDot(map, trace, [&](int x, int y) {
                if (y < 0 || y >= size.height() || x < 0 || x >= size.width() || lastColumnOfRow[std::size_t(y)] == x)
                    return;
                lastColumnOfRow[std::size_t(y)] = x;
                marks.push_back(unitLine(x, y, x, y));
            });
        }
        if (!marks.empty())
            drawUnitLines(marks, bgr);
    }
}
