#include "wave/WaveScale.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions this far outside the image are all the same to the rasteriser; keeping
// them bounded keeps the integer arithmetic of line drawing well away from overflow.
constexpr double kFar = 16384;

int toPixel(double v)
{
    if (!(v > -kFar))   // also NaN
        return int(-kFar);
    if (!(v < kFar))
        return int(kFar);
    return int(std::floor(v + 0.5));
}

} // namespace

PixelMap::PixelMap(const WaveScale& scale, QSize size)
    : m_left(scale.ScaleLeft)
{
    const double width = scale.ScaleWidth > 0 ? scale.ScaleWidth : 1;
    m_xFactor = std::max(size.width() - 1, 1) / width;
    m_yFactor = std::max(size.height() - 1, 1) / 256.0;
}

int PixelMap::x(double sampleIndex) const
{
    return toPixel((sampleIndex - m_left) * m_xFactor);
}

int PixelMap::y(double counts) const
{
    return toPixel((128.0 - counts) * m_yFactor);
}

QPointF PixelMap::toScale(QPointF pixel) const
{
    return {m_left + pixel.x() / m_xFactor, 128.0 - pixel.y() / m_yFactor};
}
