#pragma once
// Running the vortiflux tool from the tests as a user does, and the images they hand it.

#include "TempFolder.h"
#include "cli/ImageFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace tool_test {

struct ToolRun {
    int exitCode;       // -1 when the tool ended by a signal
    std::string output; // standard output and error together
};

// Runs the tool through the shell: `arguments` may end with redirections of its standard
// input and output, `environment` may start with commands and a pipe into it; what the tool
// says on standard error is captured whatever its standard output is redirected to.
inline ToolRun Tool(const std::string& arguments, const std::string& environment = "") {
    const std::string command = "{ " + environment + " " + VORTIFLUX_TOOL_PATH + " " + arguments + "; } 2>&1";
    ToolRun run{-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Runs of the tool on files in a folder of their own, with a settings folder of their own.
class ToolTest : public ::testing::Test {
protected:
    std::string Env() const { return "XDG_CONFIG_HOME=" + config.folder(); }
    ToolRun Apply(const std::string& in, const std::string& out, const std::string& options) {
        return Tool("apply " + folder.file(in) + " -o " + folder.file(out) + " " + options, Env());
    }
    testing_support::TempFolder folder;
    testing_support::TempFolder config;
};

inline cli::Image Pattern(int32_t width, int32_t height, cli::ColorModel model, bool alpha) {
    cli::Image image;
    image.width = width;
    image.height = height;
    image.model = model;
    image.alpha = alpha;
    image.pixels.resize(image.rowBytes() * size_t(height));
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = uint8_t((i * 37 + (i / image.rowBytes()) * 11) ^ (i >> 7));
    if (alpha)
        for (size_t p = 0; p < size_t(width) * size_t(height); ++p)
            image.pixels[p * size_t(image.samples()) + size_t(image.colorSamples())] =
                uint8_t(p % 3 == 0 ? 255 : p * 7);
    image.resolutionX = image.resolutionY = 150;
    return image;
}

// A 16-bit picture whose samples cover the whole range: both ends, and odd and even values (half
// of them share their host value with a neighbour). Transparency is mostly opaque, with holes.
inline cli::Image DeepPattern(int32_t width, int32_t height, cli::ColorModel model, bool alpha) {
    cli::Image image;
    image.width = width;
    image.height = height;
    image.model = model;
    image.alpha = alpha;
    image.depth = 16;
    image.pixels.resize(image.rowBytes() * size_t(height));
    const size_t samples = size_t(image.samples());
    for (size_t i = 0; i < image.pixels.size() / 2; ++i) {
        uint16_t value = uint16_t(i * 40503u + (i / (samples * size_t(width))) * 977u);
        if (i % 17 == 0)
            value = 0;
        else if (i % 19 == 0)
            value = 65535;
        if (alpha && i % samples == samples - 1)
            value = (i / samples) % 3 == 0 ? uint16_t(i * 7919u) : uint16_t(65535);
        std::memcpy(image.pixels.data() + i * 2, &value, 2);
    }
    image.resolutionX = image.resolutionY = 300;
    return image;
}

// The 16-bit sample at index `i` (samples counted from the first of the first row).
inline uint16_t Sample16(const cli::Image& image, size_t i) {
    uint16_t value;
    std::memcpy(&value, image.pixels.data() + i * 2, 2);
    return value;
}

inline cli::Image Read(const std::string& path) {
    cli::Image image;
    cli::ImageInfo info;
    std::string error;
    EXPECT_EQ(cli::ReadImage(cli::InputFile{path, path}, cli::ReadOptions(), &image, &info, &error),
              cli::ReadStatus::Ok)
        << error;
    return image;
}

inline void Write(const std::string& path, const cli::Image& image) {
    std::string error;
    ASSERT_TRUE(cli::WriteImage(path, cli::FormatFromExtension(path), image, &error)) << error;
}

} // namespace tool_test
