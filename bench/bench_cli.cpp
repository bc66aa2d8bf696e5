// miravo-cli capturing both channels of 102400 points at 115200 baud from miravo-sim
// pacing its output at the line speed: the whole run of the program, from its start to
// the file on disk, against the time the instrument needs to send it.

#include "core/EnvSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kPoints = 102400;
constexpr int kBaud = 115200;
// What the instrument sends for both channels: five ACKs, the header and the block each.
constexpr double kLineSeconds = 2 * (5 + 10 + kPoints) * 10.0 / kBaud;

int fail(const char* what)
{
    std::fprintf(stderr, "bench_cli: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    EnvSettings settings;
    settings.Com[0] = 0; // 115200 baud
    const auto bytes = EncodeSettings(settings);
    QFile settingsFile(dir.filePath(QStringLiteral("MV_UTL.ENV")));
    if (!settingsFile.open(QIODevice::WriteOnly) ||
        settingsFile.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        return fail("could not write the settings file");
    settingsFile.close();

    QProcess sim;
    sim.start(QStringLiteral(MIRAVO_SIM_PATH), {QStringLiteral("--pace")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000))
        return fail("miravo-sim did not start");
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    QProcess cli;
    cli.setWorkingDirectory(dir.path());
    const auto wallBefore = std::chrono::steady_clock::now();
    cli.start(QStringLiteral(MIRAVO_CLI_PATH), {QStringLiteral("--port"), device, QStringLiteral("--quiet"),
                                                QStringLiteral("capture"), QStringLiteral("--long"),
                                                QStringLiteral("--out"), QStringLiteral("wave.CSV")});
    const bool finished = cli.waitForFinished(120000);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    sim.terminate();
    sim.waitForFinished();
    if (!finished || cli.exitCode() != 0 || !QFile::exists(dir.filePath(QStringLiteral("wave.CSV"))))
        return fail(cli.readAllStandardError().constData());

    std::printf("cli-capture-wall-s: %.3f s\n", wall);
    std::printf("cli-capture-wall-over-line: %.4f ratio\n", wall / kLineSeconds);
    return 0;
}
