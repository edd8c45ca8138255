#pragma once
// An image as the command-line tool reads and writes it: 8- or 16-bit samples, RGB, CMYK or grey,
// with or without a transparency sample, plus what the file carried that we keep (ICC profile,
// resolution, orientation, EXIF block).

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

enum class ColorModel { Rgb, Cmyk, Grey };

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    ColorModel model = ColorModel::Rgb;
    bool alpha = false;           // a transparency sample after the colour samples
    bool associatedAlpha = false; // TIFF: the colour samples are premultiplied
    int depth = 8;                // bits a sample: 8, or 16 (0 to 65535, two bytes in this machine's order)
    std::vector<uint8_t> pixels;  // rows top to bottom, samples interleaved; CMYK as ink (0 = none)
    std::vector<uint8_t> iccProfile;
    double resolutionX = 0.0; // pixels per inch, 0 when unknown
    double resolutionY = 0.0;
    uint16_t tiffCompression = 0; // TIFF: the compression the file used (0: not a TIFF)
    // How a viewer turns the stored rows for display (1 to 8, as TIFF and EXIF number it), 0 when
    // the file did not say. The effect runs on the stored pixels; the orientation goes along.
    int orientation = 0;
    std::vector<uint8_t> exif; // the EXIF block (TIFF structure, after "Exif\0\0"), kept whole
    // While the host holds a 16-bit image's pixels: for each sample, which of the (at most two)
    // file values that share its host value the file had, one bit a sample (see HostSamples.h).
    std::vector<uint8_t> fileValueBits;

    int colorSamples() const { return model == ColorModel::Cmyk ? 4 : model == ColorModel::Grey ? 1 : 3; }
    int samples() const { return colorSamples() + (alpha ? 1 : 0); }
    int bytesPerSample() const { return depth / 8; }
    size_t rowBytes() const { return size_t(width) * size_t(samples()) * size_t(bytesPerSample()); }
};

// "RGB", "CMYK", "grey": the colour model in messages.
inline const char* ModelName(ColorModel model) {
    return model == ColorModel::Cmyk ? "CMYK" : model == ColorModel::Grey ? "grey" : "RGB";
}

// What a file holds before any conversion (for `info` and for refusing unsupported modes).
struct ImageInfo {
    std::string format; // "PNG", "JPEG", "TIFF"
    std::string mode;   // "RGB", "RGBA", "CMYK", "CMYK with alpha", "Grey", "Indexed", "Lab", ...
    int bitsPerSample = 8;
    int samples = 0;
    bool supported = false; // 8- or 16-bit RGB, CMYK or grey, with or without transparency
    uint32_t width = 0;     // as declared, before any limit is applied
    uint32_t height = 0;
    size_t iccProfileBytes = 0;
    int pages = 1;       // TIFF: images in the file
    int orientation = 0; // 1 to 8, 0 when the file does not say
};

} // namespace cli
