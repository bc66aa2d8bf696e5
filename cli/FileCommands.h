#pragma once
// The subcommands on waveform files: convert, render and info. Each reads its file as
// the window's Load from a file does and writes as its Save does; an output is written
// whole or not at all.

#include "cli/CliResult.h"
#include "core/EnvSettings.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

class CliConsole;
struct CliRequest;
struct WaveRecord;

// Reads IN into record and refreshes it as the window does after a load (channel boxes
// from the file, LONG from the length, the seconds per sample).
CliResult LoadWaveRecord(const QString& path, WaveRecord& record);

// The wave window's picture of a loaded record at the given size and colours.
QImage RenderWaveRecord(const WaveRecord& record, QSize size, const EnvSettings& settings, bool grid, bool base,
                        bool dots);

// `stop` tells whether an interrupt arrived; the output is then not written.
CliResult ConvertWaveFile(const CliRequest& request, const std::function<bool()>& stop);
CliResult RenderWaveFile(const CliRequest& request, const EnvSettings& settings, CliConsole& console,
                         const std::function<bool()>& stop);
CliResult ShowWaveFileInfo(const CliRequest& request, CliConsole& console);
