#include "ui/HelpLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <algorithm>

namespace {

constexpr char kHelpFileName[] = "Miravo2.chm";

#ifdef Q_OS_WIN
constexpr bool kUseViewer = true;
#else
constexpr bool kUseViewer = false;
#endif

} // namespace

QString HelpFilePath(const QString& appDir, bool windows)
{
    if (windows)
        return QString(appDir).replace(QLatin1Char('/'), QLatin1Char('\\')) + QLatin1Char('\\') +
               QLatin1String(kHelpFileName);
    return appDir + QStringLiteral("/help/index.html");
}

QStringList HelpFileCandidates(const QString& appDir, bool windows)
{
    QStringList files{HelpFilePath(appDir, windows)};
    if (!windows)
        files << QDir::cleanPath(appDir + QStringLiteral("/" MIRAVO_INSTALLED_HELP "/index.html"));
    return files;
}

HelpPlatform SystemHelpPlatform()
{
    HelpPlatform platform;
    platform.fileExists = [](const QString& path) { return QFileInfo(path).isFile(); };
#ifdef Q_OS_WIN
    platform.open = [](const QString& path) {
        // The viewer takes the rest of its command line as it is, unquoted.
        QProcess viewer;
        viewer.setProgram(QStringLiteral("hh.exe"));
        viewer.setNativeArguments(path);
        return viewer.startDetached();
    };
#else
    platform.open = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
#endif
    return platform;
}

QString StartHelp(const QString& appDir, const HelpPlatform& platform)
{
    const QStringList candidates = HelpFileCandidates(appDir, kUseViewer);
    const auto found = std::find_if(candidates.begin(), candidates.end(), platform.fileExists);
    if (found == candidates.end())
        return QStringLiteral("ヘルプファイルが見つかりません。\n%1").arg(QDir::toNativeSeparators(candidates.join(u'\n')));
    const QString file = *found;
    if (!platform.open(file)) {
        return kUseViewer ? QStringLiteral("ヘルプビューアー（hh.exe）を起動できませんでした。")
                          : QStringLiteral("ヘルプを表示するブラウザーを起動できませんでした。\n%1")
                                .arg(QDir::toNativeSeparators(file));
    }
    return {};
}
