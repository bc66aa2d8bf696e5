#pragma once
// What every export carries of the record: the channels that are on, samples 0..LastIndex
// as stored (the display offsets are left out) and the time and volts they stand for.

#include "core/WaveRecord.h"

#include <optional>
#include <string>
#include <vector>

struct ExportedSignal {
    std::vector<int> channels;     // 1 and/or 2, in order
    int points = 0;
    double secondsPerSample = 0;   // the stored value as its shortest decimal text reads
    double voltsPerCount[3] = {};  // by channel; 25 counts a division

    double volts(const WaveRecord& record, int channel, int index) const
    {
        return record.Samples(channel, index) * voltsPerCount[channel];
    }
};

// The signal, or a Japanese sentence (UTF-8) saying why the record cannot be exported:
// no time base, or no channel on.
struct ExportedSignalOrProblem {
    std::optional<ExportedSignal> signal;
    std::string problem;
};
ExportedSignalOrProblem ExportSignal(const WaveRecord& record);

// The sample rate rounded to whole hertz, which is how sigrok and WAV store it; nullopt
// below 1 Hz.
std::optional<unsigned long long> WholeSampleRate(const ExportedSignal& signal);

// A stored single-precision value as the number its shortest text shows: 0.002f is
// 0.002, not 0.0020000000949949026.
double DecimalValue(float value);
