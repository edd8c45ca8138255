#include "cli/ApplyFilter.h"

#include "cli/ImageFiles.h"
#include "cli/ProgressBar.h"
#include "presets/PresetFile.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kSupportedModes = "supported are 8-bit RGB and CMYK images, with or without transparency "
                                    "(use --convert to turn other images into 8-bit RGB first)";

std::vector<host::DescriptorItem> DescriptorItems(const ApplyRequest& request) {
    const FilterParameters& p = request.parameters;
    const std::vector<host::DescriptorItem> all = {host::IntegerItem(keyMethod, p.method),
                                                   host::FloatItem(keyValue, p.value),
                                                   host::FloatItem(keySize, p.size),
                                                   host::FloatItem(keyAberration, p.aberration),
                                                   host::FloatItem(keyRandomSeed, p.randomSeed),
                                                   host::FloatItem(keyProportion, p.proportion),
                                                   host::FloatItem(keyCenterX, p.centerX),
                                                   host::FloatItem(keyCenterY, p.centerY)};
    if (!request.lastUsed)
        return all;
    std::vector<host::DescriptorItem> given;
    for (const host::DescriptorItem& item : all)
        for (uint32_t key : request.givenKeys)
            if (item.key == key)
                given.push_back(item);
    return given;
}

std::string ResultText(int16_t result) {
    switch (result) {
    case memFullErr:
        return "not enough memory for this image";
    case userCanceledErr:
        return "cancelled";
    case filterBadParameters:
        return "the plug-in's records are missing";
    case filterBadMode:
        return "the plug-in does not support this image mode";
    default:
        return "the plug-in failed with result " + std::to_string(result);
    }
}

void OnProgress(void* context, int32_t done, int32_t total) {
    static_cast<ProgressBar*>(context)->Show(done, total);
}

// Writes `image` to `output` through a temporary file beside it, so an existing file is never
// left half-written.
bool WriteOutput(const Image& image, const std::string& output, std::string* error) {
    const FileFormat format = FormatFromExtension(output);
    if (format == FileFormat::Unknown) {
        *error = output + ": the extension names no format we write (.png, .jpg, .jpeg, .tif, .tiff)";
        return false;
    }
    const fs::path target(output);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const fs::path temporary = folder / ("." + target.filename().string() + ".vortiflux-" + std::to_string(getpid()));
    if (!WriteImage(temporary.string(), format, image, error)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        if (error->find(temporary.string()) != std::string::npos || error->rfind("cannot write", 0) == 0)
            *error = "cannot write " + output;
        return false;
    }
    std::error_code failed;
    fs::rename(temporary, target, failed);
    if (failed) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        *error = "cannot write " + output + ": " + failed.message();
        return false;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ignored;
    return fs::exists(b, ignored) && fs::equivalent(a, b, ignored);
}

} // namespace

std::string ConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return std::string(config) + "/vortiflux";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/vortiflux";
    return std::string();
}

host::Document DocumentFromImage(const Image& image) {
    host::Document document;
    document.width = image.width;
    document.height = image.height;
    document.mode = image.model == ColorModel::Cmyk ? plugInModeCMYKColor : plugInModeRGBColor;
    document.depth = 8;
    document.colorPlanes = image.colorSamples();
    document.hasTransparency = image.alpha;
    document.pixels = image.pixels;
    if (image.model == ColorModel::Cmyk) {
        const size_t samples = size_t(image.samples());
        for (size_t i = 0; i < document.pixels.size(); ++i)
            if (i % samples < 4)
                document.pixels[i] = uint8_t(255 - document.pixels[i]);
        document.iccProfile = image.iccProfile;
    }
    return document;
}

Image ImageFromDocument(const host::Document& document, const Image& original) {
    Image image = original;
    image.pixels = document.pixels;
    if (image.model == ColorModel::Cmyk) {
        const size_t samples = size_t(image.samples());
        for (size_t i = 0; i < image.pixels.size(); ++i)
            if (i % samples < 4)
                image.pixels[i] = uint8_t(255 - image.pixels[i]);
    }
    return image;
}

bool FilterImage(host::SubstituteHost* host, const ApplyRequest& request, Image* image, std::string* error) {
    host->document = DocumentFromImage(*image);
    if (request.selection) {
        const VRect s = *request.selection;
        if (s.left < 0 || s.top < 0 || s.right > image->width || s.bottom > image->height) {
            *error = "the selection lies outside the " + std::to_string(image->width) + " x " +
                     std::to_string(image->height) + " image";
            return false;
        }
        host->document.selection = s;
    }
    host->PlayDescriptor(DescriptorItems(request), plugInDialogSilent);
    const host::RunResult run = host->RunRepeat();
    if (run.result != noErr) {
        *error = ResultText(run.result);
        return false;
    }
    *image = ImageFromDocument(host->document, *image);
    return true;
}

