#include "print/PrintDialogRunner.h"

#include <QPrintDialog>
#include <QPrinter>

bool QtPrintDialogRunner::run(QWidget* parent, QPrinter& printer, const QString& title)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    // One page of one picture: ranges, selection and collation mean nothing here.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}
