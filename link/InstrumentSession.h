#pragma once
// The instrument's command set as plain sequential code on a SerialLine: the ACK/NAK
// handshake, reply lines, the status query, the single sweep's wait, the identity and
// the waveform block. One session serves one job; it runs on whatever thread calls it
// and waits in short slices so a stop request ends any wait at once. Everything it sends,
// receives and decides goes to the link's trace (LinkTrace.h).
//
// A failure throws LinkError (with a Japanese message), a stop request LinkCancelled.

#include "link/LinkTypes.h"
#include "link/SerialLine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>

// What a session tells while it works, besides its result. Called on the session's thread.
struct SessionEvents {
    // A line refused kMaxSends times: the exchange went on as after an ACK; message says so.
    std::function<void(const QString& message)> refused;
    // Reading off the rest of an earlier block: the time until that wait gives up, at its
    // start and about every kDrainReportInterval; drained() when it ends, whichever way.
    std::function<void(std::chrono::milliseconds left)> draining;
    std::function<void()> drained;
};

class InstrumentSession {
public:
    // Called as the bytes of a block arrive (about every 1 % of it, and at its end).
    using Progress = std::function<void(qint64 received, qint64 total)>;

    static constexpr int kMaxSends = 9;             // a refused line is sent at most this often
    static constexpr int kTransferCapacity = 102401; // bytes one channel's block may hold
    static constexpr qsizetype kMaxReplyLength = 4096;
    // Pause between two status queries of the single sweep, so an instrument that answers
    // at once is not flooded.
    static constexpr std::chrono::milliseconds kStatusPollInterval{20};
    // The rest of a broken-off block is read off until the line has been quiet this long,
    // so its bytes (which may hold ACK or NAK values) do not reach the next exchange.
    static constexpr std::chrono::milliseconds kDrainQuiet{200};
    static constexpr std::chrono::milliseconds kDrainReportInterval{250};
    // What may follow a block's counted bytes (its line terminator).
    static constexpr qint64 kBlockTrailer = 2;
    // Bytes read off beyond what the broken-off block could still hold before the line is
    // taken for noisy: a few stray bytes are not yet a fault.
    static constexpr qint64 kDrainExcess = 64;
    // What is left of a block on a line found noisy: unknown, so the next reading-off
    // reads until the line is quiet, without a count to hold it to.
    static constexpr qint64 kRestUnknown = -1;

    InstrumentSession(SerialLine& line, QByteArray delimiter, std::stop_token stop, LinkTimeouts timeouts = {},
                      SessionEvents events = {});

    // Sends one command line and waits for ACK; a NAK sends it again, up to kMaxSends
    // times in all, after which it returns as after an ACK (and tells events.refused).
    void SendCommand(QByteArrayView command);
    // SendCommand, then the reply line up to and including its LF. When the line was
    // refused and no reply follows, the failure says the instrument refused it.
    QByteArray Query(QByteArrayView command);
    // "*STB?" read as a decimal 16-bit integer.
    int16_t MiravoStatus();
    // "WSGL", then MiravoStatus until bit 0 is set; returns that status.
    int16_t SingleSweep();
    // "*IDN?" split into its fields.
    QStringList ReadIdentity();
    // The five waveform commands and the block: the first `points` bytes of channel c.
    // A block may count more bytes than asked for (up to kTransferCapacity): it is read
    // whole. A shorter one fails.
    QByteArray DownloadChannel(int channel, int points, const Progress& progress = {});
    // Reads and drops the rest of a block broken off earlier, about `bytesLeft` bytes at
    // `byteTime` each, until the line has been quiet for kDrainQuiet. Gives up (LinkError)
    // when the line is still busy after that time plus a quarter and the block-pause time,
    // and at once when more than bytesLeft + kDrainExcess bytes have come (not for
    // kRestUnknown).
    void DrainBlock(qint64 bytesLeft, std::chrono::nanoseconds byteTime);
    // Bytes of a block the instrument may still be sending: after a DownloadChannel or
    // DrainBlock that ended early, what the next session has to read off (kRestUnknown
    // after a noisy line).
    qint64 blockBytesLeft() const { return m_blockLeft; }

private:
    using Clock = std::chrono::steady_clock;

    bool send(QByteArrayView command); // SendCommand; false when refused kMaxSends times
    void discardInput();
    void write(const QByteArray& bytes);
    bool awaitAcknowledgement(); // true for ACK, false for NAK
    // Moves what is waiting into m_input, waiting for it when nothing is. False at the
    // deadline; throws on a stop request or when the line is lost.
    bool receive(Clock::time_point deadline);
    QByteArray take(qsizetype count);
    void pause(std::chrono::milliseconds duration);

    SerialLine& m_line;
    QByteArray m_delimiter;
    std::stop_token m_stop;
    LinkTimeouts m_timeouts;
    SessionEvents m_events;
    QByteArray m_input; // received, not yet used
    qint64 m_blockLeft = 0;
};
