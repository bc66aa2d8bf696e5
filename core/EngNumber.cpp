#include "core/EngNumber.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cmath>

namespace {

constexpr char kWriteLetters[] = "pnum kMGT";  // position 0 is 10^-12
constexpr int kLowestLetterPower = -12;
constexpr int kHighestLetterPower = 12;

// Exact powers of ten, enough for every exponent FormatEng scales by.
constexpr std::array<double, 15> kPowersOfTen{1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};

// A finite nonzero value rounded to seven significant digits: value = d.dddddd x 10^exponent.
struct SevenDigits {
    bool negative = false;
    std::array<char, 7> digits{};
    int exponent = 0;
};

SevenDigits sevenDigitsOf(float value)
{
    // "-d.dddddde-XX": to_chars rounds the exact binary value, so the digits are the
    // correctly rounded ones.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6).ptr;
    SevenDigits result;
    const char* p = buffer;
    if (*p == '-') {
        result.negative = true;
        ++p;
    }
    result.digits[0] = *p;
    p += 2;  // digit and point
    for (int i = 1; i < 7; ++i)
        result.digits[i] = *p++;
    ++p;  // 'e'
    if (*p == '+')
        ++p;
    std::from_chars(p, end, result.exponent);
    return result;
}

std::string nonFiniteText(float value)
{
    if (std::isnan(value))
        return "NaN";
    return value < 0 ? "-Inf" : "Inf";
}

// value written with exactly `decimals` decimals, rounded half away from zero on its
// seven-digit decimal form, so that a mantissa such as 1.0005 reads "1.001" as it shows.
std::string fixedText(float value, int decimals)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    std::string scaled;  // |value| x 10^decimals as an integer, most significant digit first
    bool negative = false;
    if (value != 0) {
        const SevenDigits d = sevenDigitsOf(value);
        negative = d.negative;
        const int kept = d.exponent + decimals + 1;  // digits with weight of at least 10^-decimals
        for (int i = 0; i < kept; ++i)
            scaled.push_back(i < 7 ? d.digits[i] : '0');
        const bool roundUp = kept >= 0 && kept < 7 && d.digits[kept] >= '5';
        if (roundUp) {
            int i = int(scaled.size()) - 1;
            while (i >= 0 && scaled[i] == '9')
                scaled[i--] = '0';
            if (i >= 0)
                ++scaled[i];
            else
                scaled.insert(scaled.begin(), '1');
        }
    }
    if (scaled.size() < std::size_t(decimals) + 1)
        scaled.insert(0, std::size_t(decimals) + 1 - scaled.size(), '0');
    if (scaled.find_first_not_of('0') == std::string::npos)
        negative = false;  // no "-0.000"
    if (decimals > 0)
        scaled.insert(scaled.size() - std::size_t(decimals), 1, '.');
    if (negative)
        scaled.insert(scaled.begin(), '-');
    return scaled;
}

// Decimals a display pattern asks for: the zeros after its point ("##0.000" -> 3).
int patternDecimals(std::string_view pattern)
{
    const auto point = pattern.find('.');
    if (point == std::string_view::npos)
        return 0;
    int decimals = 0;
    for (std::size_t i = point + 1; i < pattern.size() && pattern[i] == '0'; ++i)
        ++decimals;
    return decimals;
}

// Decimal exponent of value written as d.dd x 10^a, after the two-decimal rounding.
int twoDecimalExponent(float value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 2).ptr;
    const char* p = buffer;
    while (p != end && *p != 'e')
        ++p;
    if (p != end && p[1] == '+')
        ++p;
    int exponent = 0;
    std::from_chars(p + 1, end, exponent);
    return exponent;
}

int floorDiv3(int a) { return a >= 0 ? a / 3 : -((-a + 2) / 3); }

// Copy of the UTF-8 text with full-width ASCII forms (U+FF01..U+FF5E) and the
// ideographic space turned into ASCII, dropping every space.
std::string narrowedWithoutSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        char c = text[i];
        if (i + 2 < text.size() && (b0 == 0xEF || b0 == 0xE3)) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) {
                i += 2;
                continue;  // ideographic space
            }
            // U+FF01..U+FF3F is EF BC 81..BF, U+FF40..U+FF5E is EF BD 80..9E.
            if (b0 == 0xEF && b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) {
                c = char(b2 - 0x81 + 0x21);
                i += 2;
            } else if (b0 == 0xEF && b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {
                c = char(b2 - 0x80 + 0x60);
                i += 2;
            }
        }
        if (c != ' ')
            out.push_back(c);
    }
    return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number of text as a float: [sign] digits [. digits] [(E|e|D|d) [sign] digits].
