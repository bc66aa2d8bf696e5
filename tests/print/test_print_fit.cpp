// Placement of the printed picture on the page, and the printer chosen when the window
// closes.

#include "print/PictureFit.h"
#include "print/PrinterChoice.h"

#include <QtTest>

struct PrinterCase { QString start; QStringList installed; QString systemDefault, expected; };

// pixels: the captured window; page: printable area, HIMETRIC; expected: printed size, HIMETRIC.
struct FitCase { QSizeF pixels, page, expected; };

class TestPrintFit : public QObject {
    Q_OBJECT
private slots:
    void fitsPicture_data()
    {
        QTest::addColumn<FitCase>("c");
        QTest::newRow("wide window, portrait page: full width")
            << FitCase{QSizeF(800, 600), QSizeF(19000, 27700), QSizeF(19000, 14250)};
        QTest::newRow("wider landscape page: full height")
            << FitCase{QSizeF(800, 600), QSizeF(27700, 19000), QSizeF(25333.333, 19000)};
        QTest::newRow("equal proportions, inexact ratio") << FitCase{QSizeF(3, 7), QSizeF(3000, 7000), QSizeF(3000, 7000)};
        QTest::newRow("empty window") << FitCase{QSizeF(0, 600), QSizeF(19000, 27700), QSizeF()};
        QTest::newRow("page without height") << FitCase{QSizeF(800, 600), QSizeF(19000, 0), QSizeF()};
    }
    void fitsPicture()
    {
        QFETCH(FitCase, c);
        auto& [pixels, page, expected] = c;
        const QSizeF picture(PixelsToHimetric(pixels.width(), 96), PixelsToHimetric(pixels.height(), 96));
        const QSizeF fitted = FitPictureToPage(picture, page);
        QVERIFY2(expected.isEmpty() ? fitted.isEmpty()
                                    : qAbs(fitted.width() - expected.width()) < 0.01 &&
                                          qAbs(fitted.height() - expected.height()) < 0.01,
                 qPrintable(QStringLiteral("got %1 x %2").arg(fitted.width()).arg(fitted.height())));
    }

    void restoresStartPrinter_data()
    {
        QTest::addColumn<PrinterCase>("c");
        const QStringList both{"Office", "Lab"};
        QTest::newRow("start printer still installed, other default") << PrinterCase{"Lab", both, "Office", "Lab"};
        QTest::newRow("start printer removed: default") << PrinterCase{"Gone", both, "Office", "Office"};
        QTest::newRow("no printers at all") << PrinterCase{"Lab", {}, "", ""};
    }
    void restoresStartPrinter()
    {
        QFETCH(PrinterCase, c);
        auto& [start, installed, systemDefault, expected] = c;
        QCOMPARE(PrinterToRestore(start, installed, systemDefault), expected);
    }
};

QTEST_GUILESS_MAIN(TestPrintFit)
#include "test_print_fit.moc"
