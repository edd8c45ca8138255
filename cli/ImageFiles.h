#pragma once
// Reading and writing PNG, JPEG and TIFF files.

#include "cli/Image.h"
#include "cli/Limits.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace cli {

enum class FileFormat { Unknown, Png, Jpeg, Tiff };

// The format an output file's extension asks for.
FileFormat FormatFromExtension(const std::string& path);
// The format a --format value names ("png", "jpg", "jpeg", "tif", "tiff", any case).
FileFormat FormatFromName(const std::string& name);
// "PNG", "JPEG", "TIFF".
const char* FormatName(FileFormat format);

// A file to read: the path to open, and the name messages show (they differ for standard input).
struct InputFile {
    std::string path;
    std::string name;
};

// The format of a file's first bytes; Unknown with a message when it cannot be read or is none.
FileFormat FormatFromContents(const InputFile& file, std::string* error);

enum class ReadStatus {
    Ok,
    Failed,      // cannot be opened, damaged, truncated, or not an image
    Unsupported, // an image of a kind the tool does not filter (without --convert)
    TooLarge,    // declares more pixels than the limit, or needs more memory than the budget
};

// Told how much of the work is done, in the codec's own units (rows).
using ProgressFunction = std::function<void(uint64_t done, uint64_t total)>;

struct ReadOptions {
    bool convert = false; // turn grey, indexed, Lab and 16-bit images into 8-bit RGB (or CMYK)
    ResourceLimits limits = DefaultLimits();
    int page = 0; // TIFF: which image of the file
    ProgressFunction progress;
};

// Reads what a file holds without decoding its pixels.
ReadStatus ReadImageInfo(const InputFile& file, ImageInfo* info, std::string* error);

// Reads an image (one page of a TIFF). Files that are not 8-bit RGB or CMYK are refused
// (Unsupported) unless `options.convert` is set.
ReadStatus ReadImage(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info,
                     std::string* error);

struct WriteOptions {
    std::string name; // the output as messages show it (the file written may be a temporary one)
    int jpegQuality = 95;
    ProgressFunction progress;
};

// Writes an image, or the pages of a multi-page TIFF one after the other.
class ImageWriter {
public:
    virtual ~ImageWriter() = default;
    // Adds the next image; only a TIFF takes more than one. False with a message.
    virtual bool Add(const Image& image, int page, int pages, std::string* error) = 0;
    // Completes the file (flushed to the disk). False with a message.
    virtual bool Finish(std::string* error) = 0;
};

// A writer whose codec writes to a stdio stream: owns the stream and completes it (flushed to
// the disk) in Finish.
class StreamImageWriter : public ImageWriter {
public:
    StreamImageWriter(std::FILE* file, const WriteOptions& options) : file_(file), options_(options) {}
    ~StreamImageWriter() override;
    bool Finish(std::string* error) override;

protected:
    std::FILE* file_;
    WriteOptions options_;
};

// Opens `path` for writing in `format`; null with a message when it cannot be created.
std::unique_ptr<ImageWriter> OpenImageWriter(const std::string& path, FileFormat format, const WriteOptions& options,
                                             std::string* error);

// Writes one image (opens, adds, finishes).
bool WriteImage(const std::string& path, FileFormat format, const Image& image, std::string* error,
                const WriteOptions& options = WriteOptions());

// Codecs.
ReadStatus ReadPng(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info, bool infoOnly,
                   std::string* error);
ReadStatus ReadJpeg(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info, bool infoOnly,
                    std::string* error);
ReadStatus ReadTiff(const InputFile& file, const ReadOptions& options, Image* image, ImageInfo* info, bool infoOnly,
                    std::string* error);
std::unique_ptr<ImageWriter> OpenPngWriter(const std::string& path, const WriteOptions& options, std::string* error);
std::unique_ptr<ImageWriter> OpenJpegWriter(const std::string& path, const WriteOptions& options, std::string* error);
std::unique_ptr<ImageWriter> OpenTiffWriter(const std::string& path, const WriteOptions& options, std::string* error);

// Shared by the codecs.
std::string TooManyPixelsMessage(const std::string& name, uint64_t width, uint64_t height, uint64_t limit);
// "cannot write NAME: REASON" with the reason from errno when it has one, else `fallback`.
std::string WriteErrorMessage(const std::string& name, int error, const std::string& fallback);
// Closes a written file's stream after flushing it to the disk; false with errno set on failure.
bool CloseWrittenFile(std::FILE* file);

} // namespace cli
