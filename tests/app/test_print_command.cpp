// The print command end to end: capture, the print-setup dialog (scripted, and the real
// one once), printing to PDF checked on the rendered page, cancel and failures.

#include "app/PrintCommand.h"
#include "app/PrintDialogRunner.h"
#include "support/ScriptedPrompts.h"

#include <QtTest>
#include <QApplication>
#include <QComboBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <deque>
#include <functional>

namespace {

// A window whose picture is easy to find on paper: four coloured quadrants.
class Quadrants : public QWidget {
public:
    static inline const QColor kColors[4] = {Qt::red, Qt::green, Qt::blue, Qt::magenta};

    Quadrants() { resize(400, 300); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int w = width() / 2;
        const int h = height() / 2;
        painter.fillRect(0, 0, w, h, kColors[0]);
        painter.fillRect(w, 0, width() - w, h, kColors[1]);
        painter.fillRect(0, h, w, height() - h, kColors[2]);
        painter.fillRect(w, h, width() - w, height() - h, kColors[3]);
    }
};

// Each answer plays the user's part in one dialog; no answer left means Cancel.
class ScriptedPrintDialog final : public PrintDialogRunner {
public:
    std::deque<std::function<bool(QPrinter&)>> answers;
    QStringList titles;

    bool run(QWidget*, QPrinter& printer, const QString& title) override
    {
        titles.append(title);
        if (answers.empty())
            return false;
        auto answer = std::move(answers.front());
        answers.pop_front();
        return answer(printer);
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

bool isBlank(QRgb pixel)
{
    return qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230;
}

QRect inkBounds(const QImage& page)
{
    QRect bounds;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (!isBlank(page.pixel(x, y)))
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
private slots:
    void init();
    void cancelPrintsNothing();
    void printsWindowAtTopLeftOfPage_data();
    void printsWindowAtTopLeftOfPage();
    void keepsDialogChoicesForNextPrint();
    void reportsFailureAfterDialog_data();
    void reportsFailureAfterDialog();
    void reportsFailedCapture();
    void realDialogOffersPdf();

private:
    QTemporaryDir m_dir;
    Quadrants m_window;
    ScriptedPrompts m_prompts;
    ScriptedPrintDialog m_dialog;
};

void TestPrintCommand::init()
{
    m_prompts = ScriptedPrompts();
    m_dialog.answers.clear();
    m_dialog.titles.clear();
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void TestPrintCommand::cancelPrintsNothing()
{
    PrintCommand command;
    QSize bufferWhenDialogOpened;
    m_dialog.answers.push_back([&](QPrinter& printer) {
        bufferWhenDialogOpened = command.PrinterBuffer().size();
        printToFile(m_dir.filePath(QStringLiteral("cancelled.pdf")))(printer);
        return false;
    });

    command.PrintMainWindow(&m_window, m_prompts, m_dialog);

    QCOMPARE(m_dialog.titles, QStringList{QStringLiteral("印刷の設定")});
    QCOMPARE(bufferWhenDialogOpened, m_window.size());
    QCOMPARE(command.PrinterBuffer().size(), m_window.size());
    QVERIFY(m_prompts.asked.isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("cancelled.pdf"))));
}

void TestPrintCommand::printsWindowAtTopLeftOfPage_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QRectF>("expected");   // in points on an A4 page with 10 mm margins

    const double margin = 10 / 25.4 * 72;
    const double printableWidth = 595.276 - 2 * margin;
    // 400 x 300: wider than the portrait area, narrower than the landscape one.
    QTest::newRow("portrait: full width")
        << QPageLayout::Portrait << QRectF(margin, margin, printableWidth, printableWidth * 3 / 4);
    QTest::newRow("landscape: full height")
        << QPageLayout::Landscape << QRectF(margin, margin, printableWidth * 4 / 3, printableWidth);
}

void TestPrintCommand::printsWindowAtTopLeftOfPage()
{
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QRectF, expected);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm is not installed");

    const QString pdf = m_dir.filePath(QStringLiteral("page.pdf"));
    QFile::remove(pdf);
    PrintCommand command;
    m_dialog.answers.push_back(printToFile(pdf, orientation));
    command.PrintMainWindow(&m_window, m_prompts, m_dialog);
    QVERIFY(m_prompts.asked.isEmpty());
    QVERIFY(QFile::exists(pdf));

