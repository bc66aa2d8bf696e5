#include "analysis/SpectrumScale.h"

#include <algorithm>
#include <cmath>

FrequencyScale::FrequencyScale(FrequencyAxis axis, double binWidth, double nyquist, int width)
    : m_axis(axis), m_low(axis == FrequencyAxis::Linear ? 0 : binWidth), m_high(nyquist), m_width(std::max(width, 2))
{
}

double FrequencyScale::toX(double frequency) const
{
    const double span = m_width - 1;
    if (m_axis == FrequencyAxis::Linear)
        return (frequency - m_low) / (m_high - m_low) * span;
    // DC has no place on a logarithmic axis: it lands far off the left edge.
    if (!(frequency > 0))
        return -span;
    return std::log(frequency / m_low) / std::log(m_high / m_low) * span;
}

double FrequencyScale::toFrequency(double x) const
{
    const double fraction = x / (m_width - 1);
    if (m_axis == FrequencyAxis::Linear)
        return m_low + fraction * (m_high - m_low);
    return m_low * std::pow(m_high / m_low, fraction);
}

std::vector<double> FrequencyScale::gridLines() const
{
    std::vector<double> lines;
    if (m_axis == FrequencyAxis::Linear) {
        const double rough = (m_high - m_low) / 8;
        const double decade = std::pow(10, std::floor(std::log10(rough)));
        const double step = decade * (rough / decade >= 5 ? 5 : rough / decade >= 2 ? 2 : 1);
        for (double f = step; f <= m_high * (1 + 1e-9); f += step)
            lines.push_back(f);
        return lines;
    }
    for (double decade = std::pow(10, std::floor(std::log10(m_low))); decade <= m_high; decade *= 10) {
        for (double multiple : {1, 2, 5}) {
            const double f = decade * multiple;
            if (f >= m_low && f <= m_high)
                lines.push_back(f);
        }
    }
    return lines;
}

LevelScale::LevelScale(double highestLevel, int height)
    : m_top(std::ceil(highestLevel / kStep) * kStep), m_height(std::max(height, 2))
{
}

double LevelScale::toY(double level) const
{
    return (m_top - level) / kSpan * (m_height - 1);
}

double LevelScale::toLevel(double y) const
{
    return m_top - y / (m_height - 1) * kSpan;
}
