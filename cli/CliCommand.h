#pragma once
// What a subcommand of miravo-cli is: its name, its files and summary for --help, the
// names of its own options and the function that runs it. The table (CommandTable.cpp)
// holds them all; a subcommand is one entry there and one handler file.

#include "cli/CliResult.h"

#include <span>

class CliCall;

using CliHandler = CliResult (*)(CliCall& call);

struct OptionDef {
    const char* name;
    const char* value;   // the value's name; nullptr for a switch
    const char* help;
};

struct CommandDef {
    const char* name;
    const char* files;     // the file arguments as the usage line names them ("IN OUT")
    const char* summary;
    const char* options;   // the names of its own options, separated by spaces
    CliHandler run;
};

// The subcommands in the order --help lists them, and every subcommand's own options.
std::span<const CommandDef> CliCommands();
std::span<const OptionDef> CliOptions();
