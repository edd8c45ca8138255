// vortiflux: applies the Vortiflux effect to image files through the plug-in library, as a
// host plays a recorded action.
#include "cli/ApplyFilter.h"
#include "cli/CommandLine.h"
#include "cli/ToolPaths.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

int Run(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string presets = cli::ShippedPresetsFolder();
    cli::CommandLine line;
    std::string error;
    std::vector<std::string> warnings;
    if (!cli::ParseCommandLine(arguments, &line, &error, &warnings, presets)) {
        std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
        return cli::kExitUsage;
    }
    switch (line.command) {
    case cli::Command::Help:
        std::fputs(cli::UsageText(presets).c_str(), stdout);
        return cli::kExitOk;
    case cli::Command::Version:
        std::puts("vortiflux 1.0 (Vortiflux plug-in 1.0, 64 Bit)");
        return cli::kExitOk;
    case cli::Command::Info:
        return cli::RunInfo(line.infoInputs);
    case cli::Command::Apply:
        break;
    }
    if (!line.apply.quiet)
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "vortiflux: warning: %s\n", warning.c_str());
    return cli::RunApply(line.apply);
}

} // namespace

int main(int argc, char** argv) {
    // Nothing may end the program with an uncaught exception: the temporary files are removed as
    // the stack unwinds, and the user gets one line.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vortiflux: not enough memory\n", stderr);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "vortiflux: %s\n", failure.what());
    } catch (...) {
        std::fputs("vortiflux: failed\n", stderr);
    }
    return cli::kExitFailure;
}
