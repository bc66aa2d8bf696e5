#pragma once
// The samples a measurement covers: the whole record, the samples between the window's
// two cursors, or those between two times given from outside.

#include <optional>

struct WaveRecord;

// Sample indices first..last, both included.
struct SampleWindow {
    int first = 0;
    int last = 0;

    bool operator==(const SampleWindow&) const = default;
};

// Samples 0..LastIndex (LastIndex kept inside the sample table).
SampleWindow WholeRecord(const WaveRecord& record);

// The samples at or after `from` and at or before `to`, in seconds from the first sample;
// an end not given is the record's. Empty when the record has no time base (and a time
// is given), when a time lies outside 0..the last sample's, or when from is after to or no
// sample lies between them.
std::optional<SampleWindow> WindowBetweenTimes(const WaveRecord& record, std::optional<double> from,
                                               std::optional<double> to);

// The samples between two positions (fractional sample indices, in either order), kept
// inside the record; empty when no sample lies between them.
std::optional<SampleWindow> WindowBetweenPositions(const WaveRecord& record, double a, double b);

// The record's seconds per sample when it is a usable time base (finite, above 0).
std::optional<double> SampleSeconds(const WaveRecord& record);
