#pragma once
// Waveform files on disk. A load reads and checks the whole file before it touches the
// record; a save writes beside the target and replaces it only once the new file is
// complete, so neither leaves a record or a file half done.

#include "files/WaveFileFormat.h"
#include "core/WaveRecord.h"

#include <QString>

// Files larger than this are refused unread; a full record is about 3 MB.
inline constexpr qint64 kMaxWaveFileBytes = 64 * 1024 * 1024;

// Reads the file into the record (ApplyWaveFile). Returns an empty string on success,
// else a Japanese message naming the file and, for a bad content, the line; the record
// is then exactly as it was.
QString ReadWaveFile(const QString& path, WaveFileKind kind, WaveRecord& record);

// Writes the record to the file, replacing an existing one. Returns an empty string on
// success, else a Japanese message; any earlier file of that name is then intact.
QString WriteWaveFile(const QString& path, WaveFileKind kind, const WaveRecord& record);
