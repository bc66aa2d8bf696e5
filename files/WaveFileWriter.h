#pragma once
// Writing a waveform file: the whole text is built in memory before any file is touched.
//
// Every line ends in CR LF. Line 1 is the title; lines 2 to 5 the parameters, two values
// each; then one line per sample 0..LastIndex, a switched-off channel's column left empty.
// CSV writes the parameters as engineering text with their units, the offsets in divisions
// and each sample with its channel's offset added; RAW writes plain numbers, the offsets
// in counts and the samples as stored.

#include "files/WaveFileFormat.h"
#include "core/WaveRecord.h"

struct WaveFileText {
    std::string bytes;
    bool titleChanged = false;  // the title was written with characters replaced
};

// The title goes through encode. It is written plain, or as one quoted field when
// TitleNeedsQuotes says the plain form would not read back. A quoted field cannot hold a
// double quote, so there each one becomes the full-width "＂". Whatever the title, the
// waveform is written and reads back.
WaveFileText FormatWaveFile(const WaveRecord& record, WaveFileKind kind, TextEncoder encode);
