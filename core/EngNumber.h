#pragma once
// Engineering-number text: a mantissa followed by one SI prefix letter of "pnum kMGT"
// (a space standing for no prefix), used for every time, voltage and frequency the
// program shows or stores. All texts are UTF-8; nothing here depends on the C locale.

#include <cstdint>
#include <string>
#include <string_view>

// General decimal text of a single-precision value: 7 significant digits, plain
// notation for decimal exponents -4..6 ("0.0015", "333.3333"), else "1.234568E+07";
// "NaN", "Inf" and "-Inf" for the non-finite values.
std::string NumberText(float value);

// Engineering text of value. An empty pattern writes the mantissa with NumberText;
// "##0.000" and "##0.00" write it with exactly three or two decimals. The prefix
// letter is always present ("5 ", "500m"). Beyond the prefixes (below 1e-12, from 1e15)
// and for NaN or infinities the text is NumberText(value) and a space ("1E-13 ").
std::string FormatEng(float value, std::string_view pattern = {});

// Reads engineering text back ("500m" -> 0.5, "2.000m" -> 0.002, "５００ｍ" -> 0.5).
// A text without a leading number gives 0. The result is always finite: magnitudes
// beyond the float range give the largest float with the sign.
float ParseEng(std::string_view text);

// Upper-case extension after the last "." of the trimmed path, or empty.
std::string FileExtension(std::string_view path);

// A received byte read as a two's-complement value: 0x80 -> -128, 0xFF -> -1.
constexpr int16_t SignedByte(uint8_t b) { return b < 128 ? int16_t(b) : int16_t(int(b) - 256); }
