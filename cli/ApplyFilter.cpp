#include "cli/ApplyFilter.h"

#include "cli/HostSamples.h"
#include "cli/ImageFiles.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "cli/ToolPaths.h"
#include "engine/EffectFields.h"
#include "presets/PresetFile.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kSupportedModes = "supported are 8- and 16-bit RGB, CMYK and grey images, with or without "
                                    "transparency (use --convert to turn other images into 8-bit RGB or grey first)";

// Images from this size on show a progress bar.
constexpr uint64_t kProgressPixels = 4000000;
// How the bar divides one page's work.
constexpr double kReadShare = 0.15, kFilterShare = 0.70;

void Say(const std::string& message) {
    std::fprintf(stderr, "vortiflux: %s\n", message.c_str());
}

int16_t DocumentMode(const Image& image) {
    const bool deep = image.depth == 16;
    switch (image.model) {
    case ColorModel::Cmyk:
        return deep ? plugInModeCMYK64 : plugInModeCMYKColor;
    case ColorModel::Grey:
        return deep ? plugInModeGray16 : plugInModeGrayScale;
    case ColorModel::Rgb:
        break;
    }
    return deep ? plugInModeRGB48 : plugInModeRGBColor;
}

// "16-bit RGB", "8-bit grey with transparency": an image's kind in messages.
std::string KindName(const Image& image) {
    return std::to_string(image.depth) + "-bit " + ModelName(image.model) + (image.alpha ? " with transparency" : "");
}

std::vector<host::DescriptorItem> DescriptorItems(const ApplyRequest& request) {
    const FilterParameters& p = request.parameters;
    std::vector<host::DescriptorItem> all = {host::IntegerItem(keyMethod, p.method)};
    for (const EffectField& entry : kEffectFields)
        all.push_back(host::FloatItem(entry.key, p.*entry.field));
    if (!request.lastUsed)
        return all;
    std::vector<host::DescriptorItem> given;
    for (const host::DescriptorItem& item : all)
        for (uint32_t key : request.givenKeys)
            if (item.key == key)
                given.push_back(item);
    return given;
}

// The values a run used, from the descriptor the plug-in recorded at Finish.
FilterParameters RecordedValues(const std::vector<host::DescriptorItem>& items, FilterParameters values) {
    for (const host::DescriptorItem& item : items) {
        if (item.key == keyMethod) {
            if (item.type == typeInteger)
                values.method = uint8_t(item.integer & 0xFF);
            continue;
        }
        float* field = EffectFieldOf(values, item.key);
        if (field == nullptr)
            continue;
        if (item.type == typeFloat)
            *field = float(item.number);
    }
    return values;
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

// A file that lives only in memory (standard input and output pass through one, so the readers
// and writers work on a file whatever the other end of the pipe is). Owns the descriptor.
struct MemoryFile {
    int descriptor = -1;
    ~MemoryFile() {
        if (descriptor >= 0)
            close(descriptor);
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(descriptor); }
    bool Create(std::string* error) {
        descriptor = memfd_create("vortiflux", MFD_CLOEXEC);
        if (descriptor < 0)
            *error = std::string("cannot make a file in memory: ") + std::strerror(errno);
        return descriptor >= 0;
    }
};

bool Copy(int from, int to, const char* what, std::string* error) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            *error = std::string("cannot read ") + what + ": " + std::strerror(errno);
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = write(to, buffer.data() + written, size_t(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                *error = std::string("cannot write ") + what + ": " + std::strerror(errno);
                return false;
            }
            written += put;
        }
    }
}

// One input and where its result goes, as planned before anything is written.
struct Job {
    std::string input; // as given
    InputFile source;
    bool fromStdin = false;
    bool toStdout = false;
    FileFormat format = FileFormat::Unknown; // Unknown: the input's own (standard output only)
    OutputTarget target;
    bool inputKnown = false; // the input exists; its identity follows
    dev_t inputDevice = 0;
    ino_t inputInode = 0;
};

