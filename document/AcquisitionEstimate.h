#pragma once
// The numbers and the text of the download progress: the bytes received over all the
// channels of one capture and the time left, estimated from the rate so far.

#include <QString>
#include <optional>

struct TransferProgress {
    int channel = 1;          // the channel now being received
    int channelIndex = 0;     // its place in the capture, from 0
    int channelCount = 1;     // channels in the capture
    qint64 received = 0;      // bytes of this channel so far
    qint64 points = 0;        // bytes per channel
    qint64 elapsedMs = 0;     // since the capture's first transfer began

    qint64 doneBytes() const { return qint64(channelIndex) * points + received; }
    qint64 allBytes() const { return qint64(channelCount) * points; }
};

// Whole seconds left at the rate so far, rounded up; none until enough has arrived to
// tell a rate.
std::optional<qint64> SecondsLeft(const TransferProgress& progress);

// "CH2 受信中　51200 / 102400 バイト　残り約9秒".
QString ProgressText(const TransferProgress& progress);
