#pragma once
// A progress bar on standard error, drawn only when it is a terminal and the work is long. It
// fits the terminal's width (a line that wraps cannot be redrawn), never moves backwards, and
// ends at 100 %.

#include <string>

namespace cli {

class ProgressBar {
public:
    ProgressBar(bool wanted, const std::string& label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows `fraction` (0 to 1) of the whole work done; less than already shown is ignored.
    void Show(double fraction) noexcept;
    // Draws 100 % and ends the line.
    void Complete() noexcept;
    // Removes the bar (the work failed; a message follows).
    void Clear() noexcept;

    // The line for `percent` at a width of `columns` (without the carriage return).
    static std::string Line(const std::string& label, int percent, int columns);

private:
    void Draw() noexcept;

    bool active_;
    std::string label_;
    int percent_ = -1;
    int columns_ = 0;
    bool drawn_ = false;
};

} // namespace cli