std::string OutputKey(const OutputTarget& target) {
    if (target.exists)
        return "file " + std::to_string(target.device) + ":" + std::to_string(target.inode);
    std::error_code ignored;
    const fs::path path(target.path);
    const fs::path folder =
        fs::weakly_canonical(fs::absolute(path.has_parent_path() ? path.parent_path() : ".", ignored), ignored);
    return "path " + (folder / path.filename()).lexically_normal().string();
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && path.back() == '/';
}

// Every check that needs no pixels, for all inputs before the first is read: false (with the
// reasons said and the exit code set) when the run must not start.
bool Plan(const ApplyRequest& request, std::vector<Job>* jobs, int* exitCode) {
    *exitCode = kExitUsage;
    const size_t fromStdin = size_t(std::count(request.inputs.begin(), request.inputs.end(), "-"));
    const bool toStdout = request.output == "-";
    if (fromStdin > 1) {
        Say("standard input ('-') can be read only once");
        return false;
    }
    if (fromStdin == 1 && isatty(STDIN_FILENO)) {
        Say("standard input is a terminal; pipe an image into it or name a file");
        return false;
    }
    if (toStdout && request.inputs.size() > 1) {
        Say("standard output ('-o -') takes the result of one input only");
        return false;
    }
    if (toStdout && isatty(STDOUT_FILENO)) {
        Say("will not write an image to a terminal; redirect standard output or give -o FILE");
        return false;
    }
    std::error_code failed;
    const bool toFolder = !toStdout && (request.inputs.size() > 1 || EndsWithSeparator(request.output) ||
                                        fs::is_directory(request.output, failed));
    bool ok = true, cannotWrite = false;
    for (const std::string& input : request.inputs) {
        Job job;
        job.input = input;
        job.fromStdin = input == "-";
        job.toStdout = toStdout;
        job.source = InputFile{input, job.fromStdin ? "standard input" : input};
        std::string output = request.output;
        if (toFolder) {
            const std::string name = fs::path(input).filename().string();
            if (job.fromStdin || name.empty() || name == "." || name == "..") {
                Say(job.fromStdin ? "standard input has no file name to write into a folder; give -o FILE"
                                  : input + " names no file");
                ok = false;
                continue;
            }
            output = (fs::path(request.output) / name).string();
        }
        job.format = request.format != FileFormat::Unknown ? request.format
                     : toStdout                            ? FileFormat::Unknown
                                                           : FormatFromExtension(output);
        if (!toStdout && job.format == FileFormat::Unknown) {
            Say(output + ": the extension names no format we write (.png, .jpg, .jpeg, .tif, .tiff); or give --format");
            ok = false;
            continue;
        }
        if (!toStdout) {
            std::string error;
            if (!ResolveOutput(output, &job.target, &error)) {
                Say(error);
                cannotWrite = true;
                continue;
            }
        }
        struct stat status {};
        if (!job.fromStdin && stat(input.c_str(), &status) == 0) {
            job.inputKnown = true;
            job.inputDevice = status.st_dev;
            job.inputInode = status.st_ino;
        }
        jobs->push_back(job);
    }
    if (!ok || cannotWrite) {
        *exitCode = ok ? kExitFailure : kExitUsage;
        return false;
    }

    // No output may be an input (of this job or another), nor the output of another job.
    std::map<std::string, const Job*> outputs;
    for (const Job& job : *jobs) {
        if (job.toStdout)
            continue;
        for (const Job& other : *jobs)
            if (job.target.exists && other.inputKnown && job.target.device == other.inputDevice &&
                job.target.inode == other.inputInode) {
                Say(&other == &job ? job.target.shown + ": the output would replace the input; choose another output"
                                   : job.target.shown + ": the output of " + job.input + " would replace the input " +
                                         other.input + "; choose another output");
                ok = false;
            }
        const auto [previous, added] = outputs.emplace(OutputKey(job.target), &job);
        if (!added) {
            Say(previous->second->input + " and " + job.input + " would both be written to " + job.target.shown +
                "; rename one or write them into different folders");
            ok = false;
        }
        if (job.target.readOnly && !request.force) {
            Say(job.target.shown + " is read-only; --force replaces it");
            ok = false;
        }
    }
    if (!ok)
        return false;
    if (toFolder && !fs::is_directory(request.output, failed) && !fs::create_directories(request.output, failed) &&
        failed) {
        Say("cannot create the output folder " + request.output + ": " + failed.message());
        *exitCode = kExitFailure;
        return false;
    }
    return true;
}

