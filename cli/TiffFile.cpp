// TIFF through libtiff: 8-bit RGB, RGBA, CMYK and CMYK with an extra alpha sample, contiguous
// or planar; other kinds on request converted to 8-bit RGBA. The ICC profile and resolution
// are kept.
#include "cli/ImageFiles.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace cli {

namespace {

thread_local std::string tiffMessage;

void OnTiffError(const char* module, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    tiffMessage = (module != nullptr ? std::string(module) + ": " : std::string()) + text;
}

void OnTiffWarning(const char*, const char*, va_list) {}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

std::string ModeName(uint16_t photometric, uint16_t samples, uint16_t extra) {
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        return "Grey";
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

void InstallHandlers() {
    TIFFSetErrorHandler(OnTiffError);
    TIFFSetWarningHandler(OnTiffWarning);
}

} // namespace

bool ReadTiff(const std::string& path, bool convert, Image* image, ImageInfo* description, bool infoOnly,
              std::string* error) {
    InstallHandlers();
    tiffMessage.clear();
    Tiff tiff(TIFFOpen(path.c_str(), "r"));
    if (!tiff) {
        *error = path + ": cannot read TIFF (" + tiffMessage + ")";
        return false;
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    uint16_t inkSet = INKSET_CMYK, extraCount = 0, sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t* extraTypes = nullptr;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (!TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric)) {
        *error = path + ": TIFF without a photometric interpretation";
        return false;
    }
    const int colors = photometric == PHOTOMETRIC_RGB ? 3 : photometric == PHOTOMETRIC_SEPARATED ? 4 : 0;
    const bool rgbOrCmyk = colors > 0 && (photometric != PHOTOMETRIC_SEPARATED || inkSet == INKSET_CMYK);
    const int extra = int(samples) - colors;

    description->format = "TIFF";
    description->mode = ModeName(photometric, samples, extraCount);
    description->bitsPerSample = bits;
    description->samples = samples;
    description->width = int32_t(width);
    description->height = int32_t(height);
    description->supported = rgbOrCmyk && bits == 8 && sampleFormat == SAMPLEFORMAT_UINT && extra >= 0 && extra <= 1;
    uint32_t profileLength = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile != nullptr)
        description->iccProfileBytes = profileLength;
    if (infoOnly)
        return true;
    if (!description->supported && !convert) {
        *error = path + ": " + std::to_string(bits) + "-bit " + description->mode + " TIFF";
        return false;
    }
    if (width == 0 || height == 0 || width > 2000000 || height > 2000000) {
        *error = path + ": unsupported image size " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }

