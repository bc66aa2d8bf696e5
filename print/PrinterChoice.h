#pragma once
// Which printer the application prints on when the main window closes.

#include <QString>
#include <QStringList>

// The printer that was current at start-up if it is still installed, otherwise the
// system's default printer (empty when there is none).
QString PrinterToRestore(const QString& startPrinterName, const QStringList& installed,
                         const QString& systemDefault);
