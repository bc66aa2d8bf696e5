#pragma once
// Values that cross between the window and the instrument link.

#include <QByteArray>
#include <QString>
#include <chrono>

// The jobs the link runs, one at a time, on its own thread.
enum class LinkJob {
    ApplySettings, // close, configure and reopen the port
    Run,           // "RUN"
    Stop,          // "STOP"
    SingleSweep,   // "WSGL", then "*STB?" until bit 0 is set
    ReadIdentity,  // "*IDN?"
    Download,      // one channel's waveform block
    Diagnose,      // the connection doctor; the port is opened again as the settings say
};

enum class JobResult {
    Succeeded,
    Failed,    // jobFailed carried the message
    Cancelled, // cancel() or shutdown(); nothing was handed back
};

// What the window can show about the port after ApplySettings.
struct LinkState {
    QString settingsText; // "9600,n,8,1"
    QString portName;     // "/dev/ttyS0", "COM1", or the device given on the command line
    QByteArray delimiter; // "\r\n" or "\n"
    bool open = false;

    bool operator==(const LinkState&) const = default;
};

// How long an exchange may wait before it is given up. The single sweep's status poll
// has no overall limit; each of its queries has these limits.
inline constexpr std::chrono::milliseconds kAckTimeout{3000};        // command line sent, no ACK or NAK
inline constexpr std::chrono::milliseconds kReplyTimeout{3000};      // ACK received, no complete reply line or block header
inline constexpr std::chrono::milliseconds kBlockPauseTimeout{3000}; // nothing more of a block arrives;
                                                                      // also the margin of reading off a broken one

struct LinkTimeouts {
    std::chrono::milliseconds ack = kAckTimeout;
    std::chrono::milliseconds reply = kReplyTimeout;
    std::chrono::milliseconds blockPause = kBlockPauseTimeout;
};
