#pragma once
// The columns of a log row: the time, the capture number, the status, then for each
// channel captured the measurements scripts and spreadsheets look at first.

#include "analysis/Measurement.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The measurements each channel contributes, in column order, with their column suffixes.
struct LogMeasurement {
    Measurement measurement;
    const char* column; // "maximum_V": the column is "ch1_maximum_V"
};
inline constexpr LogMeasurement kLogMeasurements[] = {
    {Measurement::Maximum, "maximum_V"},     {Measurement::Minimum, "minimum_V"},
    {Measurement::PeakToPeak, "peakToPeak_V"}, {Measurement::Mean, "mean_V"},
    {Measurement::Rms, "rms_V"},             {Measurement::Frequency, "frequency_Hz"},
    {Measurement::DutyCycle, "dutyCycle_percent"},
};

// The last column of a run judged against a reference: pass, fail, or empty where the
// capture failed or could not be compared with it.
inline constexpr char kLogReferenceColumn[] = "reference";

// time,capture,status, then chN_... for each channel given (1, 2 or both), then reference
// when the run is judged.
QStringList LogHeader(const QList<int>& channels, bool judged = false);

// The reference column's field for a verdict.
QString LogVerdictField(std::optional<bool> pass);

// 2026-12-07T10:15:02.123+09:00: milliseconds and the offset from UTC, also +00:00.
QString LogTime(const QDateTime& time);

// One row. measured holds one entry per channel of the header; an empty entry (a failed
// capture) leaves its columns empty, as does a value that is not defined.
QStringList LogRow(const QDateTime& time, qint64 capture, const QString& status,
                   const QList<std::optional<ChannelMeasurements>>& measured);
