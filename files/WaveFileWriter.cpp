#include "files/WaveFileWriter.h"

#include "files/EngNumber.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

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

private:
    static constexpr std::size_t kSlots = 65536;
    static constexpr std::size_t kWidth = 16;  // "-3.402823E+38" is the longest general text
    float m_offset;
    std::unique_ptr<uint8_t[]> m_length = std::make_unique<uint8_t[]>(kSlots);  // 0: not made yet
    std::unique_ptr<char[]> m_text = std::make_unique_for_overwrite<char[]>(kSlots * kWidth);
};

void appendInteger(std::string& out, int value)
{
    char buffer[12];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, std::size_t(end - buffer));
}

void appendLine(std::string& out, std::string_view first, std::string_view second)
{
    out.append(first);
    out.push_back(',');
    out.append(second);
    out.append(kLineEnd);
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
    for (int i = 0; i <= lastIndex; ++i) {
        if (r.Ch1On != 0)
            out.append(ch1.text(r.Samples(1, i)));
        out.push_back(',');
        if (r.Ch2On != 0)
            out.append(ch2.text(r.Samples(2, i)));
        out.append(kLineEnd);
    }
}

void appendRaw(std::string& out, const WaveRecord& r, int lastIndex)
{
    appendLine(out, NumberText(r.SecondsPerDiv), NumberText(r.DelaySeconds));
    appendLine(out, std::to_string(r.Ch1On), std::to_string(r.Ch2On));
    appendLine(out, NumberText(r.Ch1VoltsPerDiv), NumberText(r.Ch2VoltsPerDiv));
    appendLine(out, NumberText(r.Ch1Offset), NumberText(r.Ch2Offset));
    for (int i = 0; i <= lastIndex; ++i) {
        if (r.Ch1On != 0)
            appendInteger(out, r.Samples(1, i));
        out.push_back(',');
        if (r.Ch2On != 0)
            appendInteger(out, r.Samples(2, i));
        out.append(kLineEnd);
    }
}

} // namespace

WaveFileText FormatWaveFile(const WaveRecord& record, WaveFileKind kind, TextEncoder encode)
{
    using Kind = WaveFileProblem::Kind;
    const std::optional<std::string> title = encode(record.Title);
    if (!title)
        return {{}, {Kind::TitleNotEncodable, 1}};
    const bool quoted = TitleNeedsQuotes(*title);
    if (quoted && title->find('"') != std::string::npos)
        return {{}, {Kind::TitleHasQuote, 1}};

    const int lastIndex = std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex);
    std::string out;
    // Header, then at most two signed six-character values, a comma and CR LF per line.
    out.reserve(title->size() + 256 + std::size_t(lastIndex + 1) * 16);
    if (quoted)
        out.push_back('"');
    out.append(*title);
    if (quoted)
        out.push_back('"');
    out.append(kLineEnd);
    if (kind == WaveFileKind::Csv)
        appendCsv(out, record, lastIndex);
    else
        appendRaw(out, record, lastIndex);
    return {std::move(out), {}};
}
