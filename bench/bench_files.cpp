// Saving and loading a long two-channel record (102400 samples) as CSV and as RAW, through
// the program's file code and through a plain iostream version of the same layouts.
// Prints medians in ms (wall clock, and this thread's processor time, which a busy machine
// disturbs less) and the speed-ups over iostream. A save includes the flush to disk that
// QSaveFile makes before it replaces the target, which the plain version does not make;
// the text figure is the in-memory part of a save alone. Last, a sigrok session of the same
// record.

#include "core/EngNumber.h"
#include "files/ShiftJis.h"
#include "files/WaveFileStore.h"
#include "files/WaveFileWriter.h"
#include "interchange/ExportFile.h"

#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 15;

WaveRecord longRecord()
{
    WaveRecord r;
    r.Title = "bench";
    r.SecondsPerDiv = 0.01f;
    r.Ch1VoltsPerDiv = 0.5f;
    r.Ch2VoltsPerDiv = 2;
    r.Ch1Offset = 12.5f;
    r.Ch2Offset = -37.5f;
    r.LastIndex = 102399;
    for (int i = 0; i <= r.LastIndex; ++i) {
        r.Samples(1, i) = int16_t(std::lround(100 * std::sin(i * 0.01)) + (i * 7919) % 5 - 2);
        r.Samples(2, i) = int16_t((i / 500) % 2 == 0 ? 80 : -80);
    }
    return r;
}

struct Timing {
    double wallMs;
    double cpuMs;  // this thread's processor time: what the work costs on a busy machine
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

Timing measure(const std::function<void()>& work)
{
    work();  // warm the caches and the file system
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < kRuns; ++i) {
        const double cpuStart = threadCpuMs();
        const auto start = std::chrono::steady_clock::now();
        work();
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    return {median(wall), median(cpu)};
}

void print(const char* name, double value, const char* unit)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
    std::printf("%s: %.*s %s\n", name, int(end - text), text, unit);
}

// The same layouts written and read the plain way: an ofstream with operator<<, and
// getline with a string stream per field.
void saveWithIostream(const std::string& path, const WaveRecord& r, bool csv)
{
    std::ofstream out(path, std::ios::binary);
    out << std::setprecision(7) << r.Title << "\r\n";
    if (csv) {
        out << FormatEng(r.SecondsPerDiv) << "s/DIV," << FormatEng(r.DelaySeconds) << "s\r\n";
        out << (r.Ch1On ? "ON" : "OFF") << ',' << (r.Ch2On ? "ON" : "OFF") << "\r\n";
        out << FormatEng(r.Ch1VoltsPerDiv) << "V/DIV," << FormatEng(r.Ch2VoltsPerDiv) << "V/DIV\r\n";
        out << r.Ch1Offset / 25 << "DIV," << r.Ch2Offset / 25 << "DIV\r\n";
        for (int i = 0; i <= r.LastIndex; ++i)
            out << r.Samples(1, i) + r.Ch1Offset << ',' << r.Samples(2, i) + r.Ch2Offset << "\r\n";
    } else {
        out << r.SecondsPerDiv << ',' << r.DelaySeconds << "\r\n" << r.Ch1On << ',' << r.Ch2On << "\r\n";
        out << r.Ch1VoltsPerDiv << ',' << r.Ch2VoltsPerDiv << "\r\n" << r.Ch1Offset << ',' << r.Ch2Offset << "\r\n";
        for (int i = 0; i <= r.LastIndex; ++i)
            out << r.Samples(1, i) << ',' << r.Samples(2, i) << "\r\n";
    }
}

void loadWithIostream(const std::string& path, WaveRecord& r, bool csv)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, r.Title);
    std::vector<std::string> header;
    for (int i = 0; i < 4 && std::getline(in, line); ++i) {
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            header.push_back(field);
    }
    const float offset1 = csv ? ParseEng(header[6]) * 25 : std::stof(header[6]);
    const float offset2 = csv ? ParseEng(header[7]) * 25 : std::stof(header[7]);
    int i = 0;
    while (std::getline(in, line) && i <= SampleTable::kMaxSampleIndex) {
        std::istringstream fields(line);
        std::string field;
        for (int channel = 1; channel <= 2 && std::getline(fields, field, ','); ++channel) {
            float value = 0;
            std::istringstream(field) >> value;
            r.Samples(channel, i) = int16_t(csv ? std::nearbyint(value - (channel == 1 ? offset1 : offset2)) : value);
        }
        ++i;
    }
    r.LastIndex = i - 1;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const WaveRecord record = longRecord();
    WaveRecord loaded;

    for (const bool csv : {true, false}) {
        const WaveFileKind kind = csv ? WaveFileKind::Csv : WaveFileKind::Raw;
        const QString path = dir.filePath(csv ? QStringLiteral("bench.csv") : QStringLiteral("bench.raw"));
        const std::string plainPath = dir.filePath(csv ? QStringLiteral("plain.csv") : QStringLiteral("plain.raw")).toStdString();

        const Timing text = measure([&] { FormatWaveFile(record, kind, Utf8ToCp932); });
        const Timing save = measure([&] { WriteWaveFile(path, kind, record); });
        const Timing load = measure([&] { ReadWaveFile(path, kind, loaded); });
        const Timing plainSave = measure([&] { saveWithIostream(plainPath, record, csv); });
        const Timing plainLoad = measure([&] { loadWithIostream(plainPath, loaded, csv); });

        const std::string prefix = csv ? "files-csv-" : "files-raw-";
        const auto figure = [&](const char* name, double value, const char* unit) {
            print((prefix + name).c_str(), value, unit);
        };
        figure("save-ms", save.wallMs, "ms");
        figure("load-ms", load.wallMs, "ms");
        figure("save-cpu-ms", save.cpuMs, "ms");
        figure("load-cpu-ms", load.cpuMs, "ms");
        figure("text-cpu-ms", text.cpuMs, "ms");
        figure("save-iostream-ms", plainSave.wallMs, "ms");
        figure("load-iostream-ms", plainLoad.wallMs, "ms");
        figure("save-speedup-vs-iostream", plainSave.wallMs / save.wallMs, "x");
        figure("load-speedup-vs-iostream", plainLoad.wallMs / load.wallMs, "x");
        figure("save-cpu-speedup-vs-iostream", plainSave.cpuMs / save.cpuMs, "x");
        figure("load-cpu-speedup-vs-iostream", plainLoad.cpuMs / load.cpuMs, "x");
    }

    // A sigrok session of both channels, written as Save writes it (zip built in memory,
    // then the atomic replace with its flush).
    WaveRecord timed = record;
    timed.SecondsPerSample = 1e-7f;
    const QString session = dir.filePath(QStringLiteral("bench.sr"));
    const Timing sr = measure([&] { WriteExportFile(session, ExportKind::SigrokSession, timed); });
    print("sr-save-2x102400-ms", sr.wallMs, "ms");
    print("sr-save-2x102400-cpu-ms", sr.cpuMs, "ms");
    return 0;
}
