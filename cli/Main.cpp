// vortiflux: applies the Vortiflux effect to image files through the plug-in library, as a
// host plays a recorded action.
#include "cli/ApplyFilter.h"
#include "cli/CommandLine.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    cli::CommandLine line;
    std::string error;
    std::vector<std::string> warnings;
    if (!cli::ParseCommandLine(arguments, &line, &error, &warnings)) {
        std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
        return cli::kExitUsage;
    }
    switch (line.command) {
    case cli::Command::Help:
        std::fputs(cli::UsageText().c_str(), stdout);
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
    return cli::RunApply(line.apply, argv[0]);
}
