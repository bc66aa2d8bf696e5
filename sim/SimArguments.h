#pragma once
// Command-line options of miravo-sim.

#include "sim/SimOptions.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SimArguments {
    SimOptions options;
    bool help = false;
};

// nullopt with *error set for an unknown option or a bad value.
std::optional<SimArguments> ParseSimArguments(const std::vector<std::string_view>& args, std::string* error);

// The --help text.
std::string SimUsage();
