#pragma once
// The code page of waveform-file titles: Microsoft's Shift-JIS (code page 932), whatever
// the desktop's locale, so files travel between this program and Japanese Windows systems.
// ASCII passes through unchanged without a converter.

#include <optional>
#include <string>
#include <string_view>

// False when this Qt build has no code page 932 converter; then only ASCII converts.
bool ShiftJisAvailable();

// Code page 932 bytes to UTF-8. Bytes that are not valid code page 932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view bytes);

// UTF-8 to code page 932; nullopt when a character has no code page 932 form (or there is
// no converter and the text is not ASCII).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
