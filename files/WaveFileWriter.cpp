#include "files/WaveFileWriter.h"

#include "core/EngNumber.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <span>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kFullWidthQuote = "\xEF\xBC\x82";  // U+FF02, which code page 932 holds

// NumberText of (sample + offset) for one channel. A record holds few distinct sample
// values, so each one's text is made once and copied from then on.
class SampleTextCache {
public:
    explicit SampleTextCache(float offset) : m_offset(offset) {}

    std::string_view text(int16_t sample)
    {
        const std::size_t slot = std::size_t(int(sample) + 32768);
        if (m_length[slot] == 0) {
            const std::string made = NumberText(float(sample) + m_offset);
            m_length[slot] = uint8_t(std::min(made.size(), kWidth));
            std::copy_n(made.data(), m_length[slot], &m_text[slot * kWidth]);
        }
        return {&m_text[slot * kWidth], m_length[slot]};
    }

    static constexpr std::size_t kWidth = 16;  // "-3.402823E+38" is the longest general text

private:
    static constexpr std::size_t kSlots = 65536;
    float m_offset;
    std::unique_ptr<uint8_t[]> m_length = std::make_unique<uint8_t[]>(kSlots);  // 0: not made yet
    std::unique_ptr<char[]> m_text = std::make_unique_for_overwrite<char[]>(kSlots * kWidth);
};

void appendLine(std::string& out, std::string_view first, std::string_view second)
{
    out.append(first);
    out.push_back(',');
    out.append(second);
    out.append(kLineEnd);
}

// Sample lines go straight into room made for the longest possible line, and the text is
// cut to what was written: no capacity check per value. write(p, channel, sample) puts one
// value of at most valueBytes at p and returns the end.
template <typename WriteValue>
void appendSampleLines(std::string& out, const WaveRecord& r, int lastIndex, std::size_t valueBytes,
                       WriteValue write)
{
    const std::span<const int16_t> samples = r.Samples.interleaved();
    const std::size_t lines = std::size_t(lastIndex) + 1;
    const std::size_t start = out.size();
    out.resize(start + lines * (2 * valueBytes + 3));
    char* p = out.data() + start;
    for (std::size_t i = 0; i < lines; ++i) {
        if (r.Ch1On != 0)
            p = write(p, 1, samples[2 * i]);
        *p++ = ',';
        if (r.Ch2On != 0)
            p = write(p, 2, samples[2 * i + 1]);
        *p++ = '\r';
        *p++ = '\n';
    }
    out.resize(std::size_t(p - out.data()));
}

std::string integerText(int16_t value)
{
    char text[6];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string onText(int16_t on) { return on != 0 ? "ON" : "OFF"; }

void appendCsv(std::string& out, const WaveRecord& r, int lastIndex)
{
    appendLine(out, FormatEng(r.SecondsPerDiv) + "s/DIV", FormatEng(r.DelaySeconds) + "s");
    appendLine(out, onText(r.Ch1On), onText(r.Ch2On));
    appendLine(out, FormatEng(r.Ch1VoltsPerDiv) + "V/DIV", FormatEng(r.Ch2VoltsPerDiv) + "V/DIV");
    appendLine(out, NumberText(r.Ch1Offset / 25.0f) + "DIV", NumberText(r.Ch2Offset / 25.0f) + "DIV");
    SampleTextCache ch1(r.Ch1Offset);
    SampleTextCache ch2(r.Ch2Offset);
    appendSampleLines(out, r, lastIndex, SampleTextCache::kWidth, [&](char* p, int channel, int16_t sample) {
        const std::string_view text = (channel == 1 ? ch1 : ch2).text(sample);
        return std::copy(text.begin(), text.end(), p);
    });
}

void appendRaw(std::string& out, const WaveRecord& r, int lastIndex)
{
    appendLine(out, NumberText(r.SecondsPerDiv), NumberText(r.DelaySeconds));
    appendLine(out, integerText(r.Ch1On), integerText(r.Ch2On));
    appendLine(out, NumberText(r.Ch1VoltsPerDiv), NumberText(r.Ch2VoltsPerDiv));
    appendLine(out, NumberText(r.Ch1Offset), NumberText(r.Ch2Offset));
    appendSampleLines(out, r, lastIndex, 6, [](char* p, int, int16_t sample) {
        return std::to_chars(p, p + 6, sample).ptr;  // "-32768" at most
    });
}

} // namespace

WaveFileText FormatWaveFile(const WaveRecord& record, WaveFileKind kind, TextEncoder encode)
{
    std::string title = record.Title;
    bool replacedQuote = false;
    if (TitleNeedsQuotes(title)) {
        for (std::size_t at = title.find('"'); at != std::string::npos; at = title.find('"', at)) {
            title.replace(at, 1, kFullWidthQuote);
            replacedQuote = true;
        }
    }
    const EncodedText encoded = encode(title);
    const bool quoted = TitleNeedsQuotes(encoded.bytes);

    const int lastIndex = std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex);
    std::string out;
    out.reserve(encoded.bytes.size() + 256);  // the header; the sample lines make their own room
    if (quoted)
        out.push_back('"');
    out.append(encoded.bytes);
    if (quoted)
        out.push_back('"');
    out.append(kLineEnd);
    if (kind == WaveFileKind::Csv)
        appendCsv(out, record, lastIndex);
    else
        appendRaw(out, record, lastIndex);
    return {std::move(out), replacedQuote || encoded.changed};
}
