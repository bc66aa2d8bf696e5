#pragma once
// The two text layouts of a waveform file (CSV and RAW) and what reading or writing one
// can run into. Plain C++ on byte strings: the title's code page is handled by the
// TextDecoder/TextEncoder the caller passes in, so this core builds without Qt.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class WaveFileKind { Csv, Raw };

// The largest file read: the largest the program writes (103001 sample lines of two
// longest numbers, about 3.6 MB) with room for a long title. Reading stops there, so a
// refused file costs little memory and time.
inline constexpr std::size_t kMaxWaveFileBytes = 8 * 1024 * 1024;

// The kind chosen by a file name's extension ("wave.csv" -> Csv); nullopt for any other.
std::optional<WaveFileKind> WaveFileKindFor(std::string_view path);

// File bytes (code page 932) to UTF-8. Never fails: undecodable bytes become U+FFFD.
using TextDecoder = std::string (*)(std::string_view fileBytes);
// UTF-8 as file bytes. A character the file's code page lacks is written as one it has,
// and `changed` says so.
struct EncodedText {
    std::string bytes;
    bool changed = false;
};
using TextEncoder = EncodedText (*)(std::string_view utf8);

// Why a file could not be read. line is the 1-based file line where reading
// stopped (0 when no line applies).
struct WaveFileProblem {
    enum class Kind {
        None,
        EndInHeader,        // the file ends before the five header lines are complete
        EndInPair,          // the file ends between the two values of a sample
        UnclosedQuote,      // a quoted field has no closing quote
        NotANumber,         // a value that must be a number is something else
        OutOfRange,         // a number outside its field's range (16 bits for samples)
        NoSamples,          // no sample line after the header
        TooManySamples,     // more sample lines than the record can hold
    };
    Kind kind = Kind::None;
    int line = 0;

    bool operator==(const WaveFileProblem&) const = default;
};

// One sentence in Japanese (UTF-8) saying what went wrong, without file name or line.
std::string WaveFileProblemText(WaveFileProblem::Kind kind);

// Everything a waveform file holds, read and checked but not yet put into a record.
struct WaveFileContent {
    std::string Title;  // UTF-8
    float SecondsPerDiv = 0;
    float DelaySeconds = 0;
    int16_t Ch1On = 0;
    int16_t Ch2On = 0;
    float Ch1VoltsPerDiv = 0;
    float Ch2VoltsPerDiv = 0;
    float Ch1Offset = 0;  // counts
    float Ch2Offset = 0;
    std::vector<int16_t> samples;  // channel 1, channel 2, channel 1, ... (whole pairs)

    int pairCount() const { return int(samples.size() / 2); }
};

// A title is written as one quoted field when the plain form would not read back
// unchanged: it holds a comma or a line break, or starts with a space or a quote.
bool TitleNeedsQuotes(std::string_view title);
