// Feeds arbitrary bytes to every reader of files a user may hand us: preset files, the settings
// file, and the PNG, JPEG and TIFF readers of the command-line tool. The first byte picks the
// reader; the rest is the file. Any crash, overrun or leak is a fault.
#include "cli/ImageFiles.h"
#include "engine/FilterParameters.h"
#include "presets/PresetFile.h"
#include "presets/UiSettings.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string ScratchFile() {
    static const std::string path = "/tmp/vortiflux-fuzz-" + std::to_string(getpid());
    return path;
}

bool WriteScratch(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || !WriteScratch(data + 1, size - 1))
        return 0;
    FilterParameters parameters{};
    std::string error;
    cli::Image image;
    cli::ImageInfo info;
    bool unsupported = false;
    switch (data[0] % 6) {
    case 0:
        ReadPresetFile(ScratchFile(), &parameters);
        break;
    case 1:
        ReadUiSettingsFile(ScratchFile(), &parameters);
        break;
    case 2:
        cli::ReadPng(ScratchFile(), data[0] & 0x80, &image, &info, false, &error);
        break;
    case 3:
        cli::ReadJpeg(ScratchFile(), data[0] & 0x80, &image, &info, false, &error);
        break;
    case 4:
        cli::ReadTiff(ScratchFile(), data[0] & 0x80, &image, &info, false, &error);
        break;
    case 5:
        cli::ReadImage(ScratchFile(), true, &image, &unsupported, &error);
        break;
    }
    return 0;
}