// Where one input's result is written: a temporary file renamed over the output, the output
// itself (a device or a pipe), or a file in memory copied to standard output.
class Destination {
public:
    bool Open(const Job& job, FileFormat format, const WriteOptions& options, std::string* error) {
        std::string path;
        if (job.toStdout) {
            if (!memory_.Create(error))
                return false;
            path = memory_.path();
        } else if (job.target.regular) {
            if (!temporary_.Create(job.target, error))
                return false;
            path = temporary_.writePath();
        } else {
            path = job.target.path;
        }
        writer_ = OpenImageWriter(path, format, options, error);
        return writer_ != nullptr;
    }
    ImageWriter* writer() { return writer_.get(); }
    bool Commit(const Job& job, std::string* error) {
        if (!writer_->Finish(error))
            return false;
        if (job.toStdout) {
            if (lseek(memory_.descriptor, 0, SEEK_SET) != 0) {
                *error = std::string("cannot write standard output: ") + std::strerror(errno);
                return false;
            }
            return Copy(memory_.descriptor, STDOUT_FILENO, "standard output", error);
        }
        return !job.target.regular || temporary_.Commit(error);
    }

private:
    MemoryFile memory_;
    TemporaryOutput temporary_;
    std::unique_ptr<ImageWriter> writer_;
};

struct Times {
    double read = 0, filter = 0, write = 0;
};

class Run {
public:
    Run(const ApplyRequest& request, host::SubstituteHost* host, const ResourceLimits& limits)
        : request_(request), host_(host), limits_(limits) {}

    int Process(const Job& job);
    const std::optional<FilterParameters>& recorded() const { return recorded_; }

private:
    int ProcessPages(const Job& job, const ImageInfo& info, ProgressBar* bar, Times* times);

    const ApplyRequest& request_;
    host::SubstituteHost* host_;
    ResourceLimits limits_;
    std::optional<FilterParameters> recorded_;
};

int Run::Process(const Job& job) {
    ImageInfo info;
    std::string error;
    if (ReadImageInfo(job.source, &info, &error) != ReadStatus::Ok) {
        Say(error);
        return kExitFailure;
    }
    const uint64_t pixels = uint64_t(info.width) * info.height * uint64_t(std::max(info.pages, 1));
    ProgressBar bar(!request_.quiet && pixels >= kProgressPixels, job.source.name);
    Times times;
    const int status = ProcessPages(job, info, &bar, &times);
    if (status != kExitOk) {
        bar.Clear();
        return status;
    }
    bar.Complete();
    if (request_.timing)
        std::fprintf(stderr, "vortiflux: %s: read %.3f s, filter %.3f s, write %.3f s\n", job.source.name.c_str(),
                     times.read, times.filter, times.write);
    return kExitOk;
}

