#pragma once
// The subcommands on waveform files (convert, render, info, spectrum; CommandHandlers.h) read
// their file as the window's Load from a file does and write as its Save does; an output
// is written whole or not at all.

#include "cli/CliResult.h"

#include <QString>

class CliConsole;
class WaveDocument;
struct WaveRecord;

// Reads the file into the document as the window's Load from a file does: the channel
// boxes follow the file, the view spans the record, the parameters are refreshed. A file
// whose last line has no line end (it may have been cut short) is read and noted.
CliResult LoadWaveDocument(const QString& path, WaveDocument& document, CliConsole& console);

// Writes the record as the window's Save does, the format by the extension; a title
// written with characters replaced is noted.
CliResult SaveWaveRecord(const QString& path, const WaveRecord& record, CliConsole& console);

// Whether path is a place a file can be written: its folder exists and may be written
// into, and nothing but a regular file is there. Checked before any work, so that a
// capture is not refused after its transfer (status 3, naming the place).
CliResult CheckOutputPlace(const QString& path);
