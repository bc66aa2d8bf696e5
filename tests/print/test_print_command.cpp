// The print command end to end: capture, the print-setup dialog (scripted, and the real
// one once), printing to PDF checked on the rendered page, cancel and failures.

#include "support/ModalHelper.h"
#include "support/ScriptedPrintDialog.h"
#include "print/PrintCommand.h"
#include "support/ScriptedPrompts.h"

#include <QtTest>
#include <QComboBox>
#include <QPageLayout>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// A window whose picture is easy to find on paper: four coloured quadrants (sizes kept even).
class Quadrants : public QWidget {
public:
    static inline const QColor kColors[4] = {Qt::red, Qt::green, Qt::blue, Qt::magenta};

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int w = width() / 2;
        const int h = height() / 2;
        for (int i = 0; i < 4; ++i)
            painter.fillRect(i % 2 * w, i / 2 * h, w, h, kColors[i]);
    }
};

std::function<bool(QPrinter&)> printToFile(const QString& path,
                                           QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
    return [=](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(orientation);
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        return true;
    };
}

// The bounds of everything not white on the rendered page.
QRect inkBounds(const QImage& page)
{
    QRect bounds;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qMin(qMin(qRed(page.pixel(x, y)), qGreen(page.pixel(x, y))), qBlue(page.pixel(x, y))) <= 230)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    Quadrants m_window;
    ScriptedPrompts m_prompts;
    ScriptedPrintDialog m_dialog;
    PrintCommand m_command;

private slots:
    void init()
    {
        m_prompts = ScriptedPrompts();
        m_dialog = ScriptedPrintDialog();
        m_window.resize(400, 300);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    }

    // The fit itself is tested in test_print_fit; here the picture's place and sense on paper.
    void printsWindowAtTopLeftOfPage()
    {
        // In points on an A4 page with 10 mm margins: 400 x 300 takes the full portrait width.
        const double margin = 10 / 25.4 * 72;
        const double printableWidth = 595.276 - 2 * margin;
        const QRectF expected(margin, margin, printableWidth, printableWidth * 3 / 4);
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm is not installed");

        const QString pdf = m_dir.filePath(QStringLiteral("page.pdf"));
        m_dialog.answers.push_back(printToFile(pdf));
        m_command.PrintMainWindow(&m_window, m_prompts, m_dialog);

        const QString pngBase = m_dir.filePath(QStringLiteral("page"));
        QProcess render;
        render.start(pdftoppm, {"-r", "72", "-png", "-singlefile", pdf, pngBase});
        QVERIFY(render.waitForFinished(60000));
        const QImage page(pngBase + QStringLiteral(".png"));

        // Each edge within two points of where it belongs.
        const QRectF ink = inkBounds(page);
        const QMarginsF slack(2, 2, 2, 2);
        QVERIFY2(ink.marginsAdded(slack).contains(expected) && expected.marginsAdded(slack).contains(ink),
                 qPrintable(QStringLiteral("picture at %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        // Each quadrant where it belongs: the picture is neither mirrored nor turned.
        for (int i = 0; i < 4; ++i) {
            const QPointF centre = expected.topLeft() + QPointF((1 + 2 * (i % 2)) * expected.width() / 4,
                                                                (1 + 2 * (i / 2)) * expected.height() / 4);
            const QColor seen = page.pixelColor(centre.toPoint());
            QVERIFY2(near(seen, Quadrants::kColors[i]), qPrintable(QStringLiteral("quadrant %1 shows %2").arg(i).arg(seen.name())));
        }
    }

    // The second print starts from the first one's choices; cancelling it prints nothing.
    void choicesStayAndCancelPrintsNothing()
    {
        m_dialog.answers.push_back(printToFile(m_dir.filePath(QStringLiteral("first.pdf")), QPageLayout::Landscape));
        const QString cancelled = m_dir.filePath(QStringLiteral("cancelled.pdf"));
        QPageLayout::Orientation seenNextTime = QPageLayout::Portrait;
        QSize bufferWhenDialogOpened;
        PrintCommand command;
        m_dialog.answers.push_back([&](QPrinter& printer) {
            seenNextTime = printer.pageLayout().orientation();
            bufferWhenDialogOpened = command.PrinterBuffer().size();
            printToFile(cancelled, QPageLayout::Landscape)(printer);
            return false;
        });
        command.PrintMainWindow(&m_window, m_prompts, m_dialog);
        m_window.resize(200, 100);
        command.PrintMainWindow(&m_window, m_prompts, m_dialog);
        QCOMPARE(m_dialog.titles, (QStringList{"印刷の設定", "印刷の設定"}));
        QCOMPARE(seenNextTime, QPageLayout::Landscape);
        // Each command captures the window anew, before the dialog can cover it.
        QCOMPARE(bufferWhenDialogOpened, QSize(200, 100));
        QVERIFY(m_prompts.asked.isEmpty());
        QVERIFY(!QFile::exists(cancelled));
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("output"); // empty: the window cannot be captured
        QTest::addColumn<QString>("message");
        QTest::newRow("capture") << "" << "画面を取り込めませんでした。";
        QTest::newRow("unwritable file") << "no-such-folder/page.pdf" << "印刷できませんでした。";
    }

    void failuresAreReported()
    {
        QFETCH(QString, output);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(output);
        QWidget empty;
        empty.resize(0, 0);
        m_dialog.answers.push_back(printToFile(path));
        m_command.PrintMainWindow(output.isEmpty() ? &empty : static_cast<QWidget*>(&m_window), m_prompts, m_dialog);
        // A failed capture reaches no dialog.
        QCOMPARE(m_dialog.titles.size(), output.isEmpty() ? 0 : 1);
        QCOMPARE(m_prompts.asked.size(), 1);
        const ScriptedPrompts::Asked& told = m_prompts.asked.constFirst();
        QVERIFY2(told.text.contains(message) && (output.isEmpty() || told.text.contains(QDir::toNativeSeparators(path))),
                 qPrintable(told.text));
    }

    // The platform dialog carries the title and, with no printer installed, still prints to PDF.
    void realDialogOffersPdf()
    {
        QString title;
        bool offersPdf = false;
        whenModalOpens([&](QWidget* dialog) {
            title = dialog->windowTitle();
            for (const QComboBox* box : dialog->findChildren<QComboBox*>())
                for (int i = 0; i < box->count(); ++i)
                    offersPdf = offersPdf || box->itemText(i).contains(QStringLiteral("PDF"));
            qobject_cast<QDialog*>(dialog)->reject();
        });
        QPrinter printer;
        QVERIFY(!QtPrintDialogRunner().run(&m_window, printer, QStringLiteral("印刷の設定")));
        QCOMPARE(title, QStringLiteral("印刷の設定"));
        QVERIFY(offersPdf);
    }
};

QTEST_MAIN(TestPrintCommand)
#include "test_print_command.moc"