int Run::ProcessPages(const Job& job, const ImageInfo& info, ProgressBar* bar, Times* times) {
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    std::string error;
    FileFormat format = job.format;
    if (format == FileFormat::Unknown) {
        format = FormatFromContents(job.source, &error);
        if (format == FileFormat::Unknown) {
            Say(error);
            return kExitFailure;
        }
    }
    const int pages = std::max(info.pages, 1);
    if (pages > 1 && format != FileFormat::Tiff) {
        Say(job.source.name + " has " + std::to_string(pages) +
            " pages; only a TIFF output holds them all (write a .tif file, or --format tiff)");
        return kExitUsage;
    }

    Destination destination;
    WriteOptions writeOptions;
    writeOptions.name = job.toStdout ? "standard output" : job.target.shown;
    writeOptions.jpegQuality = request_.jpegQuality;
    bool notedConversion = false, notedAlpha = false, notedDepth = false;
    for (int page = 0; page < pages; ++page) {
        const std::string name =
            pages > 1 ? job.source.name + " (page " + std::to_string(page + 1) + " of " + std::to_string(pages) + ")"
                      : job.source.name;
        const double pageStart = double(page) / pages, pageShare = 1.0 / pages;
        auto phase = [bar, pageStart, pageShare](double from, double share) {
            return [bar, pageStart, pageShare, from, share](uint64_t done, uint64_t total) {
                if (total > 0)
                    bar->Show(pageStart + pageShare * (from + share * double(done) / double(total)));
            };
        };

        Clock::time_point start = Clock::now();
        ReadOptions readOptions;
        readOptions.convert = request_.convert;
        readOptions.limits = limits_;
        readOptions.page = page;
        readOptions.progress = phase(0, kReadShare);
        Image image;
        ImageInfo pageInfo;
        const ReadStatus read = ReadImage(job.source, readOptions, &image, &pageInfo, &error);
        if (read == ReadStatus::Unsupported) {
            Say(request_.convert ? error : error + " is not supported: " + kSupportedModes);
            return kExitUsage;
        }
        if (read != ReadStatus::Ok) {
            Say(error);
            return kExitFailure;
        }
        times->read += since(start);
        if (request_.convert && !request_.quiet && !pageInfo.supported && !notedConversion) {
            Say("note: " + name + " converted from " + std::to_string(pageInfo.bitsPerSample) + "-bit " +
                pageInfo.mode + " to " + KindName(image));
            notedConversion = true;
        }
        if (format == FileFormat::Png && image.model == ColorModel::Cmyk) {
            Say(writeOptions.name + ": PNG cannot hold a CMYK image; write a .tif or .jpg instead");
            return kExitUsage;
        }

        start = Clock::now();
        host_->options.progressListener = [](void* context, int32_t done, int32_t total) {
            (*static_cast<ProgressFunction*>(context))(uint64_t(std::max(done, 0)), uint64_t(std::max(total, 0)));
        };
        ProgressFunction filterProgress = phase(kReadShare, kFilterShare);
        host_->options.progressContext = &filterProgress;
        const int filtered = FilterImage(host_, request_, &image, &error);
        host_->options.progressListener = nullptr;
        host_->options.progressContext = nullptr;
        if (filtered != kExitOk) {
            Say(name + ": " + error);
            return filtered;
        }
        times->filter += since(start);
        recorded_ = RecordedValues(host_->RecordedDescriptor(), request_.parameters);

        // JPEG holds neither transparency nor more than 8 bits a sample: the writer leaves the one
        // out and scales the other down.
        if (format == FileFormat::Jpeg && image.alpha && !notedAlpha) {
            if (!request_.quiet)
                Say("note: JPEG has no transparency; " + writeOptions.name + " is written without it");
            notedAlpha = true;
        }
        if (format == FileFormat::Jpeg && image.depth > 8 && !notedDepth) {
            if (!request_.quiet)
                Say("note: JPEG holds 8 bits a sample; " + writeOptions.name + " is written with 8 (write a .png " +
                    "or .tif to keep all " + std::to_string(image.depth) + ")");
            notedDepth = true;
        }

        start = Clock::now();
        writeOptions.progress = phase(kReadShare + kFilterShare, 1 - kReadShare - kFilterShare);
        if (page == 0 && !destination.Open(job, format, writeOptions, &error)) {
            Say(error);
            return kExitFailure;
        }
        if (!destination.writer()->Add(image, page, pages, &error)) {
            Say(error);
            return kExitFailure;
        }
        times->write += since(start);
    }
    const auto start = Clock::now();
    if (!destination.Commit(job, &error)) {
        Say(error);
        return kExitFailure;
    }
    times->write += since(start);
    return kExitOk;
}

bool ReadStandardInput(MemoryFile* memory, std::string* error) {
    return memory->Create(error) && Copy(STDIN_FILENO, memory->descriptor, "standard input", error);
}

} // namespace

std::string ConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return std::string(config) + "/vortiflux";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/vortiflux";
    return std::string();
}

