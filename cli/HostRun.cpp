// vortiflux-host-run: runs the filter once through the substitute host on a generated document
// and prints what the host saw: the selectors, their results, the progress reports and
// whether the image changed. A quick check that the plug-in loads and runs on this machine,
// as each kind of host would run it (--profile).
#include "host/HostProfiles.h"
#include "host/SubstituteHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const char* SelectorName(int16_t selector) {
    switch (selector) {
    case filterSelectorAbout:
        return "About";
    case filterSelectorParameters:
        return "Parameters";
    case filterSelectorPrepare:
        return "Prepare";
    case filterSelectorStart:
        return "Start";
    case filterSelectorContinue:
        return "Continue";
    case filterSelectorFinish:
        return "Finish";
    default:
        return "?";
    }
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    host::HostProfile profile = host::HostProfile::Full;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name;
        if (arguments[i].rfind("--profile=", 0) == 0)
            name = arguments[i].substr(10);
        else if (arguments[i] == "--profile" && i + 1 < arguments.size())
            name = arguments[i + 1], arguments.erase(arguments.begin() + long(i) + 1);
        else
            continue;
        if (!host::HostProfileFromName(name, &profile)) {
            std::fprintf(stderr, "vortiflux-host-run: no host profile '%s' (full, paintnet, gimp, bare)\n",
                         name.c_str());
            return 2;
        }
        arguments.erase(arguments.begin() + long(i));
        --i;
    }
    if (arguments.empty() || arguments[0] == "--help") {
        std::fprintf(stderr, "usage: %s [--profile full|paintnet|gimp|bare] PLUGIN-LIBRARY [WIDTH HEIGHT]\n", argv[0]);
        return arguments.empty() ? 2 : 0;
    }
    const int32_t width = arguments.size() > 2 ? std::atoi(arguments[1].c_str()) : 256;
    const int32_t height = arguments.size() > 2 ? std::atoi(arguments[2].c_str()) : 256;
    host::SubstituteHost host;
    host::ApplyHostProfile(profile, &host);
    std::string error;
    if (!host.Load(arguments[0], &error)) {
        std::fprintf(stderr, "vortiflux-host-run: %s\n", error.c_str());
        return 1;
    }
    host.document = host::Document::Make(width, height, plugInModeRGBColor, true);
    host.options.playInfo = plugInDialogDontDisplay;
    const host::RunResult run = host.RunInteractive();
    std::printf("plug-in: %s\nhost: %s\ndocument: %d x %d RGB with transparency\n", arguments[0].c_str(),
                host::HostProfileName(profile), width, height);
    if (!run.enabled) {
        std::printf("the host does not offer the filter for this document\n");
        return 1;
    }
    for (const host::SelectorCall& call : run.calls)
        std::printf("  %-10s -> result %d\n", SelectorName(call.selector), call.result);
    std::printf("progress reports:");
    for (const host::ProgressReport& report : host.progress())
        std::printf(" %d/%d", report.done, report.total);
    std::printf("\nimage %s\n", run.documentChanged ? "changed" : "unchanged");
    return run.result == noErr ? 0 : 1;
}
