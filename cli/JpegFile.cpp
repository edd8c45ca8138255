// JPEG through libjpeg-turbo: RGB and CMYK (including the inverted CMYK that Adobe-style
// writers produce); grey on request converted to RGB. The ICC profile and resolution are kept.
#include "cli/ImageFiles.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <memory>

namespace cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

struct JpegReader {
    std::unique_ptr<std::FILE, FileCloser> file;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    bool created = false;
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    ~JpegReader() {
        if (created)
            jpeg_destroy_decompress(&info);
        std::free(profile);
    }
};

struct JpegWriter {
    std::unique_ptr<std::FILE, FileCloser> file;
    jpeg_compress_struct info{};
    ErrorManager errors{};
    bool created = false;
    std::vector<uint8_t> row;
    ~JpegWriter() {
        if (created)
            jpeg_destroy_compress(&info);
    }
};

std::string ModeName(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_GRAYSCALE:
        return "Grey";
    case JCS_RGB:
    case JCS_YCbCr:
        return "RGB";
    case JCS_CMYK:
    case JCS_YCCK:
        return "CMYK";
    default:
        return "unknown";
    }
}

} // namespace

bool ReadJpeg(const std::string& path, bool convert, Image* image, ImageInfo* description, bool infoOnly,
              std::string* error) {
    JpegReader r;
    r.file.reset(std::fopen(path.c_str(), "rb"));
    if (!r.file) {
        *error = "cannot open " + path;
        return false;
    }
    r.info.err = jpeg_std_error(&r.errors.base);
    r.errors.base.error_exit = OnJpegError;
    r.errors.base.emit_message = OnJpegMessage;
    if (setjmp(r.errors.jump)) {
        *error = path + ": damaged or truncated JPEG (" + r.errors.message + ")";
        return false;
    }
    jpeg_create_decompress(&r.info);
    r.created = true;
    jpeg_stdio_src(&r.info, r.file.get());
    jpeg_save_markers(&r.info, JPEG_APP0 + 2, 0xFFFF); // ICC profile
    jpeg_read_header(&r.info, TRUE);

    const J_COLOR_SPACE space = r.info.jpeg_color_space;
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    description->format = "JPEG";
    description->mode = ModeName(space);
    description->bitsPerSample = r.info.data_precision;
    description->samples = r.info.num_components;
    description->width = int32_t(r.info.image_width);
    description->height = int32_t(r.info.image_height);
    description->supported = r.info.data_precision == 8 && (space == JCS_RGB || space == JCS_YCbCr || cmyk);
    if (jpeg_read_icc_profile(&r.info, &r.profile, &r.profileLength))
        description->iccProfileBytes = r.profileLength;
    if (infoOnly)
        return true;
    if (!description->supported && !convert) {
        *error = path + ": " + ModeName(space) + " JPEG";
        return false;
    }

    image->width = int32_t(r.info.image_width);
    image->height = int32_t(r.info.image_height);
    image->alpha = false;
    // A grey image asked to be converted becomes RGB; a CMYK image stays CMYK.
    image->model = cmyk ? ColorModel::Cmyk : ColorModel::Rgb;
    r.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    const bool inverted = cmyk && r.info.saw_Adobe_marker;
    if (r.profile != nullptr && r.profileLength > 0)
        image->iccProfile.assign(r.profile, r.profile + r.profileLength);
    if (r.info.saw_JFIF_marker && r.info.X_density > 0 && r.info.Y_density > 0) {
        const double scale = r.info.density_unit == 1 ? 1.0 : r.info.density_unit == 2 ? 2.54 : 0.0;
        image->resolutionX = r.info.X_density * scale;
        image->resolutionY = r.info.Y_density * scale;
    }
    jpeg_start_decompress(&r.info);
    image->pixels.assign(image->rowBytes() * size_t(image->height), 0);
    while (r.info.output_scanline < r.info.output_height) {
        JSAMPROW row = image->pixels.data() + size_t(r.info.output_scanline) * image->rowBytes();
        jpeg_read_scanlines(&r.info, &row, 1);
    }
    jpeg_finish_decompress(&r.info);
    if (inverted)
        for (uint8_t& sample : image->pixels)
            sample = uint8_t(255 - sample);
    return true;
}

bool WriteJpeg(const std::string& path, const Image& image, std::string* error) {
    JpegWriter w;
    w.file.reset(std::fopen(path.c_str(), "wb"));
    if (!w.file) {
        *error = "cannot write " + path;
        return false;
    }
    w.row.resize(size_t(image.width) * size_t(image.colorSamples()));
    w.info.err = jpeg_std_error(&w.errors.base);
    w.errors.base.error_exit = OnJpegError;
    w.errors.base.emit_message = OnJpegMessage;
    if (setjmp(w.errors.jump)) {
        *error = "cannot write " + path + " (" + w.errors.message + ")";
        return false;
    }
    jpeg_create_compress(&w.info);
    w.created = true;
    jpeg_stdio_dest(&w.info, w.file.get());
    w.info.image_width = JDIMENSION(image.width);
    w.info.image_height = JDIMENSION(image.height);
    w.info.input_components = image.colorSamples();
    w.info.in_color_space = image.model == ColorModel::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&w.info);
    jpeg_set_quality(&w.info, 95, TRUE);
    if (image.resolutionX > 0 && image.resolutionY > 0) {
        w.info.density_unit = 1;
        w.info.X_density = UINT16(image.resolutionX + 0.5);
        w.info.Y_density = UINT16(image.resolutionY + 0.5);
    }
    jpeg_start_compress(&w.info, TRUE);
    if (!image.iccProfile.empty())
        jpeg_write_icc_profile(&w.info, image.iccProfile.data(), unsigned(image.iccProfile.size()));
    const size_t samples = size_t(image.samples());
    const size_t colors = size_t(image.colorSamples());
    while (w.info.next_scanline < w.info.image_height) {
        const uint8_t* in = image.pixels.data() + size_t(w.info.next_scanline) * image.rowBytes();
        for (size_t x = 0; x < size_t(image.width); ++x)
            for (size_t c = 0; c < colors; ++c) {
                const uint8_t sample = in[x * samples + c];
                // CMYK is stored inverted, as the Adobe marker libjpeg writes says.
                w.row[x * colors + c] = image.model == ColorModel::Cmyk ? uint8_t(255 - sample) : sample;
            }
        JSAMPROW row = w.row.data();
        jpeg_write_scanlines(&w.info, &row, 1);
    }
    jpeg_finish_compress(&w.info);
    if (std::fflush(w.file.get()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace cli
