#include "logger/widgets/TrendChart.h"

#include "core/EngNumber.h"

#include <QPainter>

namespace {

// Seconds as the time axis shows them: s up to two minutes, then min, then h.
QString elapsedText(double seconds)
{
    if (seconds < 120)
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 0);
    if (seconds < 2 * 3600)
        return QStringLiteral("%1 min").arg(seconds / 60, 0, 'f', 1);
    return QStringLiteral("%1 h").arg(seconds / 3600, 0, 'f', 2);
}

QString valueText(double value, const QString& unit)
{
    return QString::fromStdString(FormatEng(value, "##0.000")).trimmed() + unit;
}

} // namespace

TrendChart::TrendChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TrendChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 120);
}

void TrendChart::setTrend(std::vector<TrendPoint> points, const QString& unit, const QColor& colour)
{
    m_points = std::move(points);
    m_unit = unit;
    m_colour = colour;
    update();
}

void TrendChart::addPoint(const TrendPoint& point)
{
    m_points.push_back(point);
    update();
}

void TrendChart::clear()
{
    m_points.clear();
    update();
}

void TrendChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(QStringLiteral("-000.000mHz")) + 6;
    const int bottom = metrics.height() + 8;
    const QRect plot(left, 6, width() - left - 8, height() - bottom - 10);
    if (plot.width() < 2 || plot.height() < 2)
        return;
    painter.setPen(palette().mid().color());
    painter.drawRect(plot.adjusted(0, 0, -1, -1));

    const auto range = TrendValueRange(m_points);
    if (!range) {
        painter.setPen(palette().text().color());
        painter.drawText(plot, Qt::AlignCenter,
                         m_points.empty() ? QStringLiteral("まだ記録がありません") : QStringLiteral("値がありません"));
        return;
    }
    const double seconds = m_points.back().seconds;
    painter.setPen(palette().text().color());
    painter.drawText(QRect(0, plot.top(), left - 4, metrics.height()), Qt::AlignRight, valueText(range->high, m_unit));
    painter.drawText(QRect(0, plot.bottom() - metrics.height(), left - 4, metrics.height()), Qt::AlignRight,
                     valueText(range->low, m_unit));
    painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width(), metrics.height()), Qt::AlignLeft,
                     QStringLiteral("0 s"));
    painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width(), metrics.height()), Qt::AlignRight,
                     elapsedText(seconds));

    painter.translate(plot.topLeft());
    painter.setPen(m_colour);
    const std::vector<TrendLine> lines = TrendLines(m_points, seconds, *range, plot.width(), plot.height());
    for (const TrendLine& l : lines)
        painter.drawLine(l.x1, l.y1, l.x2, l.y2);
    // Failed captures: a red tick on the time axis where each one was.
    painter.setPen(QColor(200, 0, 0));
    int lastTick = -1;
    for (const TrendPoint& p : m_points) {
        if (p.value)
            continue;
        const int x = seconds > 0 ? int(std::lround(p.seconds * (plot.width() - 1) / seconds)) : 0;
        if (x != lastTick)
            painter.drawLine(x, plot.height() - 6, x, plot.height() - 1);
        lastTick = x;
    }
}
