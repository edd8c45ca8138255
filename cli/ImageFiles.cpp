#include "cli/ImageFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

ReadStatus Dispatch(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info, bool infoOnly,
                    std::string* error) {
    switch (FormatFromContents(file, error)) {
    case FileFormat::Png:
        return ReadPng(file, options, image, info, infoOnly, error);
    case FileFormat::Jpeg:
        return ReadJpeg(file, options, image, info, infoOnly, error);
    case FileFormat::Tiff:
        return ReadTiff(file, options, image, info, infoOnly, error);
    case FileFormat::Unknown:
        break;
    }
    return ReadStatus::Failed;
}

} // namespace

FileFormat FormatFromName(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower == "png")
        return FileFormat::Png;
    if (lower == "jpg" || lower == "jpeg" || lower == "jpe")
        return FileFormat::Jpeg;
    if (lower == "tif" || lower == "tiff")
        return FileFormat::Tiff;
    return FileFormat::Unknown;
}

FileFormat FormatFromExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileFormat::Unknown;
    return FormatFromName(path.substr(dot + 1));
}

const char* FormatName(FileFormat format) {
    switch (format) {
    case FileFormat::Png:
        return "PNG";
    case FileFormat::Jpeg:
        return "JPEG";
    case FileFormat::Tiff:
        return "TIFF";
    case FileFormat::Unknown:
        break;
    }
    return "unknown";
}

FileFormat FormatFromContents(const InputFile& file, std::string* error) {
    std::FILE* stream = std::fopen(file.path.c_str(), "rb");
    if (stream == nullptr) {
        *error = "cannot open " + file.name + ": " + std::strerror(errno);
        return FileFormat::Unknown;
    }
    unsigned char head[8] = {};
    errno = 0;
    const size_t got = std::fread(head, 1, sizeof head, stream);
    const int readError = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (readError != 0) {
        *error = "cannot read " + file.name + ": " + std::strerror(readError);
        return FileFormat::Unknown;
    }
    if (got >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0)
        return FileFormat::Png;
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return FileFormat::Jpeg;
    if (got >= 4 && ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
                     (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42) ||
                     (head[0] == 'I' && head[1] == 'I' && head[2] == 43 && head[3] == 0) ||
                     (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 43)))
        return FileFormat::Tiff;
    *error = got == 0 ? file.name + " is empty" : file.name + " is not a PNG, JPEG or TIFF file";
    return FileFormat::Unknown;
}

ReadStatus ReadImageInfo(const InputFile& file, ImageInfo* info, std::string* error) {
    Image unused;
    return Dispatch(file, ReadOptions(), &unused, info, true, error);
}

ReadStatus ReadImage(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info,
                     std::string* error) {
    return Dispatch(file, options, image, info, false, error);
}

std::unique_ptr<ImageWriter> OpenImageWriter(const std::string& path, FileFormat format, const WriteOptions& options,
                                             std::string* error) {
    switch (format) {
    case FileFormat::Png:
        return OpenPngWriter(path, options, error);
    case FileFormat::Jpeg:
        return OpenJpegWriter(path, options, error);
    case FileFormat::Tiff:
        return OpenTiffWriter(path, options, error);
    case FileFormat::Unknown:
        break;
    }
    *error = options.name + ": the extension names no format we write (.png, .jpg, .jpeg, .tif, .tiff)";
    return nullptr;
}

bool WriteImage(const std::string& path, FileFormat format, const Image& image, std::string* error,
                const WriteOptions& options) {
    WriteOptions named = options;
    if (named.name.empty())
        named.name = path;
    std::unique_ptr<ImageWriter> writer = OpenImageWriter(path, format, named, error);
    return writer && writer->Add(image, 0, 1, error) && writer->Finish(error);
}

std::string TooManyPixelsMessage(const std::string& name, uint64_t width, uint64_t height, uint64_t limit) {
    return name + " declares " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
           PixelCountText(limit) + " this machine's memory allows (--limit-pixels raises the limit)";
}

std::string WriteErrorMessage(const std::string& name, int error, const std::string& fallback) {
    return "cannot write " + name + ": " + (error != 0 ? std::string(std::strerror(error)) : fallback);
}

StreamImageWriter::~StreamImageWriter() {
    if (file_ != nullptr)
        std::fclose(file_);
}

bool StreamImageWriter::Finish(std::string* error) {
    std::FILE* file = file_;
    file_ = nullptr;
    if (!CloseWrittenFile(file)) {
        *error = WriteErrorMessage(options_.name, errno, "the data could not be stored");
        return false;
    }
    return true;
}

bool CloseWrittenFile(std::FILE* file) {
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    int saved = ok ? 0 : errno;
    // A device or pipe cannot be synced; that is no failure of the write.
    if (ok && fsync(fileno(file)) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
        ok = false;
        saved = errno;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    errno = saved;
    return ok;
}

} // namespace cli
