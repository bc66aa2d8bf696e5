#include "ui/ApplicationSetup.h"

#include "core/AppIdentity.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool SetUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("miravo-link"));
    // The menu entry's name (packaging/), so the desktop shows its icon for the window.
    QApplication::setDesktopFileName(QStringLiteral("org.miravolinktool.MiravoLink"));
    QApplication::setApplicationVersion(QString::fromUtf8(AppIdentity::kVersion));
    // No application display name: the window system would get it appended to every
    // caption but the main window's (" — MIRAVO Link Tool"), and the captions are exact.

    auto* qtTexts = new QTranslator(&app);
    if (!qtTexts->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qtTexts;
        return false;
    }
    return QCoreApplication::installTranslator(qtTexts);
}
