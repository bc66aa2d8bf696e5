// Logging: the trend chart's redraw over 100 000 rows, and what a log row adds to each
// capture: miravo-cli log against miravo-cli capture --repeat, the same captures from
// miravo-sim paced at 115200 baud.

#include "core/EnvSettings.h"
#include "logger/TrendScene.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCaptures = 4;

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double trendRedrawMs()
{
    std::vector<TrendPoint> points;
    for (int i = 0; i < 100000; ++i)
        points.push_back({i * 10.0, i % 5000 == 4999 ? std::nullopt : std::optional<double>(std::sin(i * 0.001) + (i % 7) * 0.01)});
    QImage image(800, 300, QImage::Format_RGB32);
    std::vector<double> ms;
    for (int run = 0; run < 21; ++run) {
        const auto start = Clock::now();
        image.fill(Qt::white);
        QPainter painter(&image);
        const auto range = TrendValueRange(points);
        for (const TrendLine& l : TrendLines(points, points.back().seconds, *range, image.width(), image.height()))
            painter.drawLine(l.x1, l.y1, l.x2, l.y2);
        painter.end();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return median(ms);
}

// Seconds the run of miravo-cli took, or a negative value when it failed.
double runCli(const QString& dir, const QString& device, const QStringList& arguments)
{
    QProcess cli;
    cli.setWorkingDirectory(dir);
    const auto start = Clock::now();
    cli.start(QStringLiteral(MIRAVO_CLI_PATH), QStringList{QStringLiteral("--port"), device, QStringLiteral("--quiet")} + arguments);
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0) {
        std::fprintf(stderr, "bench_logger: %s\n", cli.readAllStandardError().constData());
        return -1;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("trend-redraw-100k-ms: %.2f ms\n", trendRedrawMs());

    QTemporaryDir dir;
    EnvSettings settings;
    settings.Com[0] = 0; // 115200 baud
    const auto bytes = EncodeSettings(settings);
    QFile settingsFile(dir.filePath(QStringLiteral("MV_UTL.ENV")));
    if (!settingsFile.open(QIODevice::WriteOnly)
        || settingsFile.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        return 1;
    settingsFile.close();
    QProcess sim;
    sim.start(QStringLiteral(MIRAVO_SIM_PATH), {QStringLiteral("--pace")});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000))
        return 1;
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    const QString count = QString::number(kCaptures);
    const double capture = runCli(dir.path(), device,
                                  {QStringLiteral("capture"), QStringLiteral("--repeat"), count, QStringLiteral("--out"), QStringLiteral("w.CSV")});
    const double log = runCli(dir.path(), device,
                              {QStringLiteral("log"), QStringLiteral("--count"), count, QStringLiteral("--out"), QStringLiteral("log.csv")});
    sim.terminate();
    sim.waitForFinished();
    if (capture <= 0 || log <= 0)
        return 1;
    std::printf("log-overhead-ratio: %.4f ratio\n", log / capture);
    return 0;
}
