#pragma once
// The command line of the `vortiflux` tool.

#include "cli/ImageFiles.h"
#include "engine/FilterParameters.h"
#include "plugin/HostAbi.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Apply, Info, Help, Version };

struct ApplyRequest {
    std::vector<std::string> inputs; // "-": standard input
    std::string output;              // "-": standard output; a trailing "/": a folder
    FilterParameters parameters{};   // the effect fields; defaults unless given
    std::vector<uint32_t> givenKeys; // the effect keys the command line (or a preset) set, in order
    std::string savePreset;
    std::optional<VRect> selection; // top, left, bottom, right; checked to fit 32-bit coordinates
    bool lastUsed = false;
    bool convert = false;
    bool quiet = false;
    bool timing = false;                     // print how long reading, filtering and writing took
    bool force = false;                      // replace read-only outputs
    std::string plugin;                      // the plug-in library; empty: found from the tool's own place
    uint64_t limitPixels = 0;                // 0: the default from this machine's memory
    int jpegQuality = 95;                    // 1 to 100
    FileFormat format = FileFormat::Unknown; // --format; Unknown: from the output's extension
};

struct CommandLine {
    Command command = Command::Help;
    ApplyRequest apply;
    std::vector<std::string> infoInputs;
};

// Parses the arguments (without the program name). False with one clear line in `error` for
// anything that is not understood; `warnings` gets values beyond the panel's limits, as typed.
// `presetsFolder` holds the shipped presets --preset may name.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* line, std::string* error,
                      std::vector<std::string>* warnings, const std::string& presetsFolder = std::string());

// A number as the tool accepts it: a whole decimal text, finite.
bool ParseNumber(const std::string& text, double* value);

// A method by its number (0 to 5) or its name in any case, with or without spaces, hyphens or
// underscores: "swirl", "Radial Smooth", "radial-smooth", "Turbulence 2", "TURBULENCE2".
bool ParseMethod(const std::string& text, uint8_t* method);

// A pixel count: a whole number, optionally with K, M or G (thousands, millions, billions).
bool ParsePixelCount(const std::string& text, uint64_t* pixels);

const char* MethodName(uint8_t method);

// What --help says, with the shipped presets found in `presetsFolder`.
std::string UsageText(const std::string& presetsFolder = std::string());

} // namespace cli
