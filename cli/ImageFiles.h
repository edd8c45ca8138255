#pragma once
// Reading and writing PNG, JPEG and TIFF files.

#include "cli/Image.h"

#include <string>

namespace cli {

enum class FileFormat { Unknown, Png, Jpeg, Tiff };

// The format an output file's extension asks for.
FileFormat FormatFromExtension(const std::string& path);
// The format of a file's first bytes.
FileFormat FormatFromContents(const std::string& path);

// Reads what a file holds without decoding its pixels. False with a message on failure.
bool ReadImageInfo(const std::string& path, ImageInfo* info, std::string* error);

// Reads an image. Files that are not 8-bit RGB or CMYK are refused (false, `*unsupported` set)
// unless `convert` is true, which turns them into 8-bit RGB (with transparency when they have it).
bool ReadImage(const std::string& path, bool convert, Image* image, bool* unsupported, std::string* error);

// Writes an image in the given format. False with a message when the format cannot hold it or
// writing fails; the caller writes to a temporary file and renames it.
bool WriteImage(const std::string& path, FileFormat format, const Image& image, std::string* error);

// Codecs.
bool ReadPng(const std::string& path, bool convert, Image* image, ImageInfo* info, bool infoOnly, std::string* error);
bool WritePng(const std::string& path, const Image& image, std::string* error);
bool ReadJpeg(const std::string& path, bool convert, Image* image, ImageInfo* info, bool infoOnly, std::string* error);
bool WriteJpeg(const std::string& path, const Image& image, std::string* error);
bool ReadTiff(const std::string& path, bool convert, Image* image, ImageInfo* info, bool infoOnly, std::string* error);
bool WriteTiff(const std::string& path, const Image& image, std::string* error);

} // namespace cli