host::Document DocumentFromImage(Image* image) {
    host::Document document;
    document.width = image->width;
    document.height = image->height;
    document.mode = DocumentMode(*image);
    document.depth = image->depth;
    document.colorPlanes = image->colorSamples();
    document.hasTransparency = image->alpha;
    document.pixels = std::move(image->pixels);
    image->pixels.clear();
    const int inverted = image->model == ColorModel::Cmyk ? 4 : 0;
    if (image->depth == 16) {
        SamplesToHost(document.pixels.data(), document.pixels.size() / 2, image->samples(), inverted,
                      &image->fileValueBits);
    } else if (image->model == ColorModel::Cmyk) {
        const size_t samples = size_t(image->samples());
        for (size_t i = 0; i < document.pixels.size(); ++i)
            if (i % samples < 4)
                document.pixels[i] = uint8_t(255 - document.pixels[i]);
    }
    if (image->model == ColorModel::Cmyk)
        document.iccProfile = image->iccProfile;
    return document;
}

void ImageFromDocument(host::Document* document, Image* image) {
    image->pixels = std::move(document->pixels);
    document->pixels.clear();
    if (image->depth == 16) {
        SamplesFromHost(image->pixels.data(), image->pixels.size() / 2, image->samples(),
                        image->model == ColorModel::Cmyk ? 4 : 0, image->fileValueBits);
        image->fileValueBits = std::vector<uint8_t>();
    } else if (image->model == ColorModel::Cmyk) {
        const size_t samples = size_t(image->samples());
        for (size_t i = 0; i < image->pixels.size(); ++i)
            if (i % samples < 4)
                image->pixels[i] = uint8_t(255 - image->pixels[i]);
    }
}

int FilterImage(host::SubstituteHost* host, const ApplyRequest& request, Image* image, std::string* error) {
    if (request.selection) {
        const VRect s = *request.selection;
        if (s.right > image->width || s.bottom > image->height) {
            const bool disjoint = s.left >= image->width || s.top >= image->height;
            *error = "the selection " + std::to_string(s.left) + "," + std::to_string(s.top) + "," +
                     std::to_string(int64_t(s.right) - s.left) + "," + std::to_string(int64_t(s.bottom) - s.top) +
                     (disjoint ? " lies outside the " : " does not fit in the ") + std::to_string(image->width) +
                     " x " + std::to_string(image->height) + " image";
            return kExitUsage;
        }
    }
    host->document = DocumentFromImage(image);
    if (request.selection)
        host->document.selection = *request.selection;
    host->PlayDescriptor(DescriptorItems(request), plugInDialogSilent);
    const host::RunResult run = host->RunRepeat();
    if (!run.enabled) {
        // The plug-in's property list leaves its command unavailable for this image, as a host's
        // menu greys it out.
        *error = "the plug-in library does not take this image (" + KindName(*image) + ")";
        host->document = host::Document();
        return kExitUsage;
    }
    if (run.result != noErr) {
        *error = ResultText(run.result);
        host->document = host::Document();
        return kExitFailure;
    }
    ImageFromDocument(&host->document, image);
    host->document = host::Document();
    return kExitOk;
}

