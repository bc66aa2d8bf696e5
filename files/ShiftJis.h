#pragma once
// The code page of waveform-file titles: Microsoft's Shift-JIS (code page 932), whatever
// the desktop's locale, so files travel between this program and Japanese Windows systems.
// ASCII passes through unchanged without a converter.

#include "files/WaveFileFormat.h"

#include <string>
#include <string_view>

// False when this Qt build has no code page 932 converter; then only ASCII converts.
bool ShiftJisAvailable();

// Code page 932 bytes to UTF-8. Bytes that are not valid code page 932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932 as Windows writes it: "¥" (U+00A5) becomes the byte 0x5C, and a
// character the code page lacks (every non-ASCII one when there is no converter) becomes
// "?", with `changed` set.
EncodedText Utf8ToCp932(std::string_view utf8);
