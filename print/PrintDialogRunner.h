#pragma once
// The print-setup dialog behind a small interface, so tests can answer it by script.

#include <QString>

class QPrinter;
class QWidget;

class PrintDialogRunner {
public:
    virtual ~PrintDialogRunner() = default;

    // Lets the user set up printer (printer or PDF file, paper, orientation) in a modal
    // dialog titled title. Returns false when the user cancels; printer is then unchanged.
    virtual bool run(QWidget* parent, QPrinter& printer, const QString& title) = 0;
};

// The platform's print dialog. Where no printer is installed it still offers printing
// to a PDF file.
class QtPrintDialogRunner final : public PrintDialogRunner {
public:
    bool run(QWidget* parent, QPrinter& printer, const QString& title) override;
};
