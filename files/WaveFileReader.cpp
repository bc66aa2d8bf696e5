#include "files/WaveFileReader.h"

#include "core/EngNumber.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cctype>
#include <cmath>

namespace {

using Kind = WaveFileProblem::Kind;

constexpr bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view withoutTrailingBlanks(std::string_view bytes)
{
    // Blank lines, spaces and a DOS end-of-file mark after the last value carry nothing.
    const std::size_t last = bytes.find_last_not_of(" \t\r\n\x1a");
    return bytes.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

int lineEndsIn(std::string_view text)
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++count;
    }
    return count;
}

class FieldStream {
public:
    explicit FieldStream(std::string_view bytes) : m_data(withoutTrailingBlanks(bytes)) {}

    // A "," always has a field after it, even at the very end ("12," ends with an empty one).
    bool atEnd() const { return m_pos >= m_data.size() && !m_afterComma; }
    std::size_t bytesLeft() const { return m_data.size() - m_pos; }
    // Line of the field read last, or of the end of the file.
    int line() const { return m_fieldLine; }
    bool unclosedQuote() const { return m_unclosedQuote; }

    // False at the end of the file or at an unclosed quote.
    bool next(std::string_view& field)
    {
        m_fieldLine = m_line;
        if (atEnd())
            return false;
        const std::size_t size = m_data.size();
        while (m_pos < size && m_data[m_pos] == ' ')
            ++m_pos;
        if (m_pos < size && m_data[m_pos] == '"') {
            const std::size_t close = m_data.find('"', m_pos + 1);
            if (close == std::string_view::npos) {
                m_unclosedQuote = true;
                return false;
            }
            field = m_data.substr(m_pos + 1, close - m_pos - 1);
            m_line += lineEndsIn(field);
            m_pos = close + 1;
            // Whatever stands between the closing quote and the delimiter is not part of the field.
            while (m_pos < size && m_data[m_pos] != ',' && !isLineEnd(m_data[m_pos]))
                ++m_pos;
        } else {
            std::size_t end = m_pos;
            while (end < size && m_data[end] != ',' && !isLineEnd(m_data[end]))
                ++end;
            field = m_data.substr(m_pos, end - m_pos);
            m_pos = end;
        }
        consumeDelimiter();
        return true;
    }

private:
    void consumeDelimiter()
    {
        m_afterComma = false;
        if (m_pos >= m_data.size())
            return;
        const char c = m_data[m_pos++];
        if (c == ',') {
            m_afterComma = true;
            return;
        }
        if (c == '\r' && m_pos < m_data.size() && m_data[m_pos] == '\n')
            ++m_pos;
        ++m_line;
    }

    std::string_view m_data;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_fieldLine = 1;
    bool m_afterComma = false;
    bool m_unclosedQuote = false;
};

std::string_view trimmed(std::string_view field)
{
    const std::size_t first = field.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return field.substr(first, field.find_last_not_of(" \t") - first + 1);
}

// "[-]digits[.digits]" with at most 2^24 as its digits: one exact float division of two
// exactly held values, so correctly rounded like from_chars, and several times faster on
// the sample lines that make up nearly all of a CSV file.
bool shortDecimal(std::string_view text, float& value)
{
    static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const bool negative = !text.empty() && text.front() == '-';
    uint32_t digits = 0;
    int count = 0;
    int decimals = -1;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++count > 9)
                return false;
            digits = digits * 10 + uint32_t(c - '0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (count == 0 || digits > (1u << 24) || decimals > 10)
        return false;
    value = float(digits) / kPowersOfTen[std::max(decimals, 0)];
    if (negative)
        value = -value;
    return true;
}

