#include "ui/HelpLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
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
    platform.open = [](const QString& path, const std::function<void()>& failed) {
        // The viewer takes the rest of its command line as it is, unquoted.
        QProcess viewer;
        viewer.setProgram(QStringLiteral("hh.exe"));
        viewer.setNativeArguments(path);
        if (!viewer.startDetached())
            failed();
    };
#else
    // xdg-open says by its exit status whether a browser took the file; it may also run as
    // long as the browser does, so nobody waits for it.
    platform.open = [](const QString& path, std::function<void()> failed) {
        auto* opener = new QProcess;
        QObject::connect(opener, &QProcess::finished, opener, [opener, failed](int code, QProcess::ExitStatus status) {
            opener->deleteLater();
            if (code != 0 || status != QProcess::NormalExit)
                failed();
        });
        QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, failed](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            opener->deleteLater();
            failed();
        });
        opener->start(QStringLiteral("xdg-open"), {path});
    };
#endif
    return platform;
}

QString StartHelp(const QString& appDir, const HelpPlatform& platform,
                  const std::function<void(const QString& guide)>& builtIn)
{
    const QStringList candidates = HelpFileCandidates(appDir, kUseViewer);
    const auto found = std::find_if(candidates.begin(), candidates.end(), platform.fileExists);
    if (found == candidates.end())
        return QStringLiteral("ヘルプファイルが見つかりません。\n%1").arg(QDir::toNativeSeparators(candidates.join(u'\n')));
    // The compiled help needs its viewer; the program's window shows the HTML guide beside it.
    const QString guide = kUseViewer ? HelpFilePath(appDir, false) : *found;
    platform.open(*found, [builtIn, guide] { builtIn(guide); });
    return {};
}
