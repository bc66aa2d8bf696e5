#include "interchange/ExportFormats.h"

#include "interchange/ExportedSignal.h"

#include <charconv>

namespace {

// 15 significant digits: all a double's decimal text can promise, and no noise such as
// 3.0000000000000004e-08 for the third sample of a 10 ns record.
char* number(char* p, double value)
{
    return std::to_chars(p, p + 32, value, std::chars_format::general, 15).ptr;
}

} // namespace

ExportBytes FormatSiCsv(const WaveRecord& record)
{
    const ExportedSignalOrProblem exported = ExportSignal(record);
    if (!exported.signal)
        return {{}, exported.problem};
    const ExportedSignal& signal = *exported.signal;

    std::string out = "time_s";
    for (int channel : signal.channels)
        out += ",ch" + std::to_string(channel) + "_V";
    out += '\n';
    const std::size_t start = out.size();
    out.resize(start + std::size_t(signal.points) * (signal.channels.size() + 1) * 33);
    char* p = out.data() + start;
    for (int i = 0; i < signal.points; ++i) {
        p = number(p, i * signal.secondsPerSample);
        for (int channel : signal.channels) {
            *p++ = ',';
            p = number(p, signal.volts(record, channel, i));
        }
        *p++ = '\n';
    }
    out.resize(std::size_t(p - out.data()));
    return {std::move(out), {}};
}
