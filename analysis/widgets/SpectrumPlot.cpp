#include "analysis/widgets/SpectrumPlot.h"

#include "core/EngNumber.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// Room for the level values on the left and the frequency values below.
constexpr QMargins kMargins{52, 8, 12, 22};

QString frequencyText(double hertz, const char* pattern = "")
{
    return QString::fromStdString(FormatEng(float(hertz), pattern)).trimmed() + QStringLiteral("Hz");
}

QString levelText(double dbv)
{
    return QString::number(dbv, 'f', 1) + QStringLiteral(" dBV");
}

} // namespace

SpectrumPlot::SpectrumPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

void SpectrumPlot::setSpectrum(const Spectrum& spectrum)
{
    m_spectrum = spectrum;
    m_message.clear();
    layOut();
}

void SpectrumPlot::setMessage(const QString& message)
{
    m_spectrum.reset();
    m_message = message;
    layOut();
}

void SpectrumPlot::setAxis(FrequencyAxis axis)
{
    m_axis = axis;
    layOut();
}

void SpectrumPlot::setColors(QColor trace, QColor background, QColor grid)
{
    m_trace = trace;
    m_background = background;
    m_grid = grid;
    update();
}

QRect SpectrumPlot::plotArea() const
{
    return rect().marginsRemoved(kMargins);
}

void SpectrumPlot::resizeEvent(QResizeEvent*)
{
    layOut();
}

void SpectrumPlot::layOut()
{
    m_frequencies.reset();
    m_levels.reset();
    m_strokes.clear();
    const QRect area = plotArea();
    if (m_spectrum && area.width() >= 2 && area.height() >= 2) {
        const Spectrum& s = *m_spectrum;
        m_frequencies.emplace(m_axis, s.binWidth, s.sampleRate / 2, area.width());
        m_levels.emplace(*std::max_element(s.levels.begin(), s.levels.end()), area.height());
        const auto y = [&](double level) {
            return area.top() + int(std::lround(std::clamp(m_levels->toY(level), -1.0, double(area.height()))));
        };
        const std::vector<EnvelopeColumn> columns = LevelEnvelope(s.levels, s.binWidth, *m_frequencies);
        m_strokes.reserve(2 * columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const EnvelopeColumn& c = columns[i];
            const int x = area.left() + c.x;
            if (i > 0)
                m_strokes.emplace_back(area.left() + columns[i - 1].x, y(columns[i - 1].last), x, y(c.first));
            m_strokes.emplace_back(x, y(c.low), x, y(c.high));
        }
    }
    if (m_pointer)
        readAt(m_pointer->x());
    update();
}

void SpectrumPlot::setReadout(const QString& text)
{
    if (text == m_readout)
        return;
    m_readout = text;
    emit readoutChanged(text);
}

void SpectrumPlot::readAt(int widgetX)
{
    const QRect area = plotArea();
    if (!m_frequencies || widgetX < area.left() || widgetX > area.right()) {
        setReadout({});
        return;
    }
    const Spectrum& s = *m_spectrum;
    const int k = BinAtColumn(s.levels, s.binWidth, *m_frequencies, widgetX - area.left());
    setReadout(frequencyText(k * s.binWidth, "##0.000") + QStringLiteral("　") + levelText(s.levels[std::size_t(k)]));
    m_pointer->setY(area.top() + int(std::lround(std::clamp(m_levels->toY(s.levels[std::size_t(k)]), 0.0,
                                                             double(area.height() - 1)))));
}

void SpectrumPlot::mouseMoveEvent(QMouseEvent* event)
{
    m_pointer = event->position().toPoint();
    readAt(m_pointer->x());
    if (m_readout.isEmpty())
        m_pointer.reset();
    update();
}

void SpectrumPlot::leaveEvent(QEvent*)
{
    m_pointer.reset();
    setReadout({});
    update();
}

void SpectrumPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = plotArea();
    painter.fillRect(rect(), palette().window());
    painter.fillRect(area, m_background);
    if (!m_frequencies) {
        painter.setPen(m_grid);
        painter.drawText(area, Qt::AlignCenter, m_message);
        return;
    }

    // Grid and its values; a frequency value that would run into the one before is left out.
    QPen gridPen(m_grid, 0, Qt::DotLine);
    const QColor labelColor = palette().color(QPalette::WindowText);
    const QRect unit(0, area.bottom() + 2, kMargins.left() - 4, kMargins.bottom() - 2);
    painter.setPen(labelColor);
    painter.drawText(unit, Qt::AlignRight | Qt::AlignTop, QStringLiteral("dBV"));
    int labelsEnd = unit.right() + 4;
    for (double f : m_frequencies->gridLines()) {
        const int x = area.left() + int(std::lround(m_frequencies->toX(f)));
        painter.setPen(gridPen);
        painter.drawLine(x, area.top(), x, area.bottom());
        const QString label = frequencyText(f);
        const int half = painter.fontMetrics().horizontalAdvance(label) / 2 + 3;
        if (x - half < labelsEnd)
            continue;
        painter.setPen(labelColor);
        painter.drawText(QRect(x - half, unit.top(), 2 * half, unit.height()), Qt::AlignHCenter | Qt::AlignTop, label);
        labelsEnd = x + half;
    }
    for (double level = m_levels->top(); level >= m_levels->bottom(); level -= LevelScale::kStep) {
        const int y = area.top() + int(std::lround(m_levels->toY(level)));
        painter.setPen(gridPen);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(labelColor);
        painter.drawText(QRect(0, y - 8, kMargins.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(level, 'f', 0));
    }

    // The cross-hair on the level read at the pointer's column, under the levels and the
    // peaks numbered from the highest.
    painter.setClipRect(area);
    if (m_pointer) {
        painter.setPen(QPen(m_grid.lighter(160), 0, Qt::DashLine));
        painter.drawLine(m_pointer->x(), area.top(), m_pointer->x(), area.bottom());
        painter.drawLine(area.left(), m_pointer->y(), area.right(), m_pointer->y());
    }
    painter.setPen(m_trace);
    painter.drawLines(m_strokes.data(), int(m_strokes.size()));
    const Spectrum& s = *m_spectrum;
    for (std::size_t i = 0; i < s.peaks.size(); ++i) {
        const int x = area.left() + int(std::lround(m_frequencies->toX(s.peaks[i].frequency)));
        const int y = area.top() + int(std::lround(m_levels->toY(s.peaks[i].level)));
        painter.drawText(QRect(x - 12, y - 18, 24, 16), Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 1));
    }
}
