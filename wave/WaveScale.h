#pragma once
// The wave window's user coordinates and their mapping onto its pixels. x is the sample
// index from ScaleLeft across ScaleWidth; y is counts, +128 at the top edge and -128 at
// the bottom edge. The mapping is linear for any pixel size, so the window may grow.

#include <QPointF>
#include <QSize>

struct WaveScale {
    double ScaleLeft = 0;
    double ScaleWidth = 5120;

    bool operator==(const WaveScale&) const = default;
};

// Integer pixel positions of user coordinates on an image of a given size. Both ends of
// each axis land on pixel centres: ScaleLeft on column 0, ScaleLeft + ScaleWidth on the
// last column, +128 counts on row 0 and -128 on the last row. Everything that draws into
// the wave window goes through here, so all renderings agree to the pixel.
class PixelMap {
public:
    PixelMap(const WaveScale& scale, QSize size);

    int x(double sampleIndex) const { return toPixel((sampleIndex - m_left) * m_xFactor); }
    int y(double counts) const { return toPixel((128.0 - counts) * m_yFactor); }

    // The user coordinates of a position in pixels (mouse events).
    QPointF toScale(QPointF pixel) const;

private:
    // Positions this far outside the image are all the same to the rasteriser; keeping
    // them bounded keeps the integer arithmetic of line drawing well away from overflow.
    static constexpr double kFar = 16384;

    static int toPixel(double v)
    {
        if (!(v > -kFar))   // also NaN
            return int(-kFar);
        if (!(v < kFar))
            return int(kFar);
        // floor(v + 0.5) without a library call: this runs once per sample and axis.
        const double shifted = v + 0.5;
        const int truncated = int(shifted);
        return truncated - (shifted < truncated);
    }

    double m_left;
    double m_xFactor;   // pixels per sample step
    double m_yFactor;   // pixels per count
};
