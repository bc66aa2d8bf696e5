#pragma once
// The subcommands on waveform files (convert, render and info; CommandHandlers.h) read
// their file as the window's Load from a file does and write as its Save does; an output
// is written whole or not at all.

#include "cli/CliResult.h"

#include <QString>

class CliConsole;
struct WaveRecord;

// Writes the record as the window's Save does, the format by the extension; a title
// written with characters replaced is noted.
CliResult SaveWaveRecord(const QString& path, const WaveRecord& record, CliConsole& console);
