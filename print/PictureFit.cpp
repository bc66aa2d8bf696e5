#include "print/PictureFit.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr double kHimetricPerInch = 2540.0;
constexpr double kMetresPerInch = 0.0254;
}

QSizeF FitPictureToPage(QSizeF picture, QSizeF page)
{
    if (!(picture.width() > 0 && picture.height() > 0 && page.width() > 0 && page.height() > 0))
        return {};
    const double pictureRatio = picture.width() / picture.height();
    const double pageRatio = page.width() / page.height();
    if (pictureRatio >= pageRatio)
        return {page.width(), page.width() / pictureRatio};
    return {page.height() * pictureRatio, page.height()};
}

double PixelsToHimetric(double pixels, double dotsPerInch)
{
    return pixels * kHimetricPerInch / dotsPerInch;
}

double HimetricToPixels(double himetric, double dotsPerInch)
{
    return himetric * dotsPerInch / kHimetricPerInch;
}

void PaintPictureFitted(QPainter& painter, const QPrinter& printer, const QImage& image)
{
    const double imageDpiX = image.dotsPerMeterX() * kMetresPerInch;
    const double imageDpiY = image.dotsPerMeterY() * kMetresPerInch;
    const QSizeF picture(PixelsToHimetric(image.width(), imageDpiX), PixelsToHimetric(image.height(), imageDpiY));

    // The painter's origin is the top left of the printable area, in device pixels.
    const QSizeF area = printer.pageRect(QPrinter::DevicePixel).size();
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    const QSizeF page(PixelsToHimetric(area.width(), dpiX), PixelsToHimetric(area.height(), dpiY));

    const QSizeF fitted = FitPictureToPage(picture, page);
    if (fitted.isEmpty())
        return;
    const QRectF target(0, 0, HimetricToPixels(fitted.width(), dpiX), HimetricToPixels(fitted.height(), dpiY));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image, QRectF(image.rect()));
}
