// The tool's progress bar as a terminal shows it: within the terminal's width, never backwards,
// through the writing of the file, ending at 100 %.
#include "cli/ProgressBar.h"
#include "TempFolder.h"
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

using testing_support::TempFolder;
using namespace tool_test;

namespace {

TEST(ProgressBarLine, FitsEveryWidthAndKeepsTheEndOfALongLabel) {
    const std::string label = "/a/rather/long/folder/name/holding/the/picture-of-the-day.tif";
    for (int columns = 1; columns <= 160; ++columns)
        for (int percent : {0, 7, 50, 100}) {
            const std::string line = cli::ProgressBar::Line(label, percent, columns);
            EXPECT_LT(int(line.size()), std::max(columns, 1)) << columns;
            if (columns >= 6) {
                EXPECT_NE(line.find(std::to_string(percent) + "%"), std::string::npos) << line;
            }
        }
    const std::string narrow = cli::ProgressBar::Line(label, 100, 80);
    EXPECT_NE(narrow.find("picture-of-the-day.tif ["), std::string::npos) << narrow;
    EXPECT_EQ(narrow.rfind("...", 0), 0u) << narrow;
    EXPECT_NE(cli::ProgressBar::Line("x.png", 100, 80).find("[##############################] 100%"),
              std::string::npos);
}

TEST(ProgressBarTerminal, NeverWrapsNorStepsBackAndEndsFull) {
    TempFolder folder;
    TempFolder config;
    // Over the size from which the bar shows, written to a PNG, which takes a while.
    Write(folder.file("in.tif"), Pattern(2100, 2000, cli::ColorModel::Rgb, false));
    constexpr int kColumns = 50;
    winsize size{};
    size.ws_col = kColumns;
    size.ws_row = 24;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("XDG_CONFIG_HOME", config.folder().c_str(), 1);
        execl(VORTIFLUX_TOOL_PATH, VORTIFLUX_TOOL_PATH, "apply", folder.file("in.tif").c_str(), "-o",
              folder.file("out.png").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string shown;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            break;
        shown.append(buffer, size_t(got));
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;

    std::vector<int> percents;
    size_t start = 0;
    while (start < shown.size()) {
        size_t end = shown.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = shown.size();
        std::string line = shown.substr(start, end - start);
        for (size_t clear; (clear = line.find("\033[K")) != std::string::npos;)
            line.erase(clear, 3);
        EXPECT_LT(int(line.size()), kColumns) << line;
        std::smatch percent;
        if (std::regex_search(line, percent, std::regex("(\\d+)%$")))
            percents.push_back(std::atoi(percent[1].str().c_str()));
        start = end + 1;
    }
    ASSERT_FALSE(percents.empty()) << shown;
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_GE(percents[i], percents[i - 1]) << shown;
    EXPECT_EQ(percents.back(), 100);
    // The file's writing moves the bar too (the last part of it).
    EXPECT_TRUE(std::any_of(percents.begin(), percents.end(), [](int p) { return p > 86 && p < 100; })) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 2), "\r\n");
}

} // namespace
