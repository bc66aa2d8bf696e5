#pragma once
// Runs one parsed miravo-cli request to its end and returns the exit status; every
// failure has been reported on the console by then.

class CliConsole;
struct CliRequest;

int RunCli(const CliRequest& request, CliConsole& console);
