#pragma once
// Where a printed picture goes on the page: as large as the printable area allows with
// the picture's proportions kept. Pure geometry, so it is tested without a printer.

#include <QSizeF>

// The largest size with the proportions of picture that fits in page; both sizes in one
// physical unit (HIMETRIC, 0.01 mm), the result in it too. A picture at least as wide,
// relative to its height, as the page takes the full width (equal proportions included),
// otherwise the full height. An empty picture or page gives an empty size.
QSizeF FitPictureToPage(QSizeF picture, QSizeF page);

// A length of pixels at dotsPerInch converted to HIMETRIC, and back.
double PixelsToHimetric(double pixels, double dotsPerInch);
double HimetricToPixels(double himetric, double dotsPerInch);

class QImage;
class QPainter;
class QPrinter;

// Draws image, whose dots per metre give its physical size, at the top left of printer's
// printable area as large as FitPictureToPage allows. painter is active on printer.
void PaintPictureFitted(QPainter& painter, const QPrinter& printer, const QImage& image);
