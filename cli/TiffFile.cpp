// TIFF through libtiff: RGB, CMYK and grey of 8 or 16 bits, each with or without an alpha sample,
// in strips or tiles, contiguous or planar, one image or many (pages). On request, further extra
// samples are left out, and anything else libtiff can decode (palette, Lab, YCbCr, 1 to 4 bits)
// goes through its RGBA interface into 8-bit RGB(A), or into 8-bit grey when it was grey. The ICC
// profile, the resolution and the orientation are kept.
#include "cli/Exif.h"
#include "cli/ImageFiles.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace cli {

namespace {

// The messages of one open file (libtiff hands them to the handlers of the file's own options).
struct TiffMessages {
    std::string error;
    int errorErrno = 0; // errno when the first error was reported (a failed write's reason)
};

int OnTiffError(TIFF*, void* context, const char* module, const char* format, va_list arguments) {
    auto* messages = static_cast<TiffMessages*>(context);
    const int errorNumber = errno;
    if (messages != nullptr && messages->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, arguments);
        messages->error = (module != nullptr ? std::string(module) + ": " : std::string()) + text;
        messages->errorErrno = errorNumber;
    }
    return 1;
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

// Opens with the handlers above and, for reading, libtiff's limit on any single allocation (a
// strip or tile size, a tag's array) so a file cannot make it allocate beyond the budget.
TIFF* OpenTiff(const std::string& path, const char* mode, uint64_t maxAllocation, TiffMessages* messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, messages);
    if (maxAllocation > 0)
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(std::min<uint64_t>(maxAllocation, INT64_MAX)));
    TIFF* tiff = TIFFOpenExt(path.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

std::string ModeName(uint16_t photometric, uint16_t samples, uint16_t extra) {
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        return extra > 0 ? "Grey with alpha" : "Grey";
    case PHOTOMETRIC_PALETTE:
        return "Indexed";
    case PHOTOMETRIC_RGB:
        return samples - extra >= 3 && extra > 0 ? "RGBA" : "RGB";
    case PHOTOMETRIC_SEPARATED:
        return extra > 0 ? "CMYK with alpha" : "CMYK";
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB:
        return "Lab";
    case PHOTOMETRIC_YCBCR:
        return "YCbCr";
    default:
        return "unknown";
    }
}

bool IsAlphaType(uint16_t type) {
    return type == EXTRASAMPLE_ASSOCALPHA || type == EXTRASAMPLE_UNASSALPHA;
}

// What one page declares.
struct Page {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    uint16_t inkSet = INKSET_CMYK, sampleFormat = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    uint16_t orientation = 0;
    int colors = 0; // colour samples the tool reads itself: 3 RGB, 4 CMYK, 1 grey, 0 none

    int extra() const { return colors > 0 ? int(samples) - colors : int(extraCount); }
    uint16_t firstExtraType() const { return extraCount > 0 && extraTypes != nullptr ? extraTypes[0] : 0; }
    // One extra sample counts as transparency unless it says otherwise; of several, the first
    // when it says it is one.
    bool alpha() const { return extra() >= 1 && (extra() == 1 || IsAlphaType(firstExtraType())); }
};

bool ReadPage(TIFF* tiff, Page* page) {
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page->width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page->height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &page->bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &page->samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &page->planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &page->inkSet);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &page->sampleFormat);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &page->compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &page->extraCount, &page->extraTypes);
    uint16_t orientation = 0;
    if (TIFFGetField(tiff, TIFFTAG_ORIENTATION, &orientation) && orientation >= 1 && orientation <= 8)
        page->orientation = orientation;
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &page->photometric))
        return false;
    switch (page->photometric) {
    case PHOTOMETRIC_RGB:
        page->colors = 3;
        break;
    case PHOTOMETRIC_SEPARATED:
        page->colors = page->inkSet == INKSET_CMYK ? 4 : 0;
        break;
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        page->colors = 1;
        break;
    default:
        page->colors = 0;
    }
    if (page->colors > page->samples)
        page->colors = 0;
    return true;
}