// A decimal number filling the whole field: optional sign, digits, point, exponent.
// No "inf", "nan" or hexadecimal. Empty reads as 0.
template <typename T>
Kind parseDecimal(std::string_view field, T& value)
{
    field = trimmed(field);
    if (field.empty()) {
        value = 0;
        return Kind::None;
    }
    if (field.front() == '+')
        field.remove_prefix(1);
    const std::size_t digit = !field.empty() && field.front() == '-' ? 1 : 0;
    if (digit >= field.size() || !(std::isdigit(static_cast<unsigned char>(field[digit])) || field[digit] == '.'))
        return Kind::NotANumber;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error == std::errc::result_out_of_range)
        return Kind::OutOfRange;
    if (error != std::errc() || end != field.data() + field.size())
        return Kind::NotANumber;
    return Kind::None;
}

// A 16-bit value: integer text directly, any other decimal number rounded half to even.
Kind parseInt16(std::string_view field, int16_t& value)
{
    int whole = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), whole);
    if (error == std::errc() && end == field.data() + field.size()) {
        if (whole < -32768 || whole > 32767)
            return Kind::OutOfRange;
        value = int16_t(whole);
        return Kind::None;
    }
    double number = 0;
    if (const Kind problem = parseDecimal(field, number); problem != Kind::None)
        return problem;
    const double rounded = std::nearbyint(number);
    if (!(rounded >= -32768 && rounded <= 32767))
        return Kind::OutOfRange;
    value = int16_t(rounded);
    return Kind::None;
}

// A displayed CSV sample back to its stored value: minus the offset, half to even.
Kind parseCsvSample(std::string_view field, float offset, int16_t& value)
{
    float number = 0;
    if (!shortDecimal(field, number)) {
        if (const Kind problem = parseDecimal(field, number); problem != Kind::None)
            return problem;
    }
    const float rounded = std::nearbyint(number - offset);
    if (!(rounded >= -32768.0f && rounded <= 32767.0f))
        return Kind::OutOfRange;
    value = int16_t(rounded);
    return Kind::None;
}

class HeaderReader {
public:
    HeaderReader(FieldStream& fields, TextDecoder decode) : m_fields(fields), m_decode(decode) {}

    WaveFileProblem problem() const { return m_problem; }

    // The next field as UTF-8 text.
    bool text(std::string& out)
    {
        std::string_view field;
        if (!take(field))
            return false;
        out = isAscii(field) ? std::string(field) : m_decode(field);
        return true;
    }

    bool engineering(float& out, float factor = 1)
    {
        std::string field;
        if (!text(field))
            return false;
        out = ParseEng(field) * factor;
        return finite(out);
    }

    bool decimal(float& out)
    {
        std::string_view field;
        return take(field) && check(parseDecimal(field, out)) && finite(out);
    }

    bool integer(int16_t& out)
    {
        std::string_view field;
        return take(field) && check(parseInt16(field, out));
    }

