#include "cli/ImageFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace cli {

FileFormat FormatFromExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileFormat::Unknown;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == "png")
        return FileFormat::Png;
    if (extension == "jpg" || extension == "jpeg" || extension == "jpe")
        return FileFormat::Jpeg;
    if (extension == "tif" || extension == "tiff")
        return FileFormat::Tiff;
    return FileFormat::Unknown;
}

FileFormat FormatFromContents(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return FileFormat::Unknown;
    unsigned char head[8] = {};
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got >= 8 && head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G')
        return FileFormat::Png;
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return FileFormat::Jpeg;
    if (got >= 4 && ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
                     (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42)))
        return FileFormat::Tiff;
    return FileFormat::Unknown;
}

namespace {
bool Dispatch(const std::string& path, bool convert, Image* image, ImageInfo* info, bool infoOnly, std::string* error) {
    switch (FormatFromContents(path)) {
    case FileFormat::Png:
        return ReadPng(path, convert, image, info, infoOnly, error);
    case FileFormat::Jpeg:
        return ReadJpeg(path, convert, image, info, infoOnly, error);
    case FileFormat::Tiff:
        return ReadTiff(path, convert, image, info, infoOnly, error);
    case FileFormat::Unknown:
        break;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    std::fclose(file);
    *error = path + " is not a PNG, JPEG or TIFF file";
    return false;
}
} // namespace

bool ReadImageInfo(const std::string& path, ImageInfo* info, std::string* error) {
    Image unused;
    return Dispatch(path, false, &unused, info, true, error);
}

bool ReadImage(const std::string& path, bool convert, Image* image, bool* unsupported, std::string* error) {
    ImageInfo info;
    *unsupported = false;
    if (!Dispatch(path, convert, image, &info, false, error)) {
        *unsupported = !info.format.empty() && !info.supported && !convert;
        return false;
    }
    return true;
}

bool WriteImage(const std::string& path, FileFormat format, const Image& image, std::string* error) {
    switch (format) {
    case FileFormat::Png:
        return WritePng(path, image, error);
    case FileFormat::Jpeg:
        return WriteJpeg(path, image, error);
    case FileFormat::Tiff:
        return WriteTiff(path, image, error);
    case FileFormat::Unknown:
        break;
    }
    *error = "the output file's extension names no format we write (.png, .jpg, .jpeg, .tif, .tiff)";
    return false;
}

} // namespace cli