namespace {

// Jobs that read standard input read it from one in-memory copy.
bool ReadStandardInputOnce(std::vector<Job>* jobs, MemoryFile* standardInput) {
    for (Job& job : *jobs)
        if (job.fromStdin) {
            std::string error;
            if (!ReadStandardInput(standardInput, &error)) {
                Say(error);
                return false;
            }
            job.source.path = standardInput->path();
        }
    return true;
}

// Leftovers of killed runs in the folders about to be written.
void RemoveLeftovers(const std::vector<Job>& jobs, bool quiet) {
    std::set<std::string> folders;
    for (const Job& job : jobs)
        if (!job.toStdout && job.target.regular)
            folders.insert(fs::path(job.target.path).parent_path().string());
    for (const std::string& folder : folders)
        for (const std::string& name : RemoveStaleTemporaries(folder))
            if (!quiet)
                Say("note: removed " + (fs::path(folder) / name).string() + ", left by an interrupted run");
}

// Loads the plug-in library into `host` and gives it the tool's registry of last used values.
bool LoadPlugin(const ApplyRequest& request, host::SubstituteHost* host) {
    std::vector<std::string> tried;
    const std::string pluginPath = FindPlugin(request.plugin, &tried);
    if (pluginPath.empty()) {
        std::string places;
        for (const std::string& place : tried)
            places += (places.empty() ? "" : " or ") + place;
        Say("cannot find the plug-in library (looked for " + (places.empty() ? "it" : places) +
            "); set VORTIFLUX_PLUGIN or give --plugin");
        return false;
    }
    std::string error;
    if (!host->Load(pluginPath, &error)) {
        Say(error);
        return false;
    }
    std::error_code failed;
    const std::string config = ConfigFolder();
    if (!config.empty()) {
        fs::create_directories(config, failed);
        if (fs::is_directory(config, failed))
            host->options.registryFile = config + "/registry";
    }
    host->options.playInfo = plugInDialogSilent;
    // Asked, as a host's menu asks, whether the plug-in takes the image at all (a library that
    // does not take a mode would otherwise hand the image back unchanged as a success).
    host->options.evaluateEnable = true;
    // The tool keeps nothing of a failed run: the plug-in may write into the document itself.
    host->options.outputInPlace = true;
    return true;
}

// Every job in turn; the worst outcome decides: a failure (1) over an unsupported input (2) over
// success.
int ProcessAll(Run* run, const std::vector<Job>& jobs) {
    int status = kExitOk;
    for (const Job& job : jobs) {
        int result = kExitFailure;
        try {
            result = run->Process(job);
        } catch (const std::bad_alloc&) {
            Say(job.source.name + ": not enough memory for this image");
        }
        if (result == kExitFailure || (result == kExitUsage && status == kExitOk))
            status = result;
    }
    return status;
}

// --save-preset: the values of a run that succeeded; the status a failed write leaves.
int SavePresetOfRun(const ApplyRequest& request, const Run& run, int status) {
    if (request.savePreset.empty())
        return status;
    if (status != kExitOk || !run.recorded()) {
        Say("the preset " + request.savePreset + " was not saved, since the run did not succeed");
    } else if (!WritePresetFile(request.savePreset, *run.recorded())) {
        Say("cannot write the preset " + request.savePreset);
        return kExitFailure;
    }
    return status;
}

} // namespace

int RunApply(const ApplyRequest& request) {
    InstallSignalCleanup();
    std::vector<Job> jobs;
    int planned = kExitOk;
    if (!Plan(request, &jobs, &planned))
        return planned;
    MemoryFile standardInput;
    if (!ReadStandardInputOnce(&jobs, &standardInput))
        return kExitFailure;
    RemoveLeftovers(jobs, request.quiet);

    host::SubstituteHost host;
    if (!LoadPlugin(request, &host))
        return kExitFailure;
    const ResourceLimits limits = request.limitPixels > 0 ? LimitsForPixels(request.limitPixels) : DefaultLimits();
    Run run(request, &host, limits);
    return SavePresetOfRun(request, run, ProcessAll(&run, jobs));
}

int RunInfo(const std::vector<std::string>& inputs) {
    int status = kExitOk;
    MemoryFile standardInput;
    for (const std::string& input : inputs) {
        InputFile source{input, input};
        std::string error;
        if (input == "-") {
            source.name = "standard input";
            if (standardInput.descriptor < 0 && !ReadStandardInput(&standardInput, &error)) {
                Say(error);
                status = kExitFailure;
                continue;
            }
            source.path = standardInput.path();
        }
        ImageInfo info;
        if (ReadImageInfo(source, &info, &error) != ReadStatus::Ok) {
            Say(error);
            status = kExitFailure;
            continue;
        }
        const std::string profile = info.iccProfileBytes > 0
                                        ? "ICC profile of " + std::to_string(info.iccProfileBytes) + " bytes"
                                        : std::string("no profile");
        const std::string pages = info.pages > 1 ? ", " + std::to_string(info.pages) + " pages" : std::string();
        const std::string orientation =
            info.orientation > 1 ? ", orientation " + std::to_string(info.orientation) : std::string();
        std::printf("%s: %s, %u x %u, %s, %d-bit, %d plane%s%s%s, %s, %s\n", source.name.c_str(), info.format.c_str(),
                    info.width, info.height, info.mode.c_str(), info.bitsPerSample, info.samples,
                    info.samples == 1 ? "" : "s", pages.c_str(), orientation.c_str(), profile.c_str(),
                    info.supported ? "supported" : "needs --convert");
    }
    return status;
}

} // namespace cli
