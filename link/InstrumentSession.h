#pragma once
// The instrument's command set as plain sequential code on a SerialLine: the ACK/NAK
// handshake, reply lines, the status query, the single sweep's wait, the identity and
// the waveform block. One session serves one job; it runs on whatever thread calls it
// and waits in short slices so a stop request ends any wait at once.
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
    // A block that cannot be used is read off the line until it has been quiet this long,
    // so its bytes (which may hold ACK or NAK values) do not reach the next exchange.
    static constexpr std::chrono::milliseconds kDrainQuiet{200};

    InstrumentSession(SerialLine& line, QByteArray delimiter, std::stop_token stop, LinkTimeouts timeouts = {});

    // Sends one command line and waits for ACK; a NAK sends it again, up to kMaxSends
    // times in all, after which it returns as after an ACK.
    void SendCommand(QByteArrayView command);
    // SendCommand, then the reply line up to and including its LF.
    QByteArray Query(QByteArrayView command);
    // "*STB?" read as a decimal 16-bit integer.
    int16_t MiravoStatus();
    // "WSGL", then MiravoStatus until bit 0 is set; returns that status.
    int16_t SingleSweep();
    // "*IDN?" split into its fields.
    QStringList ReadIdentity();
    // The five waveform commands and the block: exactly `points` bytes of channel c.
    QByteArray DownloadChannel(int channel, int points, const Progress& progress = {});
    // Reads and drops whatever arrives until the line has been quiet for kDrainQuiet:
    // the rest of a block whose transfer was broken off must not reach the next exchange.
    void SettleLine();

private:
    using Clock = std::chrono::steady_clock;

    void discardInput();
    void write(const QByteArray& bytes);
    bool awaitAcknowledgement(); // true for ACK, false for NAK
    // Moves what is waiting into m_input, waiting for it when nothing is. Throws at the
    // deadline (with the message), on a stop request or when the line is lost.
    void receive(Clock::time_point deadline, QString (*timeoutMessage)());
    QByteArray take(qsizetype count);
    void pause(std::chrono::milliseconds duration);

    SerialLine& m_line;
    QByteArray m_delimiter;
    std::stop_token m_stop;
    LinkTimeouts m_timeouts;
    QByteArray m_input; // received, not yet used
};
