#pragma once
// Reading a waveform file: the whole text is parsed and checked into a WaveFileContent
// first, and only a file read without fault is put into the record, so a bad file never
// leaves a record half replaced.
//
// The text is a stream of fields: a field ends at "," or at a line end (CR LF, LF or CR),
// spaces before it are skipped, and one that starts with a double quote runs to the next
// double quote (commas and line breaks included). Fields are taken one after another
// regardless of the lines they stand on. A number field is a decimal number; an empty one
// reads as 0. Blank lines and spaces at the very end of the file are ignored.

#include "files/WaveFileFormat.h"
#include "core/WaveRecord.h"

struct WaveFileRead {
    std::optional<WaveFileContent> content;  // set when the whole file was read
    WaveFileProblem problem;                 // why not, otherwise
    // Read, but the last line has no line end: every line is written with one, so the
    // file may have been cut short.
    bool lastLineUnended = false;
};

// CSV: title; seconds per division and delay as engineering text; each channel's flag as
// the 1-based position of "ON" in its field (0 without one); volts per division as
// engineering text; offsets in divisions (turned into counts); then per sample the
// displayed value in counts, from which the offset is taken away, rounded half to even.
// RAW: the same header as plain numbers with offsets in counts, then the stored samples.
// Refused: a file ending inside the header or a sample pair, a number field that is not a
// number or lies outside its range (samples: 16 bits; parameters: finite 32-bit floats),
// an unclosed quote, no sample line, or more sample lines than SampleTable holds.
WaveFileRead ParseWaveFile(std::string_view bytes, WaveFileKind kind, TextDecoder decode);

// Puts a parsed file into the record: the parameters, samples 0..pairCount()-1 of both
// channels (the samples beyond stay as they were), LastIndex = pairCount() - 1 and
// ParamsLocked = kTrue. FreshCapture becomes kFalse: the samples of a file are already
// free of offsets, so a pending offset removal from an earlier capture must not run on them.
void ApplyWaveFile(const WaveFileContent& content, WaveRecord& record);
