// A 102400-point download at 115200 baud from miravo-sim pacing its output at the line
// speed: how close the transfer keeps to the line, and how little CPU the program spends.

#include "link/InstrumentLink.h"

#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kPoints = 102400;
constexpr int kBaud = 115200;
// What the instrument sends for one download: five ACKs, the header and the block.
constexpr double kLineSeconds = (5 + 10 + kPoints) * 10.0 / kBaud;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int fail(const char* what)
{
    std::fprintf(stderr, "bench_download: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QProcess sim;
    sim.start(QStringLiteral(MIRAVO_SIM_PATH), {QStringLiteral("--pace")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000))
        return fail("miravo-sim did not start");
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    InstrumentLink link;
    EnvSettings settings;
    settings.Com[0] = 0; // 115200 baud
    bool ok = false;
    QObject::connect(&link, &InstrumentLink::jobFinished, &app, [&](LinkJob, JobResult result) {
        ok = result == JobResult::Succeeded;
        app.quit();
    });
    QObject::connect(&link, &InstrumentLink::jobFailed, &app,
                     [](LinkJob, const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
    link.applySettings(settings, device);
    app.exec();
    if (!ok)
        return fail("could not open the simulator's line");

    qsizetype received = 0;
    QObject::connect(&link, &InstrumentLink::channelDownloaded, &app,
                     [&](int, const QByteArray& bytes) { received = bytes.size(); });
    const double cpuBefore = cpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    link.downloadChannel(1, kPoints);
    app.exec();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = cpuSeconds() - cpuBefore;
    link.shutdown();
    sim.terminate();
    sim.waitForFinished();
    if (!ok || received != kPoints)
        return fail("the download failed");

    std::printf("download-wall-s: %.3f s\n", wall);
    std::printf("download-wall-over-line: %.4f ratio\n", wall / kLineSeconds);
    std::printf("download-cpu-over-wall: %.4f ratio\n", cpu / wall);
    return 0;
}