int RunApply(const ApplyRequest& request, const std::string& toolPath) {
    std::error_code failed;
    const bool toFolder = request.inputs.size() > 1 || fs::is_directory(request.output, failed);
    if (toFolder && !fs::is_directory(request.output, failed)) {
        if (!fs::create_directories(request.output, failed) && failed) {
            std::fprintf(stderr, "vortiflux: cannot create the output folder %s: %s\n", request.output.c_str(),
                         failed.message().c_str());
            return kExitFailure;
        }
    }

    host::SubstituteHost host;
    std::string pluginPath = request.plugin;
    if (pluginPath.empty()) {
        if (const char* fromEnvironment = std::getenv("VORTIFLUX_PLUGIN"))
            pluginPath = fromEnvironment;
        else
            pluginPath = (fs::path(toolPath).parent_path() / "Vortiflux.so").string();
    }
    std::string error;
    if (!host.Load(pluginPath, &error)) {
        std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
        return kExitFailure;
    }
    const std::string config = ConfigFolder();
    if (!config.empty() && fs::create_directories(config, failed), !config.empty() && fs::is_directory(config, failed))
        host.options.registryFile = config + "/registry";
    host.options.playInfo = plugInDialogSilent;

    if (!request.savePreset.empty()) {
        if (!WritePresetFile(request.savePreset, request.parameters)) {
            std::fprintf(stderr, "vortiflux: cannot write the preset %s\n", request.savePreset.c_str());
            return kExitFailure;
        }
    }

    int status = kExitOk;
    for (const std::string& input : request.inputs) {
        const std::string output =
            toFolder ? (fs::path(request.output) / fs::path(input).filename()).string() : request.output;
        if (SameFile(input, output)) {
            std::fprintf(stderr, "vortiflux: %s: the output would replace the input; choose another output\n",
                         input.c_str());
            status = kExitUsage;
            continue;
        }
        if (FormatFromExtension(output) == FileFormat::Unknown) {
            std::fprintf(stderr, "vortiflux: %s: the extension names no format we write (.png, .jpg, .tif)\n",
                         output.c_str());
            status = kExitUsage;
            continue;
        }
        using Clock = std::chrono::steady_clock;
        const auto seconds = [](Clock::time_point from, Clock::time_point to) {
            return std::chrono::duration<double>(to - from).count();
        };
        const Clock::time_point readStart = Clock::now();
        Image image;
        bool unsupported = false;
        if (!ReadImage(input, request.convert, &image, &unsupported, &error)) {
            if (unsupported)
                std::fprintf(stderr, "vortiflux: %s is not supported: %s\n", error.c_str(), kSupportedModes);
            else
                std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
            status = unsupported ? kExitUsage : kExitFailure;
            continue;
        }
        if (request.convert && !request.quiet) {
            ImageInfo info;
            std::string ignored;
            if (ReadImageInfo(input, &info, &ignored) && !info.supported)
                std::fprintf(stderr, "vortiflux: note: %s converted from %d-bit %s to 8-bit RGB\n", input.c_str(),
                             info.bitsPerSample, info.mode.c_str());
        }
        const FileFormat format = FormatFromExtension(output);
        if (format == FileFormat::Png && image.model == ColorModel::Cmyk) {
            std::fprintf(stderr, "vortiflux: %s: PNG cannot hold a CMYK image; write a .tif or .jpg instead\n",
                         output.c_str());
            status = kExitUsage;
            continue;
        }

        const Clock::time_point filterStart = Clock::now();
        ProgressBar bar(!request.quiet && int64_t(image.width) * image.height >= 4000000, input);
        host.options.progressListener = &OnProgress;
        host.options.progressContext = &bar;
        const bool filtered = FilterImage(&host, request, &image, &error);
        host.options.progressListener = nullptr;
        bar.Finish();
        if (!filtered) {
            std::fprintf(stderr, "vortiflux: %s: %s\n", input.c_str(), error.c_str());
            status = kExitFailure;
            continue;
        }
        if (format == FileFormat::Jpeg && image.alpha) {
            if (!request.quiet)
                std::fprintf(stderr, "vortiflux: note: JPEG has no transparency; %s is written without it\n",
                             output.c_str());
            Image opaque = image;
            opaque.alpha = false;
            opaque.pixels.clear();
            const size_t samples = size_t(image.samples());
            for (size_t i = 0; i < image.pixels.size(); ++i)
                if (i % samples < samples - 1)
                    opaque.pixels.push_back(image.pixels[i]);
            image = std::move(opaque);
        }
        const Clock::time_point writeStart = Clock::now();
        if (!WriteOutput(image, output, &error)) {
            std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
            status = kExitFailure;
            continue;
        }
        if (request.timing)
            std::fprintf(stderr, "vortiflux: %s: read %.3f s, filter %.3f s, write %.3f s\n", input.c_str(),
                         seconds(readStart, filterStart), seconds(filterStart, writeStart),
                         seconds(writeStart, Clock::now()));
    }
    return status;
}

int RunInfo(const std::vector<std::string>& inputs) {
    int status = kExitOk;
    for (const std::string& input : inputs) {
        ImageInfo info;
        std::string error;
        if (!ReadImageInfo(input, &info, &error)) {
            std::fprintf(stderr, "vortiflux: %s\n", error.c_str());
            status = kExitFailure;
            continue;
        }
        std::printf("%s: %s, %d x %d, %s, %d-bit, %d plane%s, %s, %s\n", input.c_str(), info.format.c_str(), info.width,
                    info.height, info.mode.c_str(), info.bitsPerSample, info.samples, info.samples == 1 ? "" : "s",
                    info.iccProfileBytes > 0
                        ? ("ICC profile of " + std::to_string(info.iccProfileBytes) + " bytes").c_str()
                        : "no profile",
                    info.supported ? "supported" : "needs --convert");
    }
    return status;
}

} // namespace cli
