#pragma once
// The line configuration chosen by the serial fields of the settings record.

#include "core/EnvSettings.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct LineSettings {
    int speed = 9600;   // baud
    QString parity;     // "n", "e", "o"; empty for a parity index outside the list
    int dataBits = 8;
    int stopBits = 1;
    int port = 1;       // 1 or 2
    QByteArray delimiter = "\r\n";

    // Speed, parity letter, data bits and stop bits joined by commas: "9600,n,8,1".
    QString settingsText() const;
    // Bits on the wire per character: the start bit, the data bits, a parity bit when
    // there is parity, and the stop bits.
    int frameBits() const;

    bool operator==(const LineSettings&) const = default;
};

// Com[0] speed, [1] data bits, [2] parity, [3] stop bits, [4] delimiter, [5] port.
LineSettings LineSettingsFor(const EnvSettings& settings);

// The position of a speed in the settings' list (115200 at 0 down to 2400 at 6); none for
// a speed the list does not hold.
std::optional<int16_t> SpeedListPosition(int baud);

// The device of a port number: COM1, COM2 on Windows; /dev/ttyS0, /dev/ttyS1 elsewhere.
QString PortDeviceName(int port);
