// PNG through libpng: 8-bit RGB and RGBA; grey, palette and 16-bit files on request converted to
// 8-bit RGB(A). The ICC profile and the resolution are kept.
#include "cli/ImageFiles.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

namespace cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error != nullptr)
        *error = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

constexpr double kMetresPerInch = 0.0254;

std::string ModeName(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
        return "Grey";
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return "Grey with alpha";
    case PNG_COLOR_TYPE_PALETTE:
        return "Indexed";
    case PNG_COLOR_TYPE_RGB:
        return "RGB";
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return "RGBA";
    default:
        return "unknown";
    }
}

// Everything that lives across the setjmp is declared before it, in this record.
struct PngReader {
    std::unique_ptr<std::FILE, FileCloser> file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
    std::string message;
    ~PngReader() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

struct PngWriter {
    std::unique_ptr<std::FILE, FileCloser> file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
    std::string message;
    ~PngWriter() {
        if (png != nullptr)
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

} // namespace

bool ReadPng(const std::string& path, bool convert, Image* image, ImageInfo* description, bool infoOnly,
             std::string* error) {
    PngReader r;
    r.file.reset(std::fopen(path.c_str(), "rb"));
    if (!r.file) {
        *error = "cannot open " + path;
        return false;
    }
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.message, OnPngError, OnPngWarning);
    if (r.png == nullptr || (r.info = png_create_info_struct(r.png)) == nullptr) {
        *error = "out of memory reading " + path;
        return false;
    }
    if (setjmp(png_jmpbuf(r.png))) {
        *error = path + ": damaged or truncated PNG (" + r.message + ")";
        return false;
    }
    png_init_io(r.png, r.file.get());
    png_read_info(r.png, r.info);
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    const int bitDepth = png_get_bit_depth(r.png, r.info);
    const int colorType = png_get_color_type(r.png, r.info);
    const bool transparencyChunk = png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;

    description->format = "PNG";
    description->mode = ModeName(colorType) + (transparencyChunk ? " with transparency chunk" : "");
    description->bitsPerSample = bitDepth;
    description->samples = png_get_channels(r.png, r.info);
    description->width = int32_t(width);
    description->height = int32_t(height);
    description->supported =
        bitDepth == 8 && (colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_RGB_ALPHA);
    png_charp profileName = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(r.png, r.info, &profileName, &compression, &profile, &profileLength) != 0)
        description->iccProfileBytes = profileLength;
    if (infoOnly)
        return true;
    if (!description->supported && !convert) {
        *error = path + ": " + std::to_string(bitDepth) + "-bit " + ModeName(colorType) + " PNG";
        return false;
    }
    if (width > 2000000 || height > 2000000) {
        *error = path + ": the image is larger than 2000000 x 2000000 pixels";
        return false;
    }

    // Conversions to 8-bit RGB(A).
    if (bitDepth == 16)
        png_set_strip_16(r.png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(r.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(r.png);
    if (bitDepth < 8)
        png_set_expand(r.png);
    if (transparencyChunk)
        png_set_tRNS_to_alpha(r.png);
    png_read_update_info(r.png, r.info);
    const int channels = png_get_channels(r.png, r.info);

    image->width = int32_t(width);
    image->height = int32_t(height);
    image->model = ColorModel::Rgb;
    image->alpha = channels == 4;
    image->associatedAlpha = false;
    if (profile != nullptr && profileLength > 0)
        image->iccProfile.assign(profile, profile + profileLength);
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(r.png, r.info, &resX, &resY, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        image->resolutionX = resX * kMetresPerInch;
        image->resolutionY = resY * kMetresPerInch;
    }
    image->pixels.assign(image->rowBytes() * height, 0);
    r.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        r.rows[y] = image->pixels.data() + size_t(y) * image->rowBytes();
    png_read_image(r.png, r.rows.data());
    png_read_end(r.png, nullptr);
    return true;
}

bool WritePng(const std::string& path, const Image& image, std::string* error) {
    if (image.model != ColorModel::Rgb) {
        *error = "PNG cannot hold a CMYK image: write a TIFF or JPEG file instead";
        return false;
    }
    PngWriter w;
    w.file.reset(std::fopen(path.c_str(), "wb"));
    if (!w.file) {
        *error = "cannot write " + path;
        return false;
    }
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.message, OnPngError, OnPngWarning);
    if (w.png == nullptr || (w.info = png_create_info_struct(w.png)) == nullptr) {
        *error = "out of memory writing " + path;
        return false;
    }
    w.rows.resize(size_t(image.height));
    for (int32_t y = 0; y < image.height; ++y)
        w.rows[size_t(y)] = const_cast<png_bytep>(image.pixels.data() + size_t(y) * image.rowBytes());
    if (setjmp(png_jmpbuf(w.png))) {
        *error = "cannot write " + path + " (" + w.message + ")";
        return false;
    }
    png_init_io(w.png, w.file.get());
    png_set_IHDR(w.png, w.info, png_uint_32(image.width), png_uint_32(image.height), 8,
                 image.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.iccProfile.empty())
        png_set_iCCP(w.png, w.info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, image.iccProfile.data(),
                     png_uint_32(image.iccProfile.size()));
    if (image.resolutionX > 0 && image.resolutionY > 0)
        png_set_pHYs(w.png, w.info, png_uint_32(image.resolutionX / kMetresPerInch + 0.5),
                     png_uint_32(image.resolutionY / kMetresPerInch + 0.5), PNG_RESOLUTION_METER);
    png_set_compression_level(w.png, 6);
    png_write_info(w.png, w.info);
    png_write_image(w.png, w.rows.data());
    png_write_end(w.png, nullptr);
    if (std::fflush(w.file.get()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace cli
