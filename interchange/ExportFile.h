#pragma once
// Files for other programs, written from the record: sigrok sessions (.sr), WAV audio and
// CSV in SI units. Export only: the instrument's CSV and RAW stay the files that load. A
// file is built whole in memory, then replaces the target in one step, as a waveform
// file is saved: a refused or failed export leaves nothing behind and any earlier file
// intact.

#include <QString>

#include <optional>
#include <string_view>

struct WaveRecord;

enum class ExportKind { SigrokSession, Wav, SiCsv };

// .sr and .wav by the name's extension, in any case; nullopt for any other. A .csv is the
// instrument's format unless SI units are asked for, which is the caller's choice.
std::optional<ExportKind> ExportKindFor(std::string_view path);

// Writes the record; an empty string when written, else a Japanese message naming the file.
QString WriteExportFile(const QString& path, ExportKind kind, const WaveRecord& record);
