#include "cli/ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace cli {

namespace {

constexpr int kBarWidth = 30;

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS"); columns != nullptr && std::atoi(columns) > 0)
        return std::atoi(columns);
    return 80;
}

} // namespace

ProgressBar::ProgressBar(bool wanted, const std::string& label)
    : active_(wanted && isatty(STDERR_FILENO) == 1), label_(label) {}

ProgressBar::~ProgressBar() {
    Clear();
}

std::string ProgressBar::Line(const std::string& label, int percent, int columns) {
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", std::clamp(percent, 0, 100));
    // The last column stays free: a terminal that wraps there would leave a line behind.
    const int room = columns - 1;
    if (room < 4)
        return std::string();
    const int barWidth = std::min(kBarWidth, room - 4 - 3);
    std::string line;
    if (barWidth >= 5) {
        const int filled = std::clamp(percent, 0, 100) * barWidth / 100;
        line = "[" + std::string(size_t(filled), '#') + std::string(size_t(barWidth - filled), ' ') + "] ";
    }
    line += number;
    const int labelRoom = room - int(line.size()) - 1;
    if (labelRoom >= 8 && !label.empty()) {
        // Too long a label keeps its end, where a file's name is.
        std::string shown = label;
        if (int(shown.size()) > labelRoom)
            shown = "..." + shown.substr(shown.size() - size_t(labelRoom - 3));
        line = shown + " " + line;
    }
    return line;
}

void ProgressBar::Show(double fraction) noexcept {
    if (!active_ || !(fraction >= 0))
        return;
    const int percent = std::min(int(fraction * 100), 100);
    const int columns = TerminalColumns();
    if (percent <= percent_ && columns == columns_)
        return;
    percent_ = std::max(percent, percent_);
    columns_ = columns;
    Draw();
}

void ProgressBar::Draw() noexcept {
    try {
        const std::string line = Line(label_, percent_, columns_);
        // "\033[K" clears what a longer line drawn at another width left on the right.
        std::fprintf(stderr, "\r%s\033[K", line.c_str());
        std::fflush(stderr);
        drawn_ = true;
    } catch (...) {
        active_ = false;
    }
}

void ProgressBar::Complete() noexcept {
    if (!active_ || !drawn_)
        return;
    percent_ = 100;
    columns_ = TerminalColumns();
    Draw();
    std::fputc('\n', stderr);
    active_ = false;
}

void ProgressBar::Clear() noexcept {
    if (!active_ || !drawn_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    active_ = false;
}

} // namespace cli
