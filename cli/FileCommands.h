#pragma once
// The subcommands on waveform files: convert, render and info. Each reads its file as
// the window's Load from a file does and writes as its Save does; an output is written
// whole or not at all.

#include "cli/CliResult.h"
#include "core/EnvSettings.h"

#include <QString>
#include <functional>

class CliConsole;
struct CliRequest;
struct WaveRecord;

// Writes the record as the window's Save does, the format by the extension; a title
// written with characters replaced is noted.
CliResult SaveWaveRecord(const QString& path, const WaveRecord& record, CliConsole& console);

// `stop` tells whether an interrupt arrived; the output is then not written.
CliResult ConvertWaveFile(const CliRequest& request, CliConsole& console, const std::function<bool()>& stop);
CliResult RenderWaveFile(const CliRequest& request, const EnvSettings& settings, CliConsole& console,
                         const std::function<bool()>& stop);
CliResult ShowWaveFileInfo(const CliRequest& request, CliConsole& console);
