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
class WaveDocument;
struct CliRequest;
struct WaveRecord;

// Reads IN into the document as the window's Load from a file does: the channel boxes
// follow the file, the view spans the record, the parameters are refreshed.
CliResult LoadWaveDocument(const QString& path, WaveDocument& document);

// Writes the record as the window's Save does, the format by the extension; a title
// written with characters replaced is noted.
CliResult SaveWaveRecord(const QString& path, const WaveRecord& record, CliConsole& console);

// The wave window's picture of the document (its view and check boxes) at the given size
// and colours.
QImage RenderWaveDocument(const WaveDocument& document, QSize size, const EnvSettings& settings);

// `stop` tells whether an interrupt arrived; the output is then not written.
CliResult ConvertWaveFile(const CliRequest& request, CliConsole& console, const std::function<bool()>& stop);
CliResult RenderWaveFile(const CliRequest& request, const EnvSettings& settings, CliConsole& console,
                         const std::function<bool()>& stop);
CliResult ShowWaveFileInfo(const CliRequest& request, CliConsole& console);
