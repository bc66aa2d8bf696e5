#pragma once
// The main window's print command: a picture of the window on one printed page.
//
// Use: the main window keeps one PrintCommand for its whole life (it is the window's print
// buffer and application printer) and one QtPrintDialogRunner, and calls
//     m_print.PrintMainWindow(this, prompts, printDialog);
// from the Print button (Command1 index 8) and from the wave window's printRequested()
// (the P key). Its unload calls m_print.RestoreStartPrinter().

#include <QImage>
#include <QPrinter>
#include <QString>

#include <optional>

class Prompts;
class PrintDialogRunner;
class QWidget;

class PrintCommand {
public:
    // Records the system's default printer, which the application printer starts on
    // (empty when no printer is installed; it then prints to PDF).
    PrintCommand();

    // Captures mainWindow as it shows on screen into PrinterBuffer before any dialog, lets
    // the user set up the printer in "印刷の設定", then prints the capture at the top left
    // of the printable area, as large as its proportions allow, and ends the document.
    // A cancelled dialog prints nothing and says nothing. A failed capture, a vanished
    // printer or an unwritable file is reported through prompts. Printer, paper and
    // orientation chosen in the dialog stay for the next print.
    void PrintMainWindow(QWidget* mainWindow, Prompts& prompts, PrintDialogRunner& dialog);

    // Makes the printer current at start-up the application printer again, if it is still
    // installed; otherwise the system's default printer.
    void RestoreStartPrinter();

    const QImage& PrinterBuffer() const { return m_printerBuffer; }

private:
    // Empty on success, otherwise the message for the user.
    std::optional<QString> PrintBufferToPrinter();

    QPrinter m_printer;
    QImage m_printerBuffer;
    QString m_startPrinterName;
};
