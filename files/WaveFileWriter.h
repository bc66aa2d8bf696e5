#pragma once
// Writing a waveform file: the whole text is built in memory, so a title that cannot be
// written is found before any file is touched.
//
// Every line ends in CR LF. Line 1 is the title; lines 2 to 5 the parameters, two values
// each; then one line per sample 0..LastIndex, a switched-off channel's column left empty.
// CSV writes the parameters as engineering text with their units, the offsets in divisions
// and each sample with its channel's offset added; RAW writes plain numbers, the offsets
// in counts and the samples as stored.

#include "files/WaveFileFormat.h"
#include "core/WaveRecord.h"

struct WaveFileText {
    std::string bytes;        // the file, when problem.kind is None
    WaveFileProblem problem;  // TitleNotEncodable or TitleHasQuote
};

// The title goes through encode. It is written plain, or as one quoted field when
// TitleNeedsQuotes says the plain form would not read back; a title that needs quotes but
// holds a double quote itself cannot be written either way and is refused.
WaveFileText FormatWaveFile(const WaveRecord& record, WaveFileKind kind, TextEncoder encode);
