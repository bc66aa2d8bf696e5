#include "link/InstrumentSession.h"

#include "link/LinkError.h"
#include "link/Replies.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
// Longest single wait on the line, so a stop request is seen at once.
constexpr std::chrono::milliseconds kWaitSlice{20};

QByteArray decimal(int value)
{
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return QByteArray(digits, end - digits);
}

} // namespace

InstrumentSession::InstrumentSession(SerialLine& line, QByteArray delimiter, std::stop_token stop,
                                     LinkTimeouts timeouts)
    : m_line(line), m_delimiter(std::move(delimiter)), m_stop(std::move(stop)), m_timeouts(timeouts)
{
    if (!m_line.isOpen())
        throw LinkError(LinkMessage::portClosed());
}

void InstrumentSession::SendCommand(QByteArrayView command)
{
    discardInput();
    const QByteArray line = command.toByteArray() + m_delimiter;
    for (int sends = 1;; ++sends) {
        write(line);
        if (awaitAcknowledgement() || sends == kMaxSends)
            return;
    }
}

QByteArray InstrumentSession::Query(QByteArrayView command)
{
    SendCommand(command);
    const auto deadline = Clock::now() + m_timeouts.reply;
    for (;;) {
        if (const qsizetype lf = m_input.indexOf('\n'); lf >= 0)
            return take(lf + 1);
        if (m_input.size() > kMaxReplyLength)
            throw LinkError(LinkMessage::replyTooLong());
        receive(deadline, LinkMessage::noReply);
    }
}

int16_t InstrumentSession::MiravoStatus()
{
    const auto status = ParseStatus(Query("*STB?"));
    if (!status)
        throw LinkError(LinkMessage::badStatus());
    return *status;
}

int16_t InstrumentSession::SingleSweep()
{
    SendCommand("WSGL");
    for (;;) {
        const int16_t status = MiravoStatus();
        if (status & 1)
            return status;
        pause(kStatusPollInterval);
    }
}

QStringList InstrumentSession::ReadIdentity()
{
    return SplitIdentity(Query("*IDN?"));
}

QByteArray InstrumentSession::DownloadChannel(int channel, int points, const Progress& progress)
{
    SendCommand("DTPOINTS " + decimal(points));
    SendCommand("DTFORM BYTE");
    SendCommand("WAVESRC CH" + decimal(channel));
    SendCommand("DTSTART 0");
    SendCommand("DTWAVE?");

    const auto headerDeadline = Clock::now() + m_timeouts.reply;
    while (m_input.size() < kBlockHeaderSize)
        receive(headerDeadline, LinkMessage::noHeader);
    const auto count = BlockCount(take(kBlockHeaderSize));
    if (!count || *count > kTransferCapacity) {
        SettleLine();
        throw LinkError(count ? LinkMessage::countTooLarge() : LinkMessage::badCount());
    }

    // A count that differs from the request is still read off the line, so the block's
    // bytes cannot be taken for an acknowledgement later.
    const qint64 total = *count;
    const qint64 step = std::max<qint64>(1, total / 100);
    qint64 reported = 0;
    QByteArray block;
    block.reserve(total);
    if (progress)
        progress(0, total);
    for (;;) {
        block += take(std::min<qint64>(total - block.size(), m_input.size()));
        if (progress && block.size() != reported && (block.size() - reported >= step || block.size() == total)) {
            reported = block.size();
            progress(reported, total);
        }
        if (block.size() == total)
            break;
        receive(Clock::now() + m_timeouts.blockPause, LinkMessage::blockStalled);
    }
    if (total != points)
        throw LinkError(LinkMessage::countMismatch(int(total), points));
    return block;
}

void InstrumentSession::discardInput()
{
    m_input.clear();
    m_line.discardInput();
}

void InstrumentSession::write(const QByteArray& bytes)
{
    if (!m_line.write(bytes))
        throw LinkError(LinkMessage::portLost());
}

bool InstrumentSession::awaitAcknowledgement()
{
    const auto deadline = Clock::now() + m_timeouts.ack;
    for (;;) {
        // Anything before the ACK or NAK is noise of the line and dropped with it.
        const auto it = std::find_if(m_input.cbegin(), m_input.cend(), [](char c) { return c == kAck || c == kNak; });
        if (it != m_input.cend()) {
            const bool ack = *it == kAck;
            m_input.remove(0, it - m_input.cbegin() + 1);
            return ack;
        }
        m_input.clear();
        receive(deadline, LinkMessage::noAck);
    }
}

void InstrumentSession::receive(Clock::time_point deadline, QString (*timeoutMessage)())
{
    for (;;) {
        if (m_stop.stop_requested())
            throw LinkCancelled();
        if (!m_line.isOpen())
            throw LinkError(LinkMessage::portLost());
        if (const qint64 waiting = m_line.bytesWaiting(); waiting > 0) {
            m_input += m_line.read(waiting);
            return;
        }
        const auto now = Clock::now();
        if (now >= deadline)
            throw LinkError(timeoutMessage());
        m_line.waitForData(std::min<std::chrono::milliseconds>(
            kWaitSlice, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
    }
}

QByteArray InstrumentSession::take(qsizetype count)
{
    QByteArray head = m_input.left(count);
    m_input.remove(0, count);
    return head;
}

void InstrumentSession::SettleLine()
{
    auto quietSince = Clock::now();
    while (Clock::now() - quietSince < kDrainQuiet) {
        if (m_stop.stop_requested())
            throw LinkCancelled();
        if (!m_line.isOpen())
            return;
        if (const qint64 waiting = m_line.bytesWaiting(); waiting > 0) {
            m_line.read(waiting);
            quietSince = Clock::now();
        } else {
            m_line.waitForData(kWaitSlice);
        }
    }
    m_input.clear();
}

void InstrumentSession::pause(std::chrono::milliseconds duration)
{
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, m_stop, duration, [] { return false; });
    if (m_stop.stop_requested())
        throw LinkCancelled();
}
