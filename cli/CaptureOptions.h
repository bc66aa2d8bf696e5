#pragma once
// The options that say how to capture (--channels, --long, --single, --timeout and the
// setup dialog's texts), shared by capture and log.

#include "cli/CliInstrument.h"

#include <QString>

class CliCall;

// Reads them into order; the reason for a usage error (one line naming the option) otherwise.
QString ReadCaptureOrder(const CliCall& call, CaptureOrder& order);
