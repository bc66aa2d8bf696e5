#pragma once
// A byte pipe to the instrument. The command set runs on this interface; the program
// uses QtSerialLine, tests a scripted in-memory line.

#include "link/LineSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <chrono>

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Opens device with the line settings. Returns an empty string when the line is
    // open (settings it could not take are described in warnings), else a Japanese
    // message and the line stays closed.
    virtual QString open(const QString& device, const LineSettings& settings, QStringList& warnings) = 0;
    virtual void close() = 0;
    // The device last opened or tried, for messages ("/dev/ttyS0").
    virtual QString device() const = 0;
    // False once closed, including after the device failed or vanished.
    virtual bool isOpen() const = 0;

    // Sends the bytes; false when the line failed (and is now closed).
    virtual bool write(QByteArrayView bytes) = 0;
    virtual qint64 bytesWaiting() = 0;
    // Takes up to maxBytes of what is waiting; never blocks.
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Blocks until more bytes arrive or the time has passed; true when bytes arrived.
    virtual bool waitForData(std::chrono::milliseconds wait) = 0;
    // Drops every received byte not yet read.
    virtual void discardInput() = 0;
};