// Reads the strips or tiles of an 8- or 16-bit page whose colours the tool reads itself (RGB,
// CMYK, grey) into an image of the same colours and depth, with the first extra sample as its
// alpha when it has one.
bool ReadSamples(TIFF* tiff, const Page& page, const ReadOptions& options, Image* image, TiffMessages* messages,
                 const std::string& name, std::string* error, ReadStatus* status) {
    const bool tiled = TIFFIsTiled(tiff) != 0;
    uint32_t blockWidth = page.width, blockHeight = page.height;
    if (tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &blockWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &blockHeight);
        if (blockWidth == 0 || blockHeight == 0) {
            *error = name + ": damaged TIFF (tiles without a size)";
            return false;
        }
        if (uint64_t(blockWidth) * blockHeight > options.limits.maxPixels) {
            *error = name + ": its tiles declare " + std::to_string(blockWidth) + " x " + std::to_string(blockHeight) +
                     " pixels each, more than the " + PixelCountText(options.limits.maxPixels) +
                     " this machine's memory allows (--limit-pixels raises the limit)";
            *status = ReadStatus::TooLarge;
            return false;
        }
    } else {
        uint32_t rowsPerStrip = page.height;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        blockHeight = std::clamp<uint32_t>(rowsPerStrip, 1, page.height);
    }
    const bool separate = page.planar == PLANARCONFIG_SEPARATE && page.samples > 1;
    const uint32_t planes = separate ? page.samples : 1;
    const uint32_t blockSamples = separate ? 1 : page.samples;
    const int bytes = page.bits / 8;
    const uint64_t blockRowBytes = uint64_t(blockWidth) * blockSamples * uint64_t(bytes);
    const uint64_t blockBytes = blockRowBytes * blockHeight;
    if (blockBytes > options.limits.memoryBytes) {
        *error = name + ": its strips or tiles need more memory than the budget";
        *status = ReadStatus::TooLarge;
        return false;
    }
    std::vector<uint8_t> block(static_cast<size_t>(blockBytes));

    // Where each sample of the file goes: a channel of the image, or nowhere.
    const int outColors = image->colorSamples();
    const bool invert = page.photometric == PHOTOMETRIC_MINISWHITE;
    const size_t stride = size_t(image->samples()) * size_t(bytes);
    auto channelOf = [&](uint32_t sample) {
        if (int(sample) < page.colors)
            return int(sample);
        return int(sample) == page.colors && image->alpha ? outColors : -1;
    };

    // Samples stored in the image's own order: whole rows are copied as they are.
    const bool sameLayout = !separate && !invert && page.samples == image->samples();
    const uint64_t totalRows = uint64_t(page.height) * planes;
    for (uint32_t plane = 0; plane < planes; ++plane)
        for (uint32_t top = 0; top < page.height; top += blockHeight) {
            const uint32_t rows = std::min(blockHeight, page.height - top);
            for (uint32_t left = 0; left < page.width; left += blockWidth) {
                const uint32_t columns = std::min(blockWidth, page.width - left);
                const tmsize_t got =
                    tiled ? TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, left, top, 0, uint16_t(plane)),
                                                block.data(), tmsize_t(blockBytes))
                          : TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, uint16_t(plane)), block.data(),
                                                 tmsize_t(blockBytes));
                // A tile is whole even at the edges; a strip holds only the rows it has.
                const uint64_t needed = tiled ? blockBytes : blockRowBytes * rows;
                if (got < 0 || uint64_t(got) < needed) {
                    *error = name + ": damaged or truncated TIFF (" +
                             (messages->error.empty() ? "a strip or tile is short" : messages->error) + ")";
                    return false;
                }
                for (uint32_t y = 0; y < rows; ++y) {
                    const uint8_t* in = block.data() + y * blockRowBytes;
                    uint8_t* out = image->pixels.data() + (size_t(top) + y) * image->rowBytes() + size_t(left) * stride;
                    if (sameLayout) {
                        std::memcpy(out, in, size_t(columns) * stride);
                        continue;
                    }
                    for (uint32_t x = 0; x < columns; ++x, out += stride)
                        for (uint32_t s = 0; s < blockSamples; ++s, in += bytes) {
                            const int channel = channelOf(separate ? plane : s);
                            if (channel < 0)
                                continue;
                            uint8_t* to = out + size_t(channel) * size_t(bytes);
                            std::memcpy(to, in, size_t(bytes)); // libtiff hands 16-bit samples in our order
                            if (invert && channel == 0)
                                for (int b = 0; b < bytes; ++b)
                                    to[b] = uint8_t(~to[b]);
                        }
                }
            }
            if (options.progress)
                options.progress(uint64_t(plane) * page.height + top + rows, totalRows);
        }
    return true;
}

