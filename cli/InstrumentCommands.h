#pragma once
// The subcommands that talk to the instrument: identify, run, stop, single and capture.
// A capture goes the way of the window's Load from the instrument followed by Setup and
// Save: the blocks of every channel are applied together, the conditions stored from the
// setup dialog's texts, the offsets removed by the refresh, and the file written as Save
// writes it. A failure or an interrupt before that leaves no file and any earlier one as
// it was.

#include "cli/CliResult.h"

class CliConsole;
class CliInstrument;
struct CliRequest;

CliResult IdentifyInstrument(const CliRequest& request, CliInstrument& instrument, CliConsole& console);
CliResult CaptureWaves(const CliRequest& request, CliInstrument& instrument, CliConsole& console);