    const QString pngBase = m_dir.filePath(QStringLiteral("page"));
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                            QStringLiteral("-singlefile"), pdf, pngBase});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(pngBase + QStringLiteral(".png"));
    QVERIFY(!page.isNull());

    // One page only: a second page would make pdftoppm's first-page image meaningless.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (info.waitForFinished(60000) && info.exitCode() == 0)
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

    const QRect ink = inkBounds(page);
    const auto close = [](double a, double b) { return qAbs(a - b) <= 2.0; };
    QVERIFY2(close(ink.left(), expected.left()) && close(ink.top(), expected.top()) &&
                 close(ink.right() + 1, expected.right()) && close(ink.bottom() + 1, expected.bottom()),
             qPrintable(QStringLiteral("picture at %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));

    const QPointF quarter(expected.width() / 4, expected.height() / 4);
    const QPointF centres[4] = {expected.topLeft() + quarter,
                                expected.topLeft() + QPointF(3 * quarter.x(), quarter.y()),
                                expected.topLeft() + QPointF(quarter.x(), 3 * quarter.y()),
                                expected.topLeft() + 3 * quarter};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(page.pixelColor(centres[i].toPoint()), Quadrants::kColors[i]),
                 qPrintable(QStringLiteral("quadrant %1 shows %2").arg(i).arg(page.pixelColor(centres[i].toPoint()).name())));
}

void TestPrintCommand::keepsDialogChoicesForNextPrint()
{
    PrintCommand command;
    m_dialog.answers.push_back(printToFile(m_dir.filePath(QStringLiteral("first.pdf")), QPageLayout::Landscape));
    QPageLayout::Orientation seenNextTime = QPageLayout::Portrait;
    m_dialog.answers.push_back([&](QPrinter& printer) {
        seenNextTime = printer.pageLayout().orientation();
        return false;
    });

    command.PrintMainWindow(&m_window, m_prompts, m_dialog);
    m_window.resize(200, 100);
    command.PrintMainWindow(&m_window, m_prompts, m_dialog);

    QCOMPARE(seenNextTime, QPageLayout::Landscape);
    // Each command replaces the capture, also when it is cancelled.
    QCOMPARE(command.PrinterBuffer().size(), QSize(200, 100));
    m_window.resize(400, 300);
}

void TestPrintCommand::reportsFailureAfterDialog_data()
{
    QTest::addColumn<QString>("output");

    QTest::newRow("folder does not exist") << QStringLiteral("no-such-folder/page.pdf");
    QTest::newRow("path is a folder") << QString();
}

void TestPrintCommand::reportsFailureAfterDialog()
{
    QFETCH(QString, output);
    const QString path = output.isEmpty() ? m_dir.path() : m_dir.filePath(output);

    PrintCommand command;
    m_dialog.answers.push_back(printToFile(path));
    command.PrintMainWindow(&m_window, m_prompts, m_dialog);

    QCOMPARE(m_prompts.asked.size(), 1);
    const ScriptedPrompts::Asked& message = m_prompts.asked.constFirst();
    QVERIFY(message.caption.isEmpty());
    QCOMPARE(message.icon, QMessageBox::Warning);
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(path)) &&
                 message.text.contains(QStringLiteral("印刷できませんでした。")),
             qPrintable(message.text));
    QVERIFY(!command.PrinterBuffer().isNull());
}

void TestPrintCommand::reportsFailedCapture()
{
    QWidget empty;
    empty.resize(0, 0);
    PrintCommand command;
    command.PrintMainWindow(&empty, m_prompts, m_dialog);

    QVERIFY(m_dialog.titles.isEmpty());
    QCOMPARE(m_prompts.asked.size(), 1);
    QVERIFY(m_prompts.asked.constFirst().text.contains(QStringLiteral("画面を取り込めませんでした。")));
    QVERIFY(command.PrinterBuffer().isNull());
}

void TestPrintCommand::realDialogOffersPdf()
{
    QString title;
    bool offersPdf = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        title = dialog->windowTitle();
        for (const QComboBox* box : dialog->findChildren<QComboBox*>())
            for (int i = 0; i < box->count(); ++i)
                offersPdf = offersPdf || box->itemText(i).contains(QStringLiteral("PDF"));
        dialog->reject();
    });
    poll.start(20);

    QPrinter printer;
    QtPrintDialogRunner runner;
    QVERIFY(!runner.run(&m_window, printer, QStringLiteral("印刷の設定")));
    QCOMPARE(title, QStringLiteral("印刷の設定"));
    QVERIFY(offersPdf);
}

QTEST_MAIN(TestPrintCommand)
#include "test_print_command.moc"
