#pragma once
// Runs miravo-cli (MIRAVO_CLI_PATH) in a folder as a script does, until it ends or a minute's
// watchdog ends it. With onTerminal its standard error is a pseudo-terminal; whileRunning is
// called every few milliseconds, e.g. to send a signal.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

struct CliRun {
    int status = -1;       // -1: ended by a signal it does not handle, or by the watchdog
    QByteArray out;
    QByteArray err;
    QByteArray terminal;   // standard error as a terminal received it
};

inline CliRun runCli(const QStringList& arguments, const QString& dir, const std::function<void(QProcess&)>& whileRunning = {},
                     bool onTerminal = false)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    const int master = onTerminal ? posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK) : -1;
    if (onTerminal) {
        grantpt(master);
        unlockpt(master);
        process.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
    }
    CliRun run;
    const auto drain = [&] {
        char buffer[4096];
        for (ssize_t got; master >= 0 && (got = read(master, buffer, sizeof buffer)) > 0;)
            run.terminal.append(buffer, got);
    };
    process.start(QStringLiteral(MIRAVO_CLI_PATH), arguments);
    const QDeadlineTimer watchdog(60000);
    while (!process.waitForFinished(10) && !watchdog.hasExpired()) {
        drain();
        if (whileRunning)
            whileRunning(process);
    }
    drain();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    if (master >= 0)
        close(master);
    return run;
}
