#include "link/InstrumentSession.h"

#include "link/LinkError.h"
#include "link/LinkTrace.h"
#include "link/Replies.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>

namespace {

using std::chrono::milliseconds;

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
// Longest single wait on the line, so a stop request is seen at once.
constexpr milliseconds kWaitSlice{20};
// How much of the noise before an acknowledgement the trace shows.
constexpr qsizetype kTraceSample = 32;

QByteArray decimal(int value)
{
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return QByteArray(digits, end - digits);
}

long long msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

InstrumentSession::InstrumentSession(SerialLine& line, QByteArray delimiter, std::stop_token stop,
                                     LinkTimeouts timeouts, SessionEvents events)
    : m_line(line),
      m_delimiter(std::move(delimiter)),
      m_stop(std::move(stop)),
      m_timeouts(timeouts),
      m_events(std::move(events))
{
    if (!m_line.isOpen())
        throw LinkError(LinkMessage::portClosed(m_line.device()));
}

void InstrumentSession::SendCommand(QByteArrayView command)
{
    send(command);
}

bool InstrumentSession::send(QByteArrayView command)
{
    discardInput();
    const QByteArray line = command.toByteArray() + m_delimiter;
    for (int sends = 1;; ++sends) {
        if (sends == 1)
            qCDebug(lcLink, "send %s", qUtf8Printable(TraceText(line)));
        else
            qCDebug(lcLink, "send %s again (%d of %d)", qUtf8Printable(TraceText(line)), sends, kMaxSends);
        write(line);
        const auto sent = Clock::now();
        const bool ack = awaitAcknowledgement();
        qCDebug(lcLink, "%s after %lld ms", ack ? "ACK" : "NAK", msSince(sent));
        if (ack)
            return true;
        if (sends == kMaxSends) {
            const QString message = LinkMessage::refused(QString::fromLatin1(command), kMaxSends);
            qCDebug(lcLink, "refused %d times; going on as after an ACK", kMaxSends);
            if (m_events.refused)
                m_events.refused(message);
            return false;
        }
    }
}

QByteArray InstrumentSession::Query(QByteArrayView command)
{
    const bool accepted = send(command);
    const auto sent = Clock::now();
    const auto deadline = sent + m_timeouts.reply;
    for (;;) {
        if (const qsizetype lf = m_input.indexOf('\n'); lf >= 0) {
            const QByteArray reply = take(lf + 1);
            qCDebug(lcLink, "reply %s after %lld ms", qUtf8Printable(TraceText(reply)), msSince(sent));
            return reply;
        }
        if (m_input.size() > kMaxReplyLength)
            throw LinkError(LinkMessage::replyTooLong());
        if (!receive(deadline)) {
            qCDebug(lcLink, "no complete reply line within %lld ms; received %s", (long long)m_timeouts.reply.count(),
                    qUtf8Printable(TraceText(m_input)));
            throw LinkError(accepted ? LinkMessage::noReply() : LinkMessage::refused(QString::fromLatin1(command), kMaxSends));
        }
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
    // From here on the instrument may be sending a block that must be read off if this
    // transfer ends early.
    m_blockLeft = kBlockHeaderSize + points + kBlockTrailer;
    const bool accepted = send("DTWAVE?");

    const auto start = Clock::now();
    const auto headerDeadline = start + m_timeouts.reply;
    while (m_input.size() < kBlockHeaderSize) {
        if (!receive(headerDeadline)) {
            qCDebug(lcLink, "no block header within %lld ms; received %s", (long long)m_timeouts.reply.count(),
                    qUtf8Printable(TraceText(m_input)));
            throw LinkError(accepted ? LinkMessage::noHeader() : LinkMessage::refused(QStringLiteral("DTWAVE?"), kMaxSends));
        }
    }
    const QByteArray header = take(kBlockHeaderSize);
    const auto count = BlockCount(header);
    if (!count || *count > kTransferCapacity) {
        qCDebug(lcLink, "block header %s: the count is %s", qUtf8Printable(TraceText(header)),
                count ? "beyond the transfer buffer" : "not a decimal number");
        m_blockLeft = std::max<qint64>(0, kTransferCapacity + kBlockTrailer - m_input.size());
        throw LinkError(count ? LinkMessage::countTooLarge() : LinkMessage::badCount());
    }
    qCDebug(lcLink, "block header %s: %d bytes follow", qUtf8Printable(TraceText(header)), *count);

    // A block shorter than asked for is still read off the line, so its bytes cannot be
    // taken for an acknowledgement later; a longer one is read whole and cut.
    const qint64 total = *count;
    const qint64 step = std::max<qint64>(1, total / 100);
    qint64 reported = 0;
    QByteArray block;
    block.reserve(total);
    if (progress)
        progress(0, total);
    for (;;) {
        block += take(std::min<qint64>(total - block.size(), m_input.size()));
        m_blockLeft = total - block.size() + kBlockTrailer;
        if (progress && block.size() != reported && (block.size() - reported >= step || block.size() == total)) {
            reported = block.size();
            progress(reported, total);
        }
        if (block.size() == total)
            break;
        if (!receive(Clock::now() + m_timeouts.blockPause)) {
            qCDebug(lcLink, "block stalled after %lld of %lld bytes", (long long)block.size(), (long long)total);
            throw LinkError(LinkMessage::blockStalled());
        }
    }
    m_blockLeft = 0;
    qCDebug(lcLink, "block of %lld bytes in %lld ms", (long long)total, msSince(start));
    if (total < points)
        throw LinkError(LinkMessage::countShort(int(total), points));
    if (total > points)
        qCDebug(lcLink, "using the first %d of %lld bytes", points, (long long)total);
    block.truncate(points);
    return block;
}

void InstrumentSession::DrainBlock(qint64 bytesLeft, std::chrono::nanoseconds byteTime)
{
    const bool counted = bytesLeft != kRestUnknown;
    m_blockLeft = std::max<qint64>(0, bytesLeft);
    const auto start = Clock::now();
    // The rest of the block at the line's speed, a quarter more, and the pause a block may
    // make: an instrument still sending after that is not sending that block.
    const auto deadline =
        start + std::chrono::ceil<milliseconds>(byteTime * m_blockLeft * 5 / 4) + m_timeouts.blockPause;
    qCDebug(lcLink, "reading off the rest of an earlier block: about %lld bytes, for at most %lld ms",
            (long long)m_blockLeft, (long long)std::chrono::ceil<milliseconds>(deadline - start).count());

    // The window hears of the wait only when it lasts longer than a quiet line takes.
    bool reported = false;
    auto nextReport = start + kDrainQuiet;
    struct Ended {
        const SessionEvents& events;
        const bool& reported;
        ~Ended()
        {
            if (reported && events.drained)
                events.drained();
        }
    } ended{m_events, reported};

    qint64 dropped = 0;
    auto quietSince = start;
    for (;;) {
        const auto now = Clock::now();
        if (now - quietSince >= kDrainQuiet)
            break;
        if (now >= deadline) {
            qCDebug(lcLink, "still busy after %lld ms and %lld bytes", msSince(start), (long long)dropped);
            throw LinkError(LinkMessage::stillSending());
        }
        if (now >= nextReport) {
            reported = true;
            nextReport = now + kDrainReportInterval;
            if (m_events.draining)
                m_events.draining(std::chrono::ceil<milliseconds>(deadline - now));
        }
        if (m_stop.stop_requested())
            throw LinkCancelled();
        if (!m_line.isOpen()) {
            qCDebug(lcLink, "the line closed while reading off; %lld bytes read", (long long)dropped);
            m_blockLeft = 0;
            return;
        }
        if (const qint64 waiting = m_line.bytesWaiting(); waiting > 0) {
            const qint64 read = m_line.read(waiting).size();
            dropped += read;
            m_blockLeft = std::max<qint64>(0, m_blockLeft - read);
            quietSince = Clock::now();
            if (counted && dropped > bytesLeft + kDrainExcess) {
                qCDebug(lcLink, "%lld bytes read off, more than the %lld the block could still hold", (long long)dropped,
                        (long long)bytesLeft);
                m_blockLeft = kRestUnknown;
                throw LinkError(LinkMessage::lineNoisy());
            }
        } else {
            m_line.waitForData(kWaitSlice);
        }
    }
    m_input.clear();
    m_blockLeft = 0;
    qCDebug(lcLink, "read off %lld bytes in %lld ms; the line is quiet", (long long)dropped, msSince(start));
}

void InstrumentSession::discardInput()
{
    m_input.clear();
    m_line.discardInput();
}

void InstrumentSession::write(const QByteArray& bytes)
{
    if (!m_line.write(bytes))
        throw LinkError(LinkMessage::portLost(m_line.device()));
}

bool InstrumentSession::awaitAcknowledgement()
{
    const auto deadline = Clock::now() + m_timeouts.ack;
    // What came instead, for the trace: how much, and how it began.
    qint64 dropped = 0;
    QByteArray sample;
    for (;;) {
        // Anything before the ACK or NAK is noise of the line and dropped with it.
        const auto it = std::find_if(m_input.cbegin(), m_input.cend(), [](char c) { return c == kAck || c == kNak; });
        const qsizetype noise = it - m_input.cbegin();
        dropped += noise;
        sample += m_input.left(std::min<qsizetype>(noise, kTraceSample - sample.size()));
        if (it != m_input.cend()) {
            if (dropped > 0)
                qCDebug(lcLink, "dropped %lld bytes: %s", (long long)dropped, qUtf8Printable(TraceText(sample)));
            const bool ack = *it == kAck;
            m_input.remove(0, noise + 1);
            return ack;
        }
        m_input.clear();
        if (!receive(deadline)) {
            qCDebug(lcLink, "no ACK or NAK within %lld ms; %lld other bytes: %s", (long long)m_timeouts.ack.count(),
                    (long long)dropped, qUtf8Printable(TraceText(sample)));
            throw LinkError(LinkMessage::noAck());
        }
    }
}

bool InstrumentSession::receive(Clock::time_point deadline)
{
    for (;;) {
        if (m_stop.stop_requested())
            throw LinkCancelled();
        if (!m_line.isOpen())
            throw LinkError(LinkMessage::portLost(m_line.device()));
        if (const qint64 waiting = m_line.bytesWaiting(); waiting > 0) {
            m_input += m_line.read(waiting);
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        m_line.waitForData(std::min<milliseconds>(kWaitSlice, std::chrono::ceil<milliseconds>(deadline - now)));
    }
}

QByteArray InstrumentSession::take(qsizetype count)
{
    QByteArray head = m_input.left(count);
    m_input.remove(0, count);
    return head;
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
