// PNG through libpng: RGB, RGBA, grey and grey with alpha of 8 or 16 bits; on request palette
// files converted to 8-bit RGB(A) and grey of 1, 2 or 4 bits to 8-bit grey. The ICC profile, the
// resolution and an eXIf block are kept.
#include "cli/Exif.h"
#include "cli/ImageFiles.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

namespace cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Ancillary chunks are decompressed into memory whole: none may take more than this (an ICC
// profile is rarely above a few hundred kilobytes), and a file may not carry more than
// kChunkCacheMax of them.
constexpr png_alloc_size_t kChunkMallocMax = 32u << 20;
constexpr png_uint_32 kChunkCacheMax = 1000;

struct PngState {
    std::string message;
    std::string warnings; // libpng tells why a header is invalid in warnings before its error
    int writeErrno = 0;   // errno of a failed write, for the message
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    if (state != nullptr)
        state->message = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    if (state != nullptr && state->warnings.size() < 1000)
        state->warnings += std::string(message) + "\n";
}

void WriteToFile(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, length, file) != length) {
        auto* state = static_cast<PngState*>(png_get_error_ptr(png));
        if (state != nullptr)
            state->writeErrno = errno;
        png_error(png, "write error");
    }
}

void FlushFile(png_structp png) {
    std::fflush(static_cast<std::FILE*>(png_get_io_ptr(png)));
}

constexpr double kMetresPerInch = 0.0254;

// PNG stores 16-bit samples most significant byte first; the image holds them in this machine's
// order.
constexpr bool kSwap16 = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

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

// Pixels per metre as a pHYs chunk stores them: whole, 1 to 2^31 - 1.
png_uint_32 PixelsPerMetre(double pixelsPerInch) {
    const double perMetre = pixelsPerInch / kMetresPerInch + 0.5;
    return png_uint_32(std::clamp(perMetre, 1.0, 2147483647.0));
}

// Everything that lives across the setjmp is declared before it, in this record.
struct PngReader {
    std::unique_ptr<std::FILE, FileCloser> file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    PngState state;
    ~PngReader() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, endInfo != nullptr ? &endInfo : nullptr);
    }
};

class PngWriter final : public StreamImageWriter {
public:
    PngWriter(std::FILE* file, const WriteOptions& options) : StreamImageWriter(file, options) {}
    ~PngWriter() override {
        if (png_ != nullptr)
            png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
    }

    bool Add(const Image& image, int page, int, std::string* error) override {
        if (page > 0) {
            *error = options_.name + ": a PNG file holds one image";
            return false;
        }
        if (image.model == ColorModel::Cmyk) {
            *error = options_.name + ": PNG cannot hold a CMYK image; write a TIFF or JPEG file instead";
            return false;
        }
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state_, OnPngError, OnPngWarning);
        if (png_ == nullptr || (info_ = png_create_info_struct(png_)) == nullptr) {
            *error = "not enough memory to write " + options_.name;
            return false;
        }
        if (setjmp(png_jmpbuf(png_))) {
            *error = WriteErrorMessage(options_.name, state_.writeErrno, state_.message);
            return false;
        }
        png_set_write_fn(png_, file_, WriteToFile, FlushFile);
        const bool grey = image.model == ColorModel::Grey;
        const int colorType = grey ? (image.alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                                   : (image.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
        png_set_IHDR(png_, info_, png_uint_32(image.width), png_uint_32(image.height), image.depth, colorType,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!image.iccProfile.empty())
            png_set_iCCP(png_, info_, "ICC profile", PNG_COMPRESSION_TYPE_BASE, image.iccProfile.data(),
                         png_uint_32(image.iccProfile.size()));
        if (image.resolutionX > 0 && image.resolutionY > 0)
            png_set_pHYs(png_, info_, PixelsPerMetre(image.resolutionX), PixelsPerMetre(image.resolutionY),
                         PNG_RESOLUTION_METER);
        exif_ = !image.exif.empty() ? image.exif : image.orientation > 1 ? MinimalExif(image.orientation) : exif_;
        if (!exif_.empty() && exif_.size() <= 0x7FFFFFFF)
            png_set_eXIf_1(png_, info_, png_uint_32(exif_.size()), exif_.data());
        png_set_compression_level(png_, 6);
        png_write_info(png_, info_);
        if (image.depth == 16 && kSwap16)
            png_set_swap(png_);
        const uint64_t rows = uint64_t(image.height);
        for (uint64_t y = 0; y < rows; ++y) {
            png_write_row(png_, image.pixels.data() + y * image.rowBytes());
            if (options_.progress)
                options_.progress(y + 1, rows);
        }
        png_write_end(png_, nullptr);
        return true;
    }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    PngState state_;
    std::vector<uint8_t> exif_;
};

} // namespace

