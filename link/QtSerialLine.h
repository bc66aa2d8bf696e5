#pragma once
// SerialLine on a QSerialPort. Lives on the thread that uses it; waits block that
// thread (the link's worker), never the window.

#include "link/SerialLine.h"

#include <QSerialPort>
#include <functional>

class QtSerialLine : public SerialLine {
public:
    static constexpr qint64 kReceiveBufferSize = 8192;

    // onCommEvent receives the CommEvent code of a communication error the port reports;
    // onLost is told once when the device fails or vanishes (also between calls, from the
    // thread's event loop). Both run on the line's thread.
    explicit QtSerialLine(std::function<void(int code)> onCommEvent = {}, std::function<void()> onLost = {});
    ~QtSerialLine() override;

    QString open(const QString& device, const LineSettings& settings, QStringList& warnings) override;
    void close() override;
    QString device() const override { return m_device; }
    bool isOpen() const override;
    bool write(QByteArrayView bytes) override;
    qint64 bytesWaiting() override;
    QByteArray read(qint64 maxBytes) override;
    bool waitForData(std::chrono::milliseconds wait) override;
    void discardInput() override;

private:
    void onError(QSerialPort::SerialPortError error);
    bool deviceGone() const;
    void closeIfFailed();

    QSerialPort m_port;
    QString m_device;
    std::function<void(int)> m_onCommEvent;
    std::function<void()> m_onLost;
    bool m_failed = false;      // the device reported a read/write failure or vanished
    bool m_configuring = false; // setter refusals while opening are warnings, not events
};
