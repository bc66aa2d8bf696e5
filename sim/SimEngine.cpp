#include "sim/SimEngine.h"

#include "sim/SimWaveform.h"

#include <charconv>
#include <cstdio>
#include <utility>

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
// Line noise before an acknowledgement: no ACK, NAK or LF in it.
constexpr std::string_view kGarbage{"\x00\xff#?\x7f\r", 6};

std::optional<int> number(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

SimEngine::SimEngine(const SimOptions& options) : m_options(options) {}

void SimEngine::receive(std::string_view bytes, Clock::time_point now)
{
    for (const char c : bytes) {
        if (m_hungUp)
            return;
        if (c != '\n') {
            if (m_line.size() < kMaxLineLength)
                m_line += c;
            else
                m_dropLine = true;
            continue;
        }
        if (!m_line.empty() && m_line.back() == '\r')
            m_line.pop_back();
        if (!m_dropLine)
            answer(m_line, now);
        m_line.clear();
        m_dropLine = false;
    }
}

std::string SimEngine::takeOutput()
{
    if (m_output.empty() && m_options.faults.flood && !m_hungUp)
        while (m_output.size() < kFloodChunk)
            m_output += kGarbage;
    return std::exchange(m_output, {});
}

int SimEngine::status(Clock::time_point now) const
{
    const bool singleDone = !m_sweepEnds || now >= *m_sweepEnds;
    return (singleDone && !m_running ? 1 : 0) | (m_running ? 2 : 0);
}

void SimEngine::answer(std::string_view line, Clock::time_point now)
{
    SimFaults& faults = m_options.faults;
    if (faults.answerLines == 0)
        return;
    if (faults.answerLines > 0)
        --faults.answerLines;
    if (faults.garbageBeforeAck)
        m_output += kGarbage;
    if (faults.nakLines > 0) {
        --faults.nakLines;
        m_output += kNak;
        return;
    }
    if (const auto reply = execute(line, now)) {
        m_output += kAck;
        m_output += *reply;
    } else {
        m_output += kNak;
    }
}

std::optional<std::string> SimEngine::execute(std::string_view line, Clock::time_point now)
{
    if (line == "RUN") {
        m_running = true;
        m_sweepEnds.reset();
        return "";
    }
    if (line == "STOP") {
        m_running = false;
        return "";
    }
    if (line == "WSGL") {
        m_running = false;
        m_sweepEnds = now + m_options.sweepTime;
        ++m_capture;
        return "";
    }
    if (line == "*STB?")
        return std::to_string(status(now)) + "\r\n";
    if (line == "*IDN?") {
        if (m_options.identity)
            return *m_options.identity + "\r\n";
        char serial[16];
        std::snprintf(serial, sizeof serial, "SIM%05u", unsigned(m_options.seed % 100000));
        return std::string("MIRAVO,KT-4410,") + serial + ",1.00\r\n";
    }
    if (startsWith(line, "DTPOINTS ")) {
        const auto points = number(line.substr(9));
        if (!points || *points < 1 || *points > kMaxPoints)
            return std::nullopt;
        m_points = *points;
        return "";
    }
    if (line == "DTFORM BYTE")
        return "";
    if (line == "WAVESRC CH1" || line == "WAVESRC CH2") {
        m_channel = line.back() - '0';
        return "";
    }
    if (startsWith(line, "DTSTART ")) {
        const auto start = number(line.substr(8));
        if (!start || *start < 0 || *start >= kMaxPoints)
            return std::nullopt;
        m_start = *start;
        return "";
    }
    if (line == "DTWAVE?")
        return block();
    return std::nullopt;
}

std::string SimEngine::block()
{
    // While sweeping, every transfer shows a new capture.
    if (m_running)
        ++m_capture;
    int count = m_points;
    int sent = m_points;
    switch (m_options.faults.block) {
    case BlockFault::None:
    case BlockFault::BadCount: break;
    case BlockFault::Short:
    case BlockFault::HangUp: sent = m_points / 2; break;
    case BlockFault::Long: count = sent = m_points + 16; break;
    }
    char header[16];
    if (m_options.faults.block == BlockFault::BadCount)
        std::snprintf(header, sizeof header, "#8%s", "ABCDEFGH");
    else
        std::snprintf(header, sizeof header, "#8%08d", count);
    std::string reply = header + SimWaveform(m_channel, m_start, sent, m_options.seed, m_capture);
    if (m_options.faults.block == BlockFault::HangUp)
        m_hungUp = true;
    else if (m_options.faults.block != BlockFault::Short)
        reply += "\r\n";
    return reply;
}