// Anything else libtiff decodes, through its RGBA interface, rows in the order the file stores
// them. That interface premultiplies unassociated alpha of RGB images (and hands associated alpha
// as it is): the colours are divided back, since the image is written with unassociated alpha.
bool ReadThroughRgba(TIFF* tiff, const Page& page, Image* image, TiffMessages* messages, const std::string& name,
                     std::string* error, ReadStatus* status) {
    char reason[1024] = {};
    if (!TIFFRGBAImageOK(tiff, reason)) {
        *error = name + ": this TIFF cannot be converted (" + reason + ")";
        *status = ReadStatus::Unsupported;
        return false;
    }
    std::vector<uint32_t> raster(size_t(page.width) * page.height);
    const int orientation = page.orientation != 0 ? page.orientation : ORIENTATION_TOPLEFT;
    if (!TIFFReadRGBAImageOriented(tiff, page.width, page.height, raster.data(), orientation, 1)) {
        *error = name + ": damaged or truncated TIFF (" + messages->error + ")";
        return false;
    }
    const uint16_t type = page.firstExtraType();
    image->alpha = page.extraCount > 0 && IsAlphaType(type);
    const bool premultiplied = image->alpha && (type == EXTRASAMPLE_ASSOCALPHA || page.photometric == PHOTOMETRIC_RGB);
    image->pixels.resize(image->rowBytes() * page.height);
    uint8_t* out = image->pixels.data();
    for (uint32_t value : raster) {
        const uint32_t a = TIFFGetA(value);
        for (uint32_t c : {TIFFGetR(value), TIFFGetG(value), TIFFGetB(value)})
            *out++ = uint8_t(!premultiplied ? c : a == 0 ? 0 : std::min<uint32_t>((c * 255 + a / 2) / a, 255));
        if (image->alpha)
            *out++ = uint8_t(a);
    }
    return true;
}

class TiffWriter final : public ImageWriter {
public:
    TiffWriter(const std::string& path, const WriteOptions& options) : path_(path), options_(options) {}

    bool Add(const Image& image, int page, int pages, std::string* error) override {
        if (!tiff_) {
            // Past 4 GB only BigTIFF can address the data (raw size, before compression).
            const uint64_t raw = uint64_t(image.rowBytes()) * uint64_t(image.height) * uint64_t(std::max(pages, 1));
            tiff_.reset(OpenTiff(path_, raw > (uint64_t(3) << 30) ? "w8" : "w", 0, &messages_));
            if (!tiff_)
                return Fail(error);
        }
        TIFF* tiff = tiff_.get();
        const uint16_t samples = uint16_t(image.samples());
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(image.depth));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        if (pages > 1) {
            TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
            TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages));
        }
        // A TIFF keeps the lossless compression it came with; anything else is written with deflate.
        const uint16_t compression =
            image.tiffCompression == COMPRESSION_NONE || image.tiffCompression == COMPRESSION_LZW
                ? image.tiffCompression
                : uint16_t(COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        if (compression != COMPRESSION_NONE)
            TIFFSetField(tiff, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
        if (image.model == ColorModel::Cmyk) {
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_SEPARATED));
            TIFFSetField(tiff, TIFFTAG_INKSET, uint16_t(INKSET_CMYK));
        } else {
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                         uint16_t(image.model == ColorModel::Grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
        }
        if (image.alpha) {
            uint16_t type = image.associatedAlpha ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &type);
        }
        const int orientation = image.orientation != 0 ? image.orientation : ExifOrientation(image.exif);
        if (orientation != 0)
            TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation));
        if (!image.iccProfile.empty())
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(image.iccProfile.size()), image.iccProfile.data());
        if (image.resolutionX > 0 && image.resolutionY > 0) {
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
            TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(std::min(image.resolutionX, 1e30)));
            TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(std::min(image.resolutionY, 1e30)));
        }
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
        std::vector<uint8_t> line(image.rowBytes());
        for (int32_t y = 0; y < image.height; ++y) {
            std::copy(image.pixels.begin() + long(size_t(y) * image.rowBytes()),
                      image.pixels.begin() + long(size_t(y + 1) * image.rowBytes()), line.begin());
            if (TIFFWriteScanline(tiff, line.data(), uint32_t(y), 0) < 0)
                return Fail(error);
            if (options_.progress)
                options_.progress(uint64_t(y) + 1, uint64_t(image.height));
        }
        if (!TIFFWriteDirectory(tiff))
            return Fail(error);
        return true;
    }

    bool Finish(std::string* error) override {
        if (!tiff_) {
            *error = options_.name + ": no image to write";
            return false;
        }
        const bool flushed = TIFFFlush(tiff_.get()) != 0;
        // The descriptor stays libtiff's; only its data is synced before the close.
        const bool synced = !flushed || fsync(TIFFFileno(tiff_.get())) == 0 || errno == EINVAL || errno == EROFS;
        const int syncErrno = errno;
        tiff_.reset();
        if (!flushed)
            return Fail(error);
        if (!synced) {
            *error = WriteErrorMessage(options_.name, syncErrno, "the data could not be stored");
            return false;
        }
        return true;
    }