ReadStatus ReadPng(const InputFile& source, const ReadOptions& options, Image* image, ImageInfo* description,
                   bool infoOnly, std::string* error) {
    PngReader r;
    r.file.reset(std::fopen(source.path.c_str(), "rb"));
    if (!r.file) {
        *error = "cannot open " + source.name + ": " + std::strerror(errno);
        return ReadStatus::Failed;
    }
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.state, OnPngError, OnPngWarning);
    if (r.png == nullptr || (r.info = png_create_info_struct(r.png)) == nullptr ||
        (r.endInfo = png_create_info_struct(r.png)) == nullptr) {
        *error = "not enough memory to read " + source.name;
        return ReadStatus::TooLarge;
    }
    if (setjmp(png_jmpbuf(r.png))) {
        if (r.state.warnings.find("exceeds user limit") != std::string::npos) {
            *error = source.name + " declares an image larger than the " + PixelCountText(options.limits.maxPixels) +
                     " pixels this machine's memory allows (--limit-pixels raises the limit)";
            return ReadStatus::TooLarge;
        }
        *error = source.name + ": damaged or truncated PNG (" + r.state.message + ")";
        return ReadStatus::Failed;
    }
    png_init_io(r.png, r.file.get());
    // libpng refuses larger sizes in the header itself, before anything is allocated for them.
    const png_uint_32 sideLimit = png_uint_32(std::min<uint64_t>(options.limits.maxPixels, 0x7FFFFFFF));
    png_set_user_limits(r.png, sideLimit, sideLimit);
    png_set_chunk_malloc_max(r.png, std::min<png_alloc_size_t>(kChunkMallocMax, options.limits.memoryBytes));
    png_set_chunk_cache_max(r.png, kChunkCacheMax);
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
    description->width = width;
    description->height = height;
    description->supported = (bitDepth == 8 || bitDepth == 16) && colorType != PNG_COLOR_TYPE_PALETTE;
    png_charp profileName = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(r.png, r.info, &profileName, &compression, &profile, &profileLength) != 0)
        description->iccProfileBytes = profileLength;
    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    if (png_get_eXIf_1(r.png, r.info, &exifLength, &exif) != 0 && exif != nullptr)
        description->orientation = ExifOrientation(std::vector<uint8_t>(exif, exif + exifLength));
    if (infoOnly)
        return ReadStatus::Ok;
    if (!description->supported && !options.convert) {
        *error = source.name + ": " + std::to_string(bitDepth) + "-bit " + ModeName(colorType) + " PNG";
        return ReadStatus::Unsupported;
    }
    if (uint64_t(width) * height > options.limits.maxPixels) {
        *error = TooManyPixelsMessage(source.name, width, height, options.limits.maxPixels);
        return ReadStatus::TooLarge;
    }

    // Palette to 8-bit RGB, fewer bits to 8-bit grey, a transparency chunk to an alpha sample.
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(r.png);
    if (bitDepth < 8)
        png_set_expand(r.png);
    if (transparencyChunk)
        png_set_tRNS_to_alpha(r.png);
    if (bitDepth == 16 && kSwap16)
        png_set_swap(r.png);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const int channels = png_get_channels(r.png, r.info);

    image->width = int32_t(width);
    image->height = int32_t(height);
    image->model = channels <= 2 ? ColorModel::Grey : ColorModel::Rgb;
    image->alpha = channels == 2 || channels == 4;
    image->depth = png_get_bit_depth(r.png, r.info) == 16 ? 16 : 8;
    image->associatedAlpha = false;
    if (profile != nullptr && profileLength > 0)
        image->iccProfile.assign(profile, profile + profileLength);
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(r.png, r.info, &resX, &resY, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        image->resolutionX = resX * kMetresPerInch;
        image->resolutionY = resY * kMetresPerInch;
    }
    // Reserved whole (an impossible size fails here) but, without interlacing, filled row by row,
    // so a file that declares more than it holds fails before its pixels have cost any memory.
    image->pixels.clear();
    image->pixels.reserve(image->rowBytes() * height);
    if (passes > 1)
        image->pixels.resize(image->rowBytes() * height);
    const uint64_t total = uint64_t(height) * uint64_t(passes);
    uint64_t done = 0;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) {
            if (passes == 1)
                image->pixels.resize(image->pixels.size() + image->rowBytes());
            png_read_row(r.png, image->pixels.data() + size_t(y) * image->rowBytes(), nullptr);
            if (options.progress)
                options.progress(++done, total);
        }
    png_read_end(r.png, r.endInfo);
    // An eXIf chunk may come before the image data or after it.
    for (png_infop info : {r.info, r.endInfo})
        if (image->exif.empty() && png_get_eXIf_1(r.png, info, &exifLength, &exif) != 0 && exif != nullptr)
            image->exif.assign(exif, exif + exifLength);
    image->orientation = ExifOrientation(image->exif);
    description->orientation = image->orientation;
    return ReadStatus::Ok;
}

std::unique_ptr<ImageWriter> OpenPngWriter(const std::string& path, const WriteOptions& options, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = WriteErrorMessage(options.name, errno, "cannot create the file");
        return nullptr;
    }
    return std::make_unique<PngWriter>(file, options);
}

} // namespace cli
