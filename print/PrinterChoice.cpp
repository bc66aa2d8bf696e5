#include "print/PrinterChoice.h"

QString PrinterToRestore(const QString& startPrinterName, const QStringList& installed,
                         const QString& systemDefault)
{
    if (!startPrinterName.isEmpty() && installed.contains(startPrinterName))
        return startPrinterName;
    return systemDefault;
}
