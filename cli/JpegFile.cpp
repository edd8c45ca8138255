// JPEG through libjpeg-turbo: RGB, CMYK (including the inverted CMYK that Adobe-style writers
// produce) and grey; 16-bit images are written with their samples scaled to 8 bits. The ICC
// profile, the resolution and the EXIF block are kept.
#include "cli/Exif.h"
#include "cli/ImageFiles.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first; jerror.h what jpeglib.h configures.
#include <jpeglib.h>
// clang-format off
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>

namespace cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr char kExifHeader[] = "Exif\0"; // with the terminating zero: "Exif\0\0"
constexpr size_t kExifHeaderLength = 6;
constexpr size_t kLargestMarker = 65533;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int writeErrno = 0;
};

void OnJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (info->err->msg_code == JERR_FILE_WRITE)
        manager->writeErrno = errno;
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// The end of a file that has only one scan holding every component costs no pixels by itself:
// the decoder reads ahead past the last data (a file without its end marker), and says
// JWRN_HIT_MARKER when it lacks data it needed. With several scans, a missing scan is silent.
bool EndCostsPixels(j_common_ptr info) {
    if (!info->is_decompressor)
        return true;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    return decompress->progressive_mode || decompress->comps_in_scan < decompress->num_components;
}

// Warnings after which the decoder has made up pixels: the file is damaged, as a truncated PNG
// is. Other warnings (stray bytes between markers, an odd JFIF version) leave the picture whole.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
        if (EndCostsPixels(info))
            OnJpegError(info);
        break;
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        OnJpegError(info);
        break;
    default:
        break;
    }
}

struct JpegReader {
    std::unique_ptr<std::FILE, FileCloser> file;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    bool created = false;
    JOCTET* profile = nullptr;
    unsigned int profileLength = 0;
    std::vector<uint8_t> exif;
    ~JpegReader() {
        if (created)
            jpeg_destroy_decompress(&info);
        std::free(profile);
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

// The EXIF block of the file's APP1 markers (without its "Exif\0\0" header), or empty.
std::vector<uint8_t> ExifBlock(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length > kExifHeaderLength &&
            std::memcmp(marker->data, kExifHeader, kExifHeaderLength) == 0)
            return std::vector<uint8_t>(marker->data + kExifHeaderLength, marker->data + marker->data_length);
    return {};
}

// A 16-bit sample (this machine's order) scaled to 8 bits, rounded to the nearest.
uint8_t EightBitsOf(const uint8_t* sample) {
    uint16_t value;
    std::memcpy(&value, sample, sizeof value);
    return uint8_t((uint32_t(value) * 255 + 32767) / 65535);
}

// A JFIF density: dots per inch while they fit its 16 bits, else dots per centimetre, clamped.
void SetDensity(jpeg_compress_struct* info, double perInchX, double perInchY) {
    const bool inch = std::max(perInchX, perInchY) < 65535.5;
    const double scale = inch ? 1.0 : 1.0 / 2.54;
    info->density_unit = inch ? 1 : 2;
    info->X_density = UINT16(std::clamp(std::round(perInchX * scale), 1.0, 65535.0));
    info->Y_density = UINT16(std::clamp(std::round(perInchY * scale), 1.0, 65535.0));
}

class JpegWriter final : public StreamImageWriter {
public:
    JpegWriter(std::FILE* file, const WriteOptions& options) : StreamImageWriter(file, options) {}
    ~JpegWriter() override {
        if (created_)
            jpeg_destroy_compress(&info_);
    }

    bool Add(const Image& image, int page, int, std::string* error) override {
        if (page > 0) {
            *error = options_.name + ": a JPEG file holds one image";
            return false;
        }
        row_.resize(size_t(image.width) * size_t(image.colorSamples()));
        exif_ = !image.exif.empty() ? image.exif : image.orientation > 1 ? MinimalExif(image.orientation) : exif_;
        if (!exif_.empty())
            exif_.insert(exif_.begin(), kExifHeader, kExifHeader + kExifHeaderLength);
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = OnJpegError;
        errors_.base.emit_message = OnJpegMessage;
        if (setjmp(errors_.jump)) {
            *error = WriteErrorMessage(options_.name, errors_.writeErrno, errors_.message);
            return false;
        }
        jpeg_create_compress(&info_);
        created_ = true;
        jpeg_stdio_dest(&info_, file_);
        info_.image_width = JDIMENSION(image.width);
        info_.image_height = JDIMENSION(image.height);
        info_.input_components = image.colorSamples();
        info_.in_color_space = image.model == ColorModel::Cmyk   ? JCS_CMYK
                               : image.model == ColorModel::Grey ? JCS_GRAYSCALE
                                                                 : JCS_RGB;
        jpeg_set_defaults(&info_);
        jpeg_set_quality(&info_, options_.jpegQuality, TRUE);
        if (image.resolutionX > 0 && image.resolutionY > 0)
            SetDensity(&info_, image.resolutionX, image.resolutionY);
        jpeg_start_compress(&info_, TRUE);
        if (!exif_.empty() && exif_.size() <= kLargestMarker)
            jpeg_write_marker(&info_, JPEG_APP0 + 1, exif_.data(), unsigned(exif_.size()));
        if (!image.iccProfile.empty())
            jpeg_write_icc_profile(&info_, image.iccProfile.data(), unsigned(image.iccProfile.size()));
        const size_t samples = size_t(image.samples());
        const size_t colors = size_t(image.colorSamples());
        const bool deep = image.depth == 16;
        while (info_.next_scanline < info_.image_height) {
            const uint8_t* in = image.pixels.data() + size_t(info_.next_scanline) * image.rowBytes();
            for (size_t x = 0; x < size_t(image.width); ++x)
                for (size_t c = 0; c < colors; ++c) {
                    const uint8_t sample = deep ? EightBitsOf(in + (x * samples + c) * 2) : in[x * samples + c];
                    // CMYK is stored inverted, as the Adobe marker libjpeg writes says.
                    row_[x * colors + c] = image.model == ColorModel::Cmyk ? uint8_t(255 - sample) : sample;
                }
            JSAMPROW row = row_.data();
            jpeg_write_scanlines(&info_, &row, 1);
            if (options_.progress)
                options_.progress(info_.next_scanline, info_.image_height);
        }
        jpeg_finish_compress(&info_);
        return true;
    }

private:
    jpeg_compress_struct info_{};
    ErrorManager errors_{};
    bool created_ = false;
    std::vector<uint8_t> row_;
    std::vector<uint8_t> exif_;
};

} // namespace

