#pragma once
// The command line of the `vortiflux` tool.

#include "engine/FilterParameters.h"
#include "plugin/HostAbi.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Apply, Info, Help, Version };

struct ApplyRequest {
    std::vector<std::string> inputs;
    std::string output;
    FilterParameters parameters{};   // the effect fields; defaults unless given
    std::vector<uint32_t> givenKeys; // the effect keys the command line (or a preset) set, in order
    std::string savePreset;
    std::optional<VRect> selection; // top, left, bottom, right
    bool lastUsed = false;
    bool convert = false;
    bool quiet = false;
    bool timing = false; // print how long reading, filtering and writing took
    std::string plugin;  // the plug-in library; empty: the one beside the tool
};

struct CommandLine {
    Command command = Command::Help;
    ApplyRequest apply;
    std::vector<std::string> infoInputs;
};

// Parses the arguments (without the program name). False with one clear line in `error` for
// anything that is not understood; `warnings` gets values beyond the panel's limits.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* line, std::string* error,
                      std::vector<std::string>* warnings);

// A number as the tool accepts it: a whole decimal text, finite.
bool ParseNumber(const std::string& text, double* value);

// "turbulence", "turbulence2", "smooth", "radial", "radial-smooth", "swirl" or 0..5.
bool ParseMethod(const std::string& text, uint8_t* method);

const char* MethodName(uint8_t method);

std::string UsageText();

} // namespace cli
