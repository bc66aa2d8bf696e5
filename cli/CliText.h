#pragma once
// Text for a terminal: whatever the instrument, a file or a file name holds is shown as
// it is, but never as terminal control sequences, and a message takes one line.

#include <QString>

// Control characters (escape sequences, carriage returns, ...) as "\xNN".
QString PrintableText(const QString& text);

// The lines of a message joined by spaces, control characters made printable.
QString OneLine(const QString& message);
