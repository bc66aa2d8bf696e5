#include "options/OptionsPreview.h"

#include <QDateTime>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

std::array<std::vector<int>, 2> MakePreviewTraces(const std::function<double()>& uniform)
{
    static constexpr std::array<int, 2> kStartLevel{75, 225};
    std::array<std::vector<int>, 2> traces;
    for (std::size_t t = 0; t < traces.size(); ++t) {
        std::vector<int>& trace = traces[t];
        trace.reserve(OptionsPreview::kSpace + 1);
        trace.push_back(static_cast<int>(std::lrint(kStartLevel[t] + 20.0 * uniform())));
        for (int x = 1; x <= OptionsPreview::kSpace; ++x) {
            const double size = uniform();
            const double sign = uniform() - 0.5;
            const int s = sign > 0 ? 1 : (sign < 0 ? -1 : 0);
            trace.push_back(static_cast<int>(std::lrint(trace.back() + s * 3.0 * size)));
        }
    }
    return traces;
}

OptionsPreview::OptionsPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(150, 150);
}

QSize OptionsPreview::sizeHint() const
{
    return {240, 240};
}

void OptionsPreview::draw(const std::array<QColor, 7>& colors)
{
    m_colors = colors;
    QRandomGenerator random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    m_traces = MakePreviewTraces([&random] { return random.generateDouble(); });
    update();
}

void OptionsPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width() - 1;
    const int h = height() - 1;
    // Integer mapping of the 0..300 space onto the whole picture.
    const auto px = [w](int x) { return x * w / kSpace; };
    const auto py = [h](int y) { return y * h / kSpace; };

    painter.fillRect(rect(), m_colors[2]);
    painter.setPen(m_colors[3]);
    for (int p = 0; p <= kSpace; p += 30) {
        painter.drawLine(px(p), py(0), px(p), py(kSpace));
        painter.drawLine(px(0), py(p), px(kSpace), py(p));
    }
    const std::array<std::pair<int, int>, 3> levels{{{150, 4}, {75, 5}, {225, 6}}};
    for (const auto& [level, slot] : levels) {
        painter.setPen(m_colors[slot]);
        painter.drawLine(px(0), py(level), px(kSpace), py(level));
    }
    for (std::size_t t = 0; t < m_traces.size(); ++t) {
        const std::vector<int>& trace = m_traces[t];
        if (trace.empty())
            continue;
        painter.setPen(m_colors[t]);
        QList<QPoint> points;
        points.reserve(static_cast<qsizetype>(trace.size()));
        for (std::size_t x = 0; x < trace.size(); ++x)
            points.append(QPoint(px(static_cast<int>(x)), py(trace[x])));
        painter.drawPolyline(points.constData(), static_cast<int>(points.size()));
    }
}
