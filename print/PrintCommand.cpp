#include "print/PrintCommand.h"

#include "print/PictureFit.h"
#include "print/PrintDialogRunner.h"
#include "print/PrinterChoice.h"
#include "print/WindowCapture.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QPainter>
#include <QPrinterInfo>

namespace {

const QString kDialogTitle = QStringLiteral("印刷の設定");
const QString kNotPrinted = QStringLiteral("\n印刷できませんでした。");

QString printerMissing(const QString& name)
{
    return QStringLiteral("プリンター「%1」が見つかりません。").arg(name) + kNotPrinted;
}

QString printerRefused(const QString& name)
{
    return QStringLiteral("プリンター「%1」で印刷を始められません。").arg(name) + kNotPrinted;
}

QString printerFailed(const QString& name)
{
    return QStringLiteral("プリンター「%1」への送信に失敗しました。").arg(name) + kNotPrinted;
}

QString fileNotWritable(const QString& path)
{
    return QStringLiteral("ファイル「%1」に書き込めません。").arg(QDir::toNativeSeparators(path)) + kNotPrinted;
}

} // namespace

PrintCommand::PrintCommand()
    : m_printer(QPrinter::HighResolution)
    , m_startPrinterName(QPrinterInfo::defaultPrinterName())
{
    // Also the suggested name of the PDF file where the dialog offers one.
    m_printer.setDocName(QStringLiteral("MIRAVO Link Tool"));
}

void PrintCommand::PrintMainWindow(QWidget* mainWindow, Prompts& prompts, PrintDialogRunner& dialog)
{
    // Taken before the dialog opens, so the dialog is never part of the picture.
    QImage picture = GrabWholeForm(mainWindow);
    if (picture.isNull()) {
        prompts.tell(mainWindow, QString(), QStringLiteral("画面を取り込めませんでした。") + kNotPrinted);
        return;
    }
    m_printerBuffer = std::move(picture);

    if (!dialog.run(mainWindow, m_printer, kDialogTitle))
        return;
    if (const std::optional<QString> problem = PrintBufferToPrinter())
        prompts.tell(mainWindow, QString(), *problem);
}

std::optional<QString> PrintCommand::PrintBufferToPrinter()
{
    const bool toFile = m_printer.outputFormat() == QPrinter::PdfFormat;
    const QString printerName = m_printer.printerName();
    if (!toFile && QPrinterInfo::printerInfo(printerName).isNull())
        return printerMissing(printerName);

    QPainter painter;
    if (!painter.begin(&m_printer))
        return toFile ? fileNotWritable(m_printer.outputFileName()) : printerRefused(printerName);
    PaintPictureFitted(painter, m_printer, m_printerBuffer);
    // Ending the document sends the page out.
    painter.end();
    if (m_printer.printerState() == QPrinter::Error)
        return toFile ? fileNotWritable(m_printer.outputFileName()) : printerFailed(printerName);
    return std::nullopt;
}

void PrintCommand::RestoreStartPrinter()
{
    const QString name = PrinterToRestore(m_startPrinterName, QPrinterInfo::availablePrinterNames(),
                                          QPrinterInfo::defaultPrinterName());
    if (!name.isEmpty())
        m_printer.setPrinterName(name);
}