// Magnitudes beyond the float range give the largest float with the sign, tiny ones 0.
float leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t mantissaStart = i;
    int integerDigits = 0;  // significant ones, leading zeros skipped
    bool seenNonZero = false;
    int leadingFractionZeros = 0;
    int digitCount = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digitCount) {
        seenNonZero = seenNonZero || text[i] != '0';
        integerDigits += seenNonZero;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && isDigit(text[i]); ++i, ++digitCount) {
            if (!seenNonZero && text[i] == '0')
                ++leadingFractionZeros;
            seenNonZero = seenNonZero || text[i] != '0';
        }
    }
    if (digitCount == 0)
        return 0;
    const std::size_t mantissaEnd = i;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        bool exponentNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponentNegative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j)
                exponent = std::min<long long>(exponent * 10 + (text[j] - '0'), INT_MAX);
            if (exponentNegative)
                exponent = -exponent;
        }
    }
    if (!seenNonZero)
        return negative ? -0.0f : 0.0f;
    // Decimal exponent of the first significant digit, as in d.ddd x 10^e.
    const long long magnitude = exponent + (integerDigits > 0 ? integerDigits - 1 : -leadingFractionZeros - 1);
    if (magnitude > FLT_MAX_10_EXP)
        return negative ? -FLT_MAX : FLT_MAX;
    if (magnitude < FLT_MIN_10_EXP - 10)
        return negative ? -0.0f : 0.0f;

    // from_chars takes neither "+" nor a "D" exponent: hand it the mantissa and the
    // exponent separately composed.
    char buffer[48];
    const std::string_view mantissa = text.substr(mantissaStart, mantissaEnd - mantissaStart);
    double parsed = 0;
    if (mantissa.size() + 16 < sizeof buffer) {
        char* out = buffer;
        for (char c : mantissa)
            *out++ = c;
        *out++ = 'e';
        out = std::to_chars(out, buffer + sizeof buffer, exponent).ptr;
        std::from_chars(buffer, out, parsed);
    } else {
        std::string composed(mantissa);
        composed += 'e';
        composed += std::to_string(exponent);
        std::from_chars(composed.data(), composed.data() + composed.size(), parsed);
    }
    if (parsed > FLT_MAX)
        parsed = FLT_MAX;
    return negative ? -float(parsed) : float(parsed);
}

double readingFactor(char letter)
{
    switch (letter) {
    case 'p': return 1e-12;
    case 'n': return 1e-9;
    case 'u': return 1e-6;
    case 'm': return 1e-3;
    case 'k': return 1e3;
    case 'M': return 1e6;
    case 'G': return 1e9;
    case 'T': return 1e12;
    default: return 1;
    }
}

} // namespace

std::string NumberText(float value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (value == 0)
        return "0";
    const SevenDigits d = sevenDigitsOf(value);
    int significant = 7;
    while (significant > 1 && d.digits[significant - 1] == '0')
        --significant;

    std::string text;
    if (d.negative)
        text.push_back('-');
    if (d.exponent >= -4 && d.exponent <= 6) {
        if (d.exponent < 0) {
            text += "0.";
            text.append(std::size_t(-d.exponent - 1), '0');
            text.append(d.digits.data(), std::size_t(significant));
        } else {
            const int integerDigits = d.exponent + 1;
            for (int i = 0; i < integerDigits; ++i)
                text.push_back(i < significant ? d.digits[i] : '0');
            if (significant > integerDigits) {
                text.push_back('.');
                text.append(d.digits.data() + integerDigits, std::size_t(significant - integerDigits));
            }
        }
        return text;
    }
    text.push_back(d.digits[0]);
    if (significant > 1) {
        text.push_back('.');
        text.append(d.digits.data() + 1, std::size_t(significant - 1));
    }
    text.push_back('E');
    text.push_back(d.exponent < 0 ? '-' : '+');
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
    if (magnitude < 10)
        text.push_back('0');
    char digits[8];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, magnitude).ptr);
    return text;
}

std::string FormatEng(float value, std::string_view pattern)
{
    if (!std::isfinite(value))
        return NumberText(value) + ' ';
    const int a = value == 0 ? 0 : twoDecimalExponent(value);
    const int k = floorDiv3(a);
    if (3 * k < kLowestLetterPower || 3 * k > kHighestLetterPower)
        return NumberText(value) + ' ';  // beyond the prefixes: the exponent form says it all

    const float m = float(a > 0 ? double(value) / kPowersOfTen[a] : double(value) * kPowersOfTen[-a]);
    const int d = a - 3 * k;
    // m x 10^d x 10^4 is exact in double, so nearbyint rounds halves to even exactly.
    const float n = float(std::nearbyint(double(m) * kPowersOfTen[d + 4]) / 1e4);
    const char letter = kWriteLetters[k + 4];
    std::string text = pattern.empty() ? NumberText(n) : fixedText(n, patternDecimals(pattern));
    text.push_back(letter);
    return text;
}

float ParseEng(std::string_view text)
{
    const std::string narrow = narrowedWithoutSpaces(text);
    const float v = leadingNumber(narrow);
    // The letter is found after as many characters (not bytes) as the number's general text has.
    std::size_t at = 0;
    for (std::size_t count = NumberText(v).size(); count > 0 && at < narrow.size(); --count) {
        ++at;
        while (at < narrow.size() && (static_cast<unsigned char>(narrow[at]) & 0xC0) == 0x80)
            ++at;
    }
    while (at < narrow.size() && (narrow[at] == '0' || narrow[at] == '.'))
        ++at;
    const double factor = at < narrow.size() ? readingFactor(narrow[at]) : 1.0;
    const double result = double(v) * factor;
    if (result > FLT_MAX)
        return FLT_MAX;
    if (result < -FLT_MAX)
        return -FLT_MAX;
    return float(result);
}

std::string FileExtension(std::string_view path)
{
    const auto first = path.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    path = path.substr(first, path.find_last_not_of(' ') - first + 1);
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(path.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return extension;
}
