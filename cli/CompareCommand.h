#pragma once
// `compare A B`: two waveform files, point by point, in volts of the signals.

#include "cli/CliResult.h"

#include <QString>
#include <optional>

class CliConsole;

// Each file read as the window's Load reads it; the deviations of each channel on in both,
// with a tolerance the points outside it and the verdict. kCliOutside when a point lies
// outside; kCliFileFailed, with nothing on standard output, when a file cannot be read or
// the records cannot be compared (the message says what differs).
CliResult CompareWaveFiles(const QString& a, const QString& b, std::optional<double> tolerance, bool json,
                           CliConsole& console);
