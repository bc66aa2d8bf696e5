#pragma once
// Waveform files on disk. Only regular files are read or written (links followed): a
// device, a FIFO or a directory is refused without waiting and left untouched. A load
// reads and checks the whole file before it touches the record; a save writes beside the
// target and replaces it only once the new file is complete, so neither leaves a record
// or a file half done.

#include "files/WaveFileFormat.h"
#include "core/WaveRecord.h"

#include <QString>

struct WaveFileLoaded {
    QString failure;               // empty when the record holds the file
    QString note;                  // read, with something to tell (a last line without line end)
};

// Reads the file into the record (ApplyWaveFile). On failure a Japanese message naming
// the file and, for a bad content, the line; the record is then exactly as it was.
WaveFileLoaded ReadWaveFile(const QString& path, WaveFileKind kind, WaveRecord& record);
// A file named on the command line: the kind from its extension, then as ReadWaveFile,
// with a failure worded for a start (the file could not be opened).
WaveFileLoaded ReadStartWaveFile(const QString& path, WaveRecord& record);

// The last line of ReadWaveFile's message, for the window: a program without one leaves it out.
inline const QString kDisplayUnchanged = QStringLiteral("表示中の波形は変わっていません。");

struct WaveFileSaved {
    QString failure;            // empty when the file was written
    bool titleChanged = false;  // written, with characters of the title replaced
};

// Tells the user that a saved title was written with characters replaced.
inline const QString kTitleChangedNotice = QStringLiteral(
    "波形を保存しました。\nタイトルの一部の文字はファイルに書けないため、置き換えました"
    "（Shift-JIS にない文字は「?」、読み込みの妨げになる「\"」は「＂」）。");

// Writes the record to the file, replacing an existing one. On failure any earlier file
// of that name is intact and the message says why, a full disk included.
WaveFileSaved WriteWaveFile(const QString& path, WaveFileKind kind, const WaveRecord& record);
