#include "wave/WaveScale.h"

#include <algorithm>

PixelMap::PixelMap(const WaveScale& scale, QSize size)
    : m_left(scale.ScaleLeft)
{
    const double width = scale.ScaleWidth > 0 ? scale.ScaleWidth : 1;
    m_xFactor = std::max(size.width() - 1, 1) / width;
    m_yFactor = std::max(size.height() - 1, 1) / 256.0;
}

QPointF PixelMap::toScale(QPointF pixel) const
{
    return {m_left + pixel.x() / m_xFactor, 128.0 - pixel.y() / m_yFactor};
}
