#pragma once
// The bytes of each file for another program, built in memory from the record; writing
// them is ExportFile's job. Each returns the bytes, or a Japanese sentence (UTF-8) saying
// why the record cannot be written in that format.

#include <string>

struct WaveRecord;

struct ExportBytes {
    std::string bytes;
    std::string problem;   // empty when the bytes were made
};

// A sigrok session (a zip): "version" holding 2, "metadata" in the INI form sigrok writes
// (the rate rounded to whole hertz, the channels that are on as CH1/CH2) and one member
// "analog-1-K-1" per channel, float32 little-endian volts.
ExportBytes FormatSigrokSession(const WaveRecord& record);

// WAV, one 32-bit float track per channel that is on; full scale +-1.0 is +-128 counts (the
// top and bottom of the wave window). The title and the volts per division are the
// file's comment, the title also its name.
ExportBytes FormatWavAudio(const WaveRecord& record);

// UTF-8 text for spreadsheets and scripts: "time_s,ch1_V,ch2_V" (the channels that are
// on), then one line per sample, the time from the first sample and the volts, each with
// 15 significant digits.
ExportBytes FormatSiCsv(const WaveRecord& record);