    // The 1-based character position of "ON" in the field, 0 when there is none.
    bool onPosition(int16_t& out)
    {
        std::string field;
        if (!text(field))
            return false;
        const std::size_t at = field.find("ON");
        if (at == std::string::npos) {
            out = 0;
            return true;
        }
        const auto characters = std::count_if(field.begin(), field.begin() + std::ptrdiff_t(at),
                                              [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
        if (characters >= 32767)
            return check(Kind::OutOfRange);
        out = int16_t(characters + 1);
        return true;
    }

private:
    bool take(std::string_view& field)
    {
        if (m_fields.next(field))
            return true;
        return check(m_fields.unclosedQuote() ? Kind::UnclosedQuote : Kind::EndInHeader);
    }

    bool check(Kind kind)
    {
        if (kind == Kind::None)
            return true;
        m_problem = {kind, m_fields.line()};
        return false;
    }

    bool finite(float value) { return std::isfinite(value) || check(Kind::OutOfRange); }

    FieldStream& m_fields;
    TextDecoder m_decode;
    WaveFileProblem m_problem;
};

bool readCsvHeader(HeaderReader& in, WaveFileContent& c)
{
    return in.text(c.Title) && in.engineering(c.SecondsPerDiv) && in.engineering(c.DelaySeconds)
        && in.onPosition(c.Ch1On) && in.onPosition(c.Ch2On) && in.engineering(c.Ch1VoltsPerDiv)
        && in.engineering(c.Ch2VoltsPerDiv) && in.engineering(c.Ch1Offset, 25) && in.engineering(c.Ch2Offset, 25);
}

bool readRawHeader(HeaderReader& in, WaveFileContent& c)
{
    return in.text(c.Title) && in.decimal(c.SecondsPerDiv) && in.decimal(c.DelaySeconds) && in.integer(c.Ch1On)
        && in.integer(c.Ch2On) && in.decimal(c.Ch1VoltsPerDiv) && in.decimal(c.Ch2VoltsPerDiv)
        && in.decimal(c.Ch1Offset) && in.decimal(c.Ch2Offset);
}

WaveFileRead failed(Kind kind, int line) { return {std::nullopt, {kind, line}}; }

} // namespace

WaveFileRead ParseWaveFile(std::string_view bytes, WaveFileKind kind, TextDecoder decode)
{
    FieldStream fields(bytes);
    WaveFileContent content;
    HeaderReader header(fields, decode);
    if (!(kind == WaveFileKind::Csv ? readCsvHeader(header, content) : readRawHeader(header, content)))
        return {std::nullopt, header.problem()};

    // The shortest sample line is ",\r\n": enough room for every line left, without regrowing.
    const std::size_t lines = std::min<std::size_t>(SampleTable::kCapacity, fields.bytesLeft() / 3 + 1);
    content.samples.reserve(2 * lines);
    std::string_view field;
    int16_t values[2] = {0, 0};
    const auto sample = [&](int channel) {
        return kind == WaveFileKind::Csv
                   ? parseCsvSample(field, channel == 1 ? content.Ch1Offset : content.Ch2Offset, values[channel - 1])
                   : parseInt16(field, values[channel - 1]);
    };
    while (!fields.atEnd()) {
        if (!fields.next(field))
            return failed(Kind::UnclosedQuote, fields.line());
        if (content.pairCount() == SampleTable::kCapacity)
            return failed(Kind::TooManySamples, fields.line());
        if (const Kind problem = sample(1); problem != Kind::None)
            return failed(problem, fields.line());
        if (!fields.next(field))
            return failed(fields.unclosedQuote() ? Kind::UnclosedQuote : Kind::EndInPair, fields.line());
        if (const Kind problem = sample(2); problem != Kind::None)
            return failed(problem, fields.line());
        content.samples.push_back(values[0]);
        content.samples.push_back(values[1]);
    }
    if (content.samples.empty())
        return failed(Kind::NoSamples, fields.line());
    const std::size_t lastByte = bytes.find_last_not_of(" \t");
    const bool unended = lastByte != std::string_view::npos && bytes[lastByte] != '\n' && bytes[lastByte] != '\r';
    return {std::move(content), {}, unended};
}

void ApplyWaveFile(const WaveFileContent& content, WaveRecord& record)
{
    assert(content.pairCount() >= 1 && content.pairCount() <= SampleTable::kCapacity);
    record.Title = content.Title;
    record.SecondsPerDiv = content.SecondsPerDiv;
    record.DelaySeconds = content.DelaySeconds;
    record.Ch1On = content.Ch1On;
    record.Ch2On = content.Ch2On;
    record.Ch1VoltsPerDiv = content.Ch1VoltsPerDiv;
    record.Ch2VoltsPerDiv = content.Ch2VoltsPerDiv;
    record.Ch1Offset = content.Ch1Offset;
    record.Ch2Offset = content.Ch2Offset;
    std::copy(content.samples.begin(), content.samples.end(), record.Samples.interleaved().begin());
    record.LastIndex = content.pairCount() - 1;
    record.ParamsLocked = kTrue;
    record.FreshCapture = kFalse;
}