ReadStatus ReadJpeg(const InputFile& source, const ReadOptions& options, Image* image, ImageInfo* description,
                    bool infoOnly, std::string* error) {
    JpegReader r;
    r.file.reset(std::fopen(source.path.c_str(), "rb"));
    if (!r.file) {
        *error = "cannot open " + source.name + ": " + std::strerror(errno);
        return ReadStatus::Failed;
    }
    r.info.err = jpeg_std_error(&r.errors.base);
    r.errors.base.error_exit = OnJpegError;
    r.errors.base.emit_message = OnJpegMessage;
    if (setjmp(r.errors.jump)) {
        if (r.errors.base.msg_code == JERR_OUT_OF_MEMORY) {
            *error = source.name + ": not enough memory to decode this JPEG (" + r.errors.message + ")";
            return ReadStatus::TooLarge;
        }
        *error = source.name + ": damaged or truncated JPEG (" + r.errors.message + ")";
        return ReadStatus::Failed;
    }
    jpeg_create_decompress(&r.info);
    r.created = true;
    // The memory manager's own limit: a progressive file keeps every coefficient of the image.
    r.info.mem->max_memory_to_use = long(std::min<uint64_t>(options.limits.memoryBytes, uint64_t(LONG_MAX)));
    jpeg_stdio_src(&r.info, r.file.get());
    jpeg_save_markers(&r.info, JPEG_APP0 + 1, 0xFFFF); // EXIF
    jpeg_save_markers(&r.info, JPEG_APP0 + 2, 0xFFFF); // ICC profile
    jpeg_read_header(&r.info, TRUE);

    const J_COLOR_SPACE space = r.info.jpeg_color_space;
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    r.exif = ExifBlock(r.info);
    description->format = "JPEG";
    description->mode = ModeName(space);
    description->bitsPerSample = r.info.data_precision;
    description->samples = r.info.num_components;
    description->width = r.info.image_width;
    description->height = r.info.image_height;
    description->orientation = ExifOrientation(r.exif);
    const bool grey = space == JCS_GRAYSCALE;
    description->supported = r.info.data_precision == 8 && (space == JCS_RGB || space == JCS_YCbCr || cmyk || grey);
    if (jpeg_read_icc_profile(&r.info, &r.profile, &r.profileLength))
        description->iccProfileBytes = r.profileLength;
    if (infoOnly)
        return ReadStatus::Ok;
    if (!description->supported && !options.convert) {
        *error = source.name + ": " + ModeName(space) + " JPEG";
        return ReadStatus::Unsupported;
    }
    if (uint64_t(r.info.image_width) * r.info.image_height > options.limits.maxPixels) {
        *error = TooManyPixelsMessage(source.name, r.info.image_width, r.info.image_height, options.limits.maxPixels);
        return ReadStatus::TooLarge;
    }

    image->width = int32_t(r.info.image_width);
    image->height = int32_t(r.info.image_height);
    image->alpha = false;
    image->depth = 8;
    // Grey and CMYK stay as they are; anything else asked to be converted becomes RGB.
    image->model = cmyk ? ColorModel::Cmyk : grey ? ColorModel::Grey : ColorModel::Rgb;
    r.info.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
    const bool inverted = cmyk && r.info.saw_Adobe_marker;
    if (r.profile != nullptr && r.profileLength > 0)
        image->iccProfile.assign(r.profile, r.profile + r.profileLength);
    image->exif = std::move(r.exif);
    image->orientation = description->orientation;
    if (r.info.saw_JFIF_marker && r.info.X_density > 0 && r.info.Y_density > 0) {
        const double scale = r.info.density_unit == 1 ? 1.0 : r.info.density_unit == 2 ? 2.54 : 0.0;
        image->resolutionX = r.info.X_density * scale;
        image->resolutionY = r.info.Y_density * scale;
    }
    jpeg_start_decompress(&r.info);
    // Reserved whole (an impossible size fails here) but filled row by row, so a file that
    // declares more than it holds fails before its pixels have cost any memory.
    image->pixels.clear();
    image->pixels.reserve(image->rowBytes() * size_t(image->height));
    while (r.info.output_scanline < r.info.output_height) {
        image->pixels.resize(image->pixels.size() + image->rowBytes());
        JSAMPROW row = image->pixels.data() + size_t(r.info.output_scanline) * image->rowBytes();
        jpeg_read_scanlines(&r.info, &row, 1);
        if (options.progress)
            options.progress(r.info.output_scanline, r.info.output_height);
    }
    jpeg_finish_decompress(&r.info);
    if (inverted)
        for (uint8_t& sample : image->pixels)
            sample = uint8_t(255 - sample);
    return ReadStatus::Ok;
}

std::unique_ptr<ImageWriter> OpenJpegWriter(const std::string& path, const WriteOptions& options, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = WriteErrorMessage(options.name, errno, "cannot create the file");
        return nullptr;
    }
    return std::make_unique<JpegWriter>(file, options);
}

} // namespace cli
