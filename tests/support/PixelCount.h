#pragma once
// How many pixels of a painted wave picture show one colour slot.

#include "wave/WavePainter.h"

#include <QImage>

#include <algorithm>

// RGB32 rows are exactly width pixels long, so the image is one run of pixels.
inline int pixelsOf(const QImage& image, int32_t bgr)
{
    const auto* bits = reinterpret_cast<const QRgb*>(image.constBits());
    return int(std::count(bits, bits + qsizetype(image.width()) * image.height(), SlotColor(bgr).rgb()));
}