private:
    bool Fail(std::string* error) {
        *error = WriteErrorMessage(options_.name, messages_.errorErrno,
                                   messages_.error.empty() ? "libtiff failed" : messages_.error);
        return false;
    }

    std::string path_;
    WriteOptions options_;
    TiffMessages messages_;
    Tiff tiff_;
};

// Fills what `vortiflux info` tells of the page; whether the tool reads it as it is.
void DescribePage(TIFF* tiff, const Page& page, ImageInfo* description) {
    description->mode = ModeName(page.photometric, page.samples, page.extraCount);
    description->bitsPerSample = page.bits;
    description->samples = page.samples;
    description->width = page.width;
    description->height = page.height;
    description->orientation = page.orientation;
    description->supported = page.colors > 0 && (page.bits == 8 || page.bits == 16) &&
                             page.sampleFormat == SAMPLEFORMAT_UINT && page.extra() >= 0 && page.extra() <= 1;
    uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile != nullptr)
        description->iccProfileBytes = profileLength;
}

// Whether the page may be read at all: a supported mode (or --convert), a sane size, within the
// pixel limit.
ReadStatus CheckReadable(const InputFile& source, const ReadOptions& options, const Page& page,
                         const ImageInfo& description, std::string* error) {
    if (!description.supported && !options.convert) {
        *error = source.name + ": " + std::to_string(page.bits) + "-bit " + description.mode + " TIFF";
        return ReadStatus::Unsupported;
    }
    if (page.width == 0 || page.height == 0 || page.width > INT32_MAX || page.height > INT32_MAX) {
        *error = source.name + ": damaged TIFF (image size " + std::to_string(page.width) + " x " +
                 std::to_string(page.height) + ")";
        return ReadStatus::Failed;
    }
    if (uint64_t(page.width) * page.height > options.limits.maxPixels) {
        *error = TooManyPixelsMessage(source.name, page.width, page.height, options.limits.maxPixels);
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

// Size, compression, orientation and resolution (in dots per inch) of the page.
void ReadPageSettings(TIFF* tiff, const Page& page, Image* image) {
    image->width = int32_t(page.width);
    image->height = int32_t(page.height);
    image->tiffCompression = page.compression;
    image->orientation = page.orientation;
    float resX = 0, resY = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resX) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &resY) &&
        unit != RESUNIT_NONE && std::isfinite(resX) && std::isfinite(resY) && resX > 0 && resY > 0) {
        const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
        image->resolutionX = double(resX) * scale;
        image->resolutionY = double(resY) * scale;
    }
}

void ReadProfile(TIFF* tiff, Image* image) {
    uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile != nullptr && profileLength > 0)
        image->iccProfile.assign(static_cast<uint8_t*>(profile), static_cast<uint8_t*>(profile) + profileLength);
}

