#pragma once
// The Save and Load buttons' file flows: the file dialog, the extension check and the
// messages. Both are silent when the dialog is cancelled.
//
// Main window wiring after LoadWaveFile returns true (the record then holds the file):
//   1. set Ch1Flag and Ch2Flag to record.Ch1On and record.Ch2On, running each box's
//      click handling when its value changes, as for a click by the user (a file may hold
//      other flag values than 0 and 1: treat any nonzero value as checked);
//   2. FitTimeAxis(), which also sets LengthFlag from LastIndex;
//   3. RefreshParameters();
//   4. RedrawWave().
// On false nothing changed: the record, the check boxes and the view stay as they were.

#include "core/WaveRecord.h"

#include <QString>

class Prompts;
class QWidget;

// Entries of both file dialogs, CSV first and selected at first: "*.CSV" and "*.RAW", and
// also the lower-case patterns where file names are case-sensitive.
QString WaveFileFilter();
// The Save dialog's entries: those two, then the exports for other programs: sigrok
// session, WAV and CSV in SI units.
QString WaveSaveFilter();
inline const QString kWaveLoadTitle = QStringLiteral("波形ファイルの読込");
inline const QString kWaveSaveTitle = QStringLiteral("ファイルのへの保存");

// Asks for a name (the save dialog asks before overwriting) and writes the record by the
// name's extension: CSV or RAW, or an export (.sr, .wav; a .csv given under the SI entry
// is the SI export). Another extension is refused with a warning and nothing is written;
// a failed or refused write is reported and leaves any earlier file intact. A title
// written with characters replaced is reported after the save.
void SaveWaveFile(QWidget* parent, Prompts& prompts, const WaveRecord& record);

// Asks for an existing file and reads it into the record by its extension. Returns true
// when the record now holds the file; false when the dialog was cancelled, the extension
// is neither CSV nor RAW, or the file could not be read (the last two with a message).
// note, when given, receives what to tell of a file read (for the status line).
bool LoadWaveFile(QWidget* parent, Prompts& prompts, WaveRecord& record, QString* note = nullptr);
// The same for a file already chosen: the extension check, the read and its messages.
bool LoadNamedWaveFile(QWidget* parent, Prompts& prompts, const QString& path, WaveRecord& record,
                       QString* note = nullptr);
