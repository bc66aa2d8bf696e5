#pragma once
// Opening the user's guide. On Windows the compiled help "Miravo2.chm" beside the
// program goes to the HTML help viewer; elsewhere help/index.html beside the program, or
// the installed guide, goes to the desktop's browser. Where neither takes it, the HTML
// guide opens in a window of the program (HelpWindow).

#include <QString>
#include <QStringList>
#include <functional>

// The help file for the program in appDir: appDir\Miravo2.chm on Windows, where the
// viewer's command line is "hh.exe " and this path, unquoted even when it holds spaces;
// appDir/help/index.html elsewhere.
QString HelpFilePath(const QString& appDir, bool windows);

// Where the help file is looked for, first found first: HelpFilePath, then on systems
// other than Windows the guide of an installation, in share/miravo-link/help found from
// the program's bin folder.
QStringList HelpFileCandidates(const QString& appDir, bool windows);

// What starting the help needs from the platform; tests replace both.
struct HelpPlatform {
    std::function<bool(const QString& path)> fileExists;
    // Starts the viewer or browser for the file. failed() runs, at once or once the
    // launcher has given up (xdg-open's exit status), when it could not show the file.
    std::function<void(const QString& path, std::function<void()> failed)> open;
};

HelpPlatform SystemHelpPlatform();

// Starts the help for the program in appDir. Returns an empty string when the guide was
// found, else a Japanese message for the user. When the viewer or browser cannot show it,
// builtIn runs (at once or later) with the HTML guide to show in the program's own window.
QString StartHelp(const QString& appDir, const HelpPlatform& platform,
                  const std::function<void(const QString& guide)>& builtIn);
