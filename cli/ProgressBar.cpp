#include "cli/ProgressBar.h"

#include <unistd.h>

#include <cstdio>

namespace cli {

ProgressBar::ProgressBar(bool wanted, const std::string& label)
    : active_(wanted && isatty(STDERR_FILENO) == 1), label_(label) {}

void ProgressBar::Show(int32_t done, int32_t total) {
    if (!active_ || total <= 0)
        return;
    int percent = int(int64_t(done) * 100 / total);
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    // The plug-in ends its reports with 0 (its own bar returns to empty): keep ours full.
    if (percent < shown_ && percent == 0)
        return;
    if (percent == shown_)
        return;
    shown_ = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled, "##############################",
                 kWidth - filled, "", percent);
    std::fflush(stderr);
}

void ProgressBar::Finish() {
    if (!active_ || shown_ < 0)
        return;
    std::fprintf(stderr, "\r%*s\r", int(label_.size()) + 40, "");
    std::fflush(stderr);
}

} // namespace cli
