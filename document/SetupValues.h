#pragma once
// What the setup dialog shows for a record, and how its texts go back into the record.
// Kept apart from the widget so the conversions are tested without a window.

#include "core/WaveRecord.h"

#include <QDateTime>
#include <QString>
#include <optional>

// The texts and the check mark of the dialog's inputs.
struct SetupValues {
    QString title;
    QString sweep;          // seconds per division, engineering text
    QString volts[2];       // volts per division of CH1, CH2, engineering text
    QString offset[2];      // CH1, CH2 offset in divisions, plain number text
    QString delay;          // seconds, engineering text
    bool equSampling = false;

    bool operator==(const SetupValues&) const = default;
};

// Longest record (last index) that can have been taken by equivalent sampling.
inline constexpr int32_t kMaxEquSamplingLastIndex = 6000;

inline bool EquSamplingAvailable(int32_t lastIndex) { return lastIndex <= kMaxEquSamplingLastIndex; }

// An offset further from the centre than this never comes into view (the view shows
// about +-5 divisions); such a number is a typing slip.
inline constexpr float kMaxOffsetDivs = 1000.0f;

// An input the dialog refuses: which one, and why, as a sentence for the user.
struct SetupRefusal {
    enum class Field { Sweep, Volts1, Volts2, Offset1, Offset2 };
    Field field;
    QString message;
};

// Sweep and V/DIV must read as numbers above 0 and within float, the offsets as numbers
// within +-kMaxOffsetDivs: anything else gives plainly wrong times and voltages (a
// negative peak-to-peak). The first refused input in the dialog's order, if any.
std::optional<SetupRefusal> CheckSetupValues(const SetupValues& values);

// The inputs as they open for record.
SetupValues SetupValuesFromRecord(const WaveRecord& record);

// What a capture made without the dialog takes where nothing else is given: 1 ms/DIV,
// 2 V/DIV on CH1 and 500 mV/DIV on CH2, no offsets, no delay.
SetupValues DefaultCaptureSetup();

// The record's conditions for the next capture without the dialog; where the record has
// none (a time base or V/DIV of zero), the defaults.
SetupValues CaptureSetupFromRecord(const WaveRecord& record);

// Stores every input into record: numbers through ParseEng, offsets from divisions to counts.
void StoreSetupValues(const SetupValues& values, WaveRecord& record);

// "Data : 5120/Ch" for a last index of 5119.
QString DataLengthCaption(int32_t lastIndex);

// The title put in by the date-and-time button, "5-Dec-2026 22:05:05". Month names are the
// English abbreviations whatever the desktop's language: the title goes into waveform files
// that other machines read.
QString DateTimeTitle(const QDateTime& when);
