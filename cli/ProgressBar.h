#pragma once
// A progress bar on standard error, drawn only when it is a terminal and the work is long.

#include <cstdint>
#include <string>

namespace cli {

class ProgressBar {
public:
    ProgressBar(bool wanted, const std::string& label);
    void Show(int32_t done, int32_t total);
    // Clears the bar's line.
    void Finish();

private:
    bool active_;
    std::string label_;
    int shown_ = -1;
};

} // namespace cli