    image->width = int32_t(width);
    image->height = int32_t(height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_COMPRESSION, &image->tiffCompression);
    if (profile != nullptr && profileLength > 0)
        image->iccProfile.assign(static_cast<uint8_t*>(profile), static_cast<uint8_t*>(profile) + profileLength);
    float resX = 0, resY = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &resX) && TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &resY) &&
        unit != RESUNIT_NONE) {
        const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
        image->resolutionX = resX * scale;
        image->resolutionY = resY * scale;
    }

    if (!description->supported) {
        // Anything else libtiff can decode: 8-bit RGBA, top row first.
        std::vector<uint32_t> raster(size_t(width) * height);
        if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            *error = path + ": cannot convert this TIFF (" + tiffMessage + ")";
            return false;
        }
        image->model = ColorModel::Rgb;
        image->alpha = extra > 0 || extraCount > 0;
        image->associatedAlpha = false;
        image->iccProfile.clear(); // the profile described the original colour space
        image->pixels.resize(image->rowBytes() * height);
        uint8_t* out = image->pixels.data();
        for (uint32_t value : raster) {
            *out++ = uint8_t(TIFFGetR(value));
            *out++ = uint8_t(TIFFGetG(value));
            *out++ = uint8_t(TIFFGetB(value));
            if (image->alpha)
                *out++ = uint8_t(TIFFGetA(value));
        }
        return true;
    }

    image->model = colors == 4 ? ColorModel::Cmyk : ColorModel::Rgb;
    image->alpha = extra == 1;
    image->associatedAlpha =
        image->alpha && extraCount > 0 && extraTypes != nullptr && extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    image->pixels.assign(image->rowBytes() * height, 0);
    std::vector<uint8_t> line(size_t(TIFFScanlineSize(tiff.get())));
    const size_t stride = size_t(image->samples());
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image->pixels.data() + size_t(y) * image->rowBytes();
        if (planar == PLANARCONFIG_CONTIG) {
            if (line.size() < image->rowBytes() || TIFFReadScanline(tiff.get(), line.data(), y, 0) < 0) {
                *error = path + ": damaged or truncated TIFF (" + tiffMessage + ")";
                return false;
            }
            std::copy(line.begin(), line.begin() + long(image->rowBytes()), row);
        } else {
            for (uint16_t s = 0; s < samples; ++s) {
                if (line.size() < width || TIFFReadScanline(tiff.get(), line.data(), y, s) < 0) {
                    *error = path + ": damaged or truncated TIFF (" + tiffMessage + ")";
                    return false;
                }
                for (uint32_t x = 0; x < width; ++x)
                    row[x * stride + s] = line[x];
            }
        }
    }
    return true;
}

bool WriteTiff(const std::string& path, const Image& image, std::string* error) {
    InstallHandlers();
    tiffMessage.clear();
    Tiff tiff(TIFFOpen(path.c_str(), "w"));
    if (!tiff) {
        *error = "cannot write " + path + " (" + tiffMessage + ")";
        return false;
    }
    const uint16_t samples = uint16_t(image.samples());
    TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
    TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, uint32_t(image.height));
    TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff.get(), TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    // A TIFF keeps the lossless compression it came with; anything else is written with deflate.
    const uint16_t compression = image.tiffCompression == COMPRESSION_NONE || image.tiffCompression == COMPRESSION_LZW
                                     ? image.tiffCompression
                                     : uint16_t(COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff.get(), TIFFTAG_COMPRESSION, compression);
    if (compression != COMPRESSION_NONE)
        TIFFSetField(tiff.get(), TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    if (image.model == ColorModel::Cmyk) {
        TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_SEPARATED));
        TIFFSetField(tiff.get(), TIFFTAG_INKSET, uint16_t(INKSET_CMYK));
    } else {
        TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    }
    if (image.alpha) {
        uint16_t type = image.associatedAlpha ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, uint16_t(1), &type);
    }
    if (!image.iccProfile.empty())
        TIFFSetField(tiff.get(), TIFFTAG_ICCPROFILE, uint32_t(image.iccProfile.size()), image.iccProfile.data());
    if (image.resolutionX > 0 && image.resolutionY > 0) {
        TIFFSetField(tiff.get(), TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
        TIFFSetField(tiff.get(), TIFFTAG_XRESOLUTION, float(image.resolutionX));
        TIFFSetField(tiff.get(), TIFFTAG_YRESOLUTION, float(image.resolutionY));
    }
    TIFFSetField(tiff.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff.get(), 0));
    std::vector<uint8_t> line(image.rowBytes());
    for (int32_t y = 0; y < image.height; ++y) {
        std::copy(image.pixels.begin() + long(size_t(y) * image.rowBytes()),
                  image.pixels.begin() + long(size_t(y + 1) * image.rowBytes()), line.begin());
        if (TIFFWriteScanline(tiff.get(), line.data(), uint32_t(y), 0) < 0) {
            *error = "cannot write " + path + " (" + tiffMessage + ")";
            return false;
        }
    }
    if (!TIFFFlush(tiff.get())) {
        *error = "cannot write " + path + " (" + tiffMessage + ")";
        return false;
    }
    return true;
}

} // namespace cli
