#pragma once
// The record side of RefreshParameters: the seconds per sample with its floors, the
// one-time removal of the offsets from a fresh capture, and the volts-per-division
// captions. The widget adds the cursor reset and the labels.

#include <string>

struct WaveRecord;

// SecondsPerDiv over 500 (normal record) or 10000 (LONG), raised to the floors: 2e-9,
// with 5e-9 on a long record handled as 1e-8; 4e-11 with equivalent sampling.
float SecondsPerSampleFor(float secondsPerDiv, bool longRecord, bool equSampling);

// Subtracts each checked channel's offset from its samples 0..LastIndex, rounding ties to
// even, while the record is a fresh capture; then it no longer is.
void RemoveCaptureOffsets(WaveRecord& record, bool channel1, bool channel2);

// A refresh of the record: the time per sample from the sweep time and the one-time offset
// removal, with the check-box values of LONG and the channels. Returns false, changing
// nothing, while the record has no sweep time.
bool RefreshRecord(WaveRecord& record, int lengthFlag, int ch1Flag, int ch2Flag);

// "CH1 500mV/DIV", "CH2 2 V/DIV".
std::string VoltsPerDivCaption(int channel, float voltsPerDiv);
