#pragma once
// The functions that run the subcommands of the table (CommandTable.cpp), one handler
// file each group. Each checks its own options first (a usage error is status 1), then
// its files, and talks to the instrument last.

#include "cli/CliResult.h"

class CliCall;

CliResult RunIdentify(CliCall& call);   // IdentifyCommand.cpp
CliResult RunSweep(CliCall& call);      // SweepCommands.cpp: run
CliResult RunStop(CliCall& call);       //   stop
CliResult RunSingle(CliCall& call);     //   single
CliResult RunCapture(CliCall& call);    // CaptureCommand.cpp
CliResult RunLog(CliCall& call);        // LogCommand.cpp
CliResult RunConvert(CliCall& call);    // FileCommands.cpp
CliResult RunRender(CliCall& call);
CliResult RunInfo(CliCall& call);
CliResult RunCompare(CliCall& call);   // CompareCommand.cpp
CliResult RunMeasure(CliCall& call);    // MeasureCommand.cpp
CliResult RunSpectrum(CliCall& call);  // SpectrumCommand.cpp
CliResult RunDoctor(CliCall& call);     // DoctorCommand.cpp
