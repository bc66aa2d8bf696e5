#pragma once
// How the simulated instrument behaves: its waveforms' seed, the time a single sweep
// takes, pacing of its output, and the faults it injects for tests.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

enum class BlockFault {
    None,
    Short,    // the header announces the requested count, half of the bytes follow, then nothing
    Long,     // the header announces and sends more bytes than requested
    BadCount, // the header's count field is not a number
    HangUp,   // half of the block, then the line is hung up
};

struct SimFaults {
    int nakLines = 0;              // refuse the next k command lines with NAK
    bool garbageBeforeAck = false; // send noise before every ACK or NAK
    BlockFault block = BlockFault::None;
    int answerLines = -1;          // answer this many more lines, then stay silent; -1: always
    bool flood = false;            // once the answers are sent, send noise without end
    // The line goes away this often (the pseudo-terminal closed and its path removed, as when
    // a USB adapter is pulled) and comes back dropFor later at the same path; 0: never.
    std::chrono::milliseconds dropEvery{0};
    std::chrono::milliseconds dropFor{5000};
};

struct SimOptions {
    uint32_t seed = 1;
    std::chrono::milliseconds sweepTime{300}; // "WSGL" finishes this long after it arrived
    // Output pacing, 10 bits a byte: 0 unpaced (as fast as the pseudo-terminal goes),
    // kPaceAtLineSpeed at the speed the program set on the line, else this speed in baud.
    int paceBaud = 0;
    // The instrument's own line speed in baud: while the program has set the line to
    // another speed, what arrives is noise to it and it answers with noise. 0: any speed.
    int lineSpeed = 0;
    SimFaults faults;
    // The "*IDN?" reply without its line end; unset: "MIRAVO,KT-4410,SIMnnnnn,1.00".
    std::optional<std::string> identity;
    // Serve behind a path of our own (a link to the current pseudo-terminal) that stays the
    // same when the line is dropped and comes back; set by itself when dropEvery is.
    bool reconnectable = false;

    static constexpr int kPaceAtLineSpeed = -1;
};
