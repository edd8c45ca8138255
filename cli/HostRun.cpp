// vortiflux-host-run: runs the filter once through the substitute host on a generated document
// and prints what the host saw: the selectors, their results, the progress reports and
// whether the image changed. A quick check that the plug-in loads and runs on this machine.
#include "host/SubstituteHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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
    if (argc < 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: %s PLUGIN-LIBRARY [WIDTH HEIGHT]\n", argv[0]);
        return argc < 2 ? 2 : 0;
    }
    const int32_t width = argc > 3 ? std::atoi(argv[2]) : 256;
    const int32_t height = argc > 3 ? std::atoi(argv[3]) : 256;
    host::SubstituteHost host;
    std::string error;
    if (!host.Load(argv[1], &error)) {
        std::fprintf(stderr, "vortiflux-host-run: %s\n", error.c_str());
        return 1;
    }
    host.document = host::Document::Make(width, height, plugInModeRGBColor, true);
    host.options.playInfo = plugInDialogDontDisplay;
    const host::RunResult run = host.RunInteractive();
    std::printf("plug-in: %s\ndocument: %d x %d RGB with transparency\n", argv[1], width, height);
    for (const host::SelectorCall& call : run.calls)
        std::printf("  %-10s -> result %d\n", SelectorName(call.selector), call.result);
    std::printf("progress reports:");
    for (const host::ProgressReport& report : host.progress())
        std::printf(" %d/%d", report.done, report.total);
    std::printf("\nimage %s\n", run.documentChanged ? "changed" : "unchanged");
    return run.result == noErr ? 0 : 1;
}