// The pixels: whole-byte RGB, CMYK and grey by the tool's own reading; YCbCr and everything
// else through libtiff's RGBA reading, which undoes the subsampling.
ReadStatus ReadPagePixels(TIFF* tiff, const Page& page, const InputFile& source, const ReadOptions& options,
                          Image* image, TiffMessages* messages, std::string* error) {
    ReadStatus status = ReadStatus::Failed;
    const bool wholeBytes = (page.bits == 8 || page.bits == 16) && page.sampleFormat == SAMPLEFORMAT_UINT;
    if (page.colors > 0 && wholeBytes && page.photometric != PHOTOMETRIC_YCBCR) {
        image->model = page.colors == 4 ? ColorModel::Cmyk : page.colors == 1 ? ColorModel::Grey : ColorModel::Rgb;
        image->depth = page.bits;
        image->alpha = page.alpha();
        image->associatedAlpha = image->alpha && page.firstExtraType() == EXTRASAMPLE_ASSOCALPHA;
        ReadProfile(tiff, image);
        image->pixels.assign(image->rowBytes() * page.height, 0);
        if (!ReadSamples(tiff, page, options, image, messages, source.name, error, &status))
            return status;
        return ReadStatus::Ok;
    }
    image->model = ColorModel::Rgb;
    image->depth = 8;
    image->associatedAlpha = false;
    if (!ReadThroughRgba(tiff, page, image, messages, source.name, error, &status))
        return status;
    if (page.colors == 1) {
        // Grey of fewer bits (or of another sample format) stays grey, at 8 bits: libtiff gave
        // the same value in red, green and blue.
        const size_t pixelCount = size_t(page.width) * page.height, samples = size_t(image->samples());
        const size_t greySamples = image->alpha ? 2 : 1;
        for (size_t p = 0; p < pixelCount; ++p) {
            image->pixels[p * greySamples] = image->pixels[p * samples];
            if (image->alpha)
                image->pixels[p * greySamples + 1] = image->pixels[p * samples + 3];
        }
        image->model = ColorModel::Grey;
        image->pixels.resize(pixelCount * greySamples);
        ReadProfile(tiff, image);
    }
    if (options.progress)
        options.progress(1, 1);
    return ReadStatus::Ok;
}

} // namespace

ReadStatus ReadTiff(const InputFile& source, const ReadOptions& options, Image* image, ImageInfo* description,
                    bool infoOnly, std::string* error) {
    TiffMessages messages;
    Tiff tiff(OpenTiff(source.path, "r", options.limits.memoryBytes, &messages));
    if (!tiff) {
        *error = source.name + ": damaged or truncated TIFF (" + messages.error + ")";
        return ReadStatus::Failed;
    }
    description->format = "TIFF";
    // Pages are counted when the file is first looked at; a later page is reached directly, so a
    // file of many pages is not walked once for each.
    if (options.page == 0)
        description->pages = int(std::min<tdir_t>(TIFFNumberOfDirectories(tiff.get()), INT32_MAX));
    if (options.page > 0 && !TIFFSetDirectory(tiff.get(), tdir_t(options.page))) {
        *error = source.name + ": damaged TIFF (page " + std::to_string(options.page + 1) +
                 " cannot be read: " + messages.error + ")";
        return ReadStatus::Failed;
    }
    Page page;
    if (!ReadPage(tiff.get(), &page)) {
        *error = source.name + ": damaged TIFF (no photometric interpretation)";
        return ReadStatus::Failed;
    }
    DescribePage(tiff.get(), page, description);
    if (infoOnly)
        return ReadStatus::Ok;
    const ReadStatus readable = CheckReadable(source, options, page, *description, error);
    if (readable != ReadStatus::Ok)
        return readable;
    ReadPageSettings(tiff.get(), page, image);
    return ReadPagePixels(tiff.get(), page, source, options, image, &messages, error);
}

std::unique_ptr<ImageWriter> OpenTiffWriter(const std::string& path, const WriteOptions& options, std::string* error) {
    // libtiff creates the file on the first page; whether it can be created is known now.
    std::FILE* probe = std::fopen(path.c_str(), "wb");
    if (probe == nullptr) {
        *error = WriteErrorMessage(options.name, errno, "cannot create the file");
        return nullptr;
    }
    std::fclose(probe);
    return std::make_unique<TiffWriter>(path, options);
}

} // namespace cli
