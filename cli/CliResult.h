#pragma once
// How a miravo-cli command ends: its exit status and, when it failed, the one line to
// show on standard error.

#include <QString>

enum CliStatus : int {
    kCliDone = 0,
    kCliUsage = 1,
    kCliLinkFailed = 2,   // the instrument link failed or a wait ran out of time
    kCliFileFailed = 3,
    kCliOutside = 4,      // compare: a point lies outside the tolerance
    kCliInterrupted = 130,
};

struct CliResult {
    int status = kCliDone;
    QString message;

    bool ok() const { return status == kCliDone; }
};

inline CliResult Interrupted(int filesDone = 0)
{
    return {kCliInterrupted, filesDone > 0 ? QStringLiteral("中断しました。保存を終えた %1 個のファイルは残っています。").arg(filesDone)
                                           : QStringLiteral("中断しました。")};
}
