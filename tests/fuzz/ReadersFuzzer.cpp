// Feeds arbitrary bytes to every reader of files a user may hand us: preset files, the settings
// file, and the PNG, JPEG and TIFF readers and the EXIF orientation of the command-line tool.
// The first byte picks the reader (and the reading options); the rest is the file. An image read
// by the format-detecting reader also goes to the host's document and back and is written again
// (PNG, JPEG or TIFF), so every depth and colour model a reader makes meets the writers. Any
// crash, overrun or leak is a fault.
#include "cli/ApplyFilter.h"
#include "cli/Exif.h"
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
    const cli::InputFile file{ScratchFile(), "fuzz"};
    // Small limits, so a declared size the fuzzer makes up is refused as it would be on a
    // machine with little memory, and the readers' own allocation limits are exercised.
    cli::ReadOptions options;
    options.convert = (data[0] & 0x80) != 0;
    options.limits.maxPixels = 1 << 22;
    options.limits.memoryBytes = 64 << 20;
    options.page = (data[0] >> 3) & 3;
    switch (data[0] % 7) {
    case 0:
        ReadPresetFile(ScratchFile(), &parameters);
        break;
    case 1:
        ReadUiSettingsFile(ScratchFile(), &parameters);
        break;
    case 2:
        cli::ReadPng(file, options, &image, &info, false, &error);
        break;
    case 3:
        cli::ReadJpeg(file, options, &image, &info, false, &error);
        break;
    case 4:
        cli::ReadTiff(file, options, &image, &info, false, &error);
        break;
    case 5:
        if (cli::ReadImage(file, options, &image, &info, &error) == cli::ReadStatus::Ok) {
            host::Document document = cli::DocumentFromImage(&image);
            cli::ImageFromDocument(&document, &image);
            const cli::FileFormat formats[] = {cli::FileFormat::Png, cli::FileFormat::Jpeg, cli::FileFormat::Tiff};
            cli::WriteImage(ScratchFile() + ".out", formats[(data[0] >> 5) % 3], image, &error);
            std::remove((ScratchFile() + ".out").c_str());
        }
        break;
    case 6:
        cli::ExifOrientation(std::vector<uint8_t>(data + 1, data + size));
        break;
    }
    return 0;
}
