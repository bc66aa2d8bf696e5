#pragma once
// Communication-error events of the serial port: their codes and the texts the user
// sees for them.

#include <QString>

enum class CommEvent {
    Break = 1001,          // break signal received
    Frame = 1004,          // framing error
    Overrun = 1006,        // a received character was lost
    RxOver = 1008,         // receive buffer overflow
    RxParity = 1009,       // parity error
    TxFull = 1010,         // transmit buffer full
    DeviceSettings = 1011, // unexpected error while reading the port's device settings
};

// The text of one of the seven error codes; empty for any other code (line-state
// changes and the like, which are ignored).
QString CommEventText(int code);
