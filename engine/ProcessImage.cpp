#include "engine/ProcessImage.h"

#include "engine/DocumentFormat.h"
#include "engine/EngineVariant.h"
#include "engine/PreviewView.h"
#include "engine/PreviewZoom.h"
#include "engine/RenderDistortion.h"
#include "engine/WorkerThreads.h"
#include "platform/Platform.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/Progress.h"
#include "plugin/Rectangles.h"
#include "plugin/Suites.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <type_traits>
#include <vector>

DistortionContext workingContext;
uint8_t* sourceBuffer = nullptr;
uint8_t* destinationBuffer = nullptr;
uint8_t* viewBackground = nullptr;

namespace {

size_t gWorkingBytes = 0;    // bytes of the source and of the destination buffer
size_t gBackgroundBytes = 0; // bytes of viewBackground

// The host converts at most this many colours per call.
constexpr int64_t kMaxColorsPerCall = 32767;

const char* const kWrongModeText = "Wrong Image mode!\r\n Image should be RGB or CMYK";
const char* const kWrongDepthText = "Wrong Image mode!\r\n Image should be RGB or CMYK with 8 bits per channel";

// How the host's samples of one pixel map onto the working buffers' four samples, and how wide
// those are: the document's depth in a final render; 8 bits in the preview, which is shown at 8.
struct Layout {
    DocumentFormat format;
    int bufferBytes = 1; // bytes of one sample of the working buffers
    int64_t planes() const { return format.planes; }
    bool cmyk() const { return format.cmyk(); }
    bool direct() const { return format.direct(); }
    bool wideBuffers() const { return bufferBytes == 2; }
    bool wideHost() const { return format.sampleBytes == 2; }
};

Layout CurrentLayout() {
    Layout layout;
    layout.format = DocumentFormatOf(gFilterRecord->imageMode, gFilterRecord->depth, gFilterRecord->planes);
    layout.bufferBytes = dialogActive ? 1 : layout.format.sampleBytes;
    return layout;
}

// Where the input rows come from: in the preview of a host that cannot sample, the view the
// plug-in sampled itself (in the host's layout); otherwise the host's inData.
struct InputRows {
    uint8_t* data;
    int64_t rowBytes;
    int64_t height; // rows there are, or -1 when only the host knows
};

InputRows Input() {
    if (dialogActive && sampledView.pixels != nullptr)
        return InputRows{sampledView.pixels, sampledView.rowBytes, sampledView.height};
    return InputRows{static_cast<uint8_t*>(gFilterRecord->inData), gFilterRecord->inRowBytes, -1};
}

// The bytes the input and the output rows must hold for `width` x `height` pixels.
bool HostRowsHold(int64_t width, int64_t height, const DocumentFormat& format) {
    const FilterRecord& r = *gFilterRecord;
    const InputRows input = Input();
    const int64_t rowBytes = width * format.pixelBytes();
    return input.data != nullptr && r.outData != nullptr && input.rowBytes >= rowBytes &&
           (input.height < 0 || input.height >= height) && int64_t(r.outRowBytes) >= rowBytes;
}

uint8_t* InRow(int64_t y) {
    const InputRows input = Input();
    return input.data + y * input.rowBytes;
}
uint8_t* OutRow(int64_t y) {
    return static_cast<uint8_t*>(gFilterRecord->outData) + y * gFilterRecord->outRowBytes;
}
template <class Sample> Sample* BufferRow(uint8_t* buffer, int64_t y) {
    return reinterpret_cast<Sample*>(buffer) + y * int64_t(workingContext.bufferWidth) * 4;
}
template <class Sample> const Sample* HostSamples(const uint8_t* row) {
    return reinterpret_cast<const Sample*>(row);
}
template <class Sample> Sample* HostSamples(uint8_t* row) {
    return reinterpret_cast<Sample*>(row);
}

// A colour composed over black by its transparency, in single precision, truncated.
template <class Sample> Sample Weighted(Sample value, Sample alpha) {
    return static_cast<Sample>(float(value) * (float(alpha) / float(OpaqueSample<Sample>())));
}

// Colours of one conversion call, obtained once per pass; null when memory is short.
template <class Color> struct ColorArray {
    explicit ColorArray(int64_t width) : count(std::min(width, kMaxColorsPerCall)) {
        colors = new (std::nothrow) Color[size_t(std::max<int64_t>(count, 1))];
    }
    ~ColorArray() { delete[] colors; }
    ColorArray(const ColorArray&) = delete;
    ColorArray& operator=(const ColorArray&) = delete;
    int64_t count;
    Color* colors;
};

bool Convert(const PSColorSpaceSuite1* suite, int16_t from, int16_t to, Color8* colors, int64_t count) {
    return suite->Convert8(from, to, colors, static_cast<int16_t>(count)) == kSPNoError;
}
bool Convert(const PSColorSpaceSuite1* suite, int16_t from, int16_t to, Color16* colors, int64_t count) {
    return suite->Convert16(from, to, colors, static_cast<int16_t>(count)) == kSPNoError;
}

// Whether the host converts colours of the working buffers' width.
bool CanConvert(const PSColorSpaceSuite1* suite, const Layout& layout) {
    return layout.wideBuffers() ? suite->Convert16 != nullptr : suite->Convert8 != nullptr;
}

// Copies the input to the output unchanged (a mode the filter does not process).
void CopyInputToOutput() {
    const FilterRecord& r = *gFilterRecord;
    const VRect out = GetOutRect();
    int64_t height = RectHeight(out);
    const int64_t width = RectWidth(out);
    const int64_t depth = r.depth > 8 ? (int64_t(r.depth) + 7) / 8 : 1;
    const int64_t rowLength = width * std::max<int64_t>(r.planes, 0) * depth;
    const InputRows input = Input();
    if (input.data == nullptr || r.outData == nullptr || rowLength <= 0)
        return;
    if (input.height >= 0)
        height = std::min(height, input.height);
    const int64_t copied = std::min({rowLength, input.rowBytes, int64_t(r.outRowBytes)});
    for (int64_t y = 0; y < height && copied > 0; ++y)
        std::memmove(OutRow(y), InRow(y), size_t(copied));
}

// Releases the four blocks of the working state (the background is the dialog's).
void ReleaseBuffers() {
    ReleasePlaneScratch();
    platform::ReleasePages(destinationBuffer, gWorkingBytes);
    platform::ReleasePages(sourceBuffer, gWorkingBytes);
    destinationBuffer = nullptr;
    sourceBuffer = nullptr;
    gWorkingBytes = 0;
}

void ReleaseBackground() {
    platform::ReleasePages(viewBackground, gBackgroundBytes);
    viewBackground = nullptr;
    gBackgroundBytes = 0;
}

// The preview source pixel that buffer pixel (x, y) shows at the current zoom and scroll.
int64_t SampledIndex(int64_t coordinate, int32_t offset, int64_t limit) {
    const int64_t sampled = int64_t(float(coordinate + offset) * workingContext.zoom);
    return std::clamp<int64_t>(sampled, 0, limit - 1);
}

template <class Buffer, class Host> void FillFromInput(const Layout& layout) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    const DocumentFormat& format = layout.format;
    for (int64_t y = 0; y < height; ++y) {
        const Host* in = HostSamples<Host>(InRow(y));
        Buffer* pixel = BufferRow<Buffer>(sourceBuffer, y);
        // The common layouts of samples as they are in plain loops the compiler can widen.
        if (sizeof(Buffer) == sizeof(Host) && format.planes == 4 && format.colors == 3) {
            std::memcpy(pixel, in, size_t(width) * 4 * sizeof(Buffer));
            continue;
        }
        if (sizeof(Buffer) == sizeof(Host) && format.planes == 3 && format.colors == 3) {
            for (int64_t x = 0; x < width; ++x) {
                pixel[4 * x] = Buffer(in[3 * x]);
                pixel[4 * x + 1] = Buffer(in[3 * x + 1]);
                pixel[4 * x + 2] = Buffer(in[3 * x + 2]);
                pixel[4 * x + 3] = OpaqueSample<Buffer>();
            }
            continue;
        }
        RowToPixels(in, format, width, pixel);
    }
}

void FillFromInput(const Layout& layout) {
    if (layout.wideBuffers())
        FillFromInput<uint16_t, uint16_t>(layout);
    else if (layout.wideHost())
        FillFromInput<uint8_t, uint16_t>(layout);
    else
        FillFromInput<uint8_t, uint8_t>(layout);
}

// The preview source's planes at a buffer pixel (grey repeated into the three colours; planes
// the source lacks read as 255). CMYK gives its four inks and the transparency is not read.
void SamplePreview(int64_t x, int64_t y, uint8_t samples[4]) {
    PixelBuffer& source = *previewSource;
    const uint8_t* first = FirstPixel(source);
    const int64_t sy = SampledIndex(y, workingContext.offsetY, PixelBufferHeight(source));
    const int64_t sx = SampledIndex(x, workingContext.offsetX, PixelBufferWidth(source));
    const int64_t at = sy * (source.desc.rowBits / 8) + sx;
    const int colors = ColorPlanes(source);
    for (int k = 0; k < 4; ++k) {
        const int plane = colors == 1 && k < 3 ? 0 : (colors == 1 ? 1 : k);
        samples[k] = plane < source.planes ? first[plane * PlaneBytes(source) + at] : uint8_t(255);
    }
}

bool UsePreviewSource() {
    return dialogActive && previewSource != nullptr && FirstPixel(*previewSource) != nullptr;
}

// The preview source is read at 8 bits, as the preview's buffers are.
void FillFromPreviewSource(const Layout& layout) {
    const int64_t height = std::min<int64_t>(workingContext.bufferHeight, PixelBufferHeight(*previewSource));
    const int64_t width = std::min<int64_t>(workingContext.bufferWidth, PixelBufferWidth(*previewSource));
    for (int64_t y = 0; y < height; ++y) {
        uint8_t* pixel = BufferRow<uint8_t>(sourceBuffer, y);
        for (int64_t x = 0; x < width; ++x, pixel += 4) {
            uint8_t samples[4];
            SamplePreview(x, y, samples);
            std::copy(samples, samples + 3, pixel);
            pixel[3] = layout.format.transparency() ? samples[3] : uint8_t(255);
        }
    }
}

// CMYK input to RGB through the host (Color8 or Color16 as wide as the working buffers), in
// calls of at most 32767 colours so that every pixel of a wide row is converted. False when
// memory or the conversion failed.
template <class Color, class Host> bool FillFromCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    using Buffer = std::remove_extent_t<Color>;
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    ColorArray<Color> array(width);
    if (array.colors == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    const bool fromPreview = UsePreviewSource();
    const int64_t rows = fromPreview ? std::min<int64_t>(height, PixelBufferHeight(*previewSource)) : height;
    const int64_t columns = fromPreview ? std::min<int64_t>(width, PixelBufferWidth(*previewSource)) : width;
    const int64_t planes = layout.planes();
    for (int64_t y = 0; y < rows; ++y) {
        const Host* in = HostSamples<Host>(InRow(y));
        Buffer* row = BufferRow<Buffer>(sourceBuffer, y);
        for (int64_t start = 0; start < columns; start += array.count) {
            const int64_t count = std::min(array.count, columns - start);
            for (int64_t i = 0; i < count; ++i) {
                const int64_t x = start + i;
                const Host* samples = in + x * planes;
                if (fromPreview) { // 8-bit, as is the preview's buffer
                    uint8_t preview[4];
                    SamplePreview(x, y, preview);
                    for (int k = 0; k < 4; ++k)
                        array.colors[i][k] = Buffer(preview[k]);
                } else {
                    for (int k = 0; k < 4; ++k)
                        array.colors[i][k] = SampleAs<Buffer>(samples[k]);
                }
                row[x * 4 + 3] = planes >= 5 ? SampleAs<Buffer>(samples[4]) : OpaqueSample<Buffer>();
            }
            if (!Convert(suite, plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, array.colors, count)) {
                SetResult(errPlugInHostInsufficient);
                return false;
            }
            for (int64_t i = 0; i < count; ++i)
                std::copy(array.colors[i] + 1, array.colors[i] + 4, row + (start + i) * 4);
        }
    }
    return true;
}

bool FillFromCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    if (layout.wideBuffers())
        return FillFromCmyk<Color16, uint16_t>(layout, suite);
    if (layout.wideHost())
        return FillFromCmyk<Color8, uint16_t>(layout, suite);
    return FillFromCmyk<Color8, uint8_t>(layout, suite);
}

// The destination buffer in the RGB layout (RGB and grey documents, and every document in the
// preview, whose 8-bit buffers are widened for a 16-bit host).
template <class Host, class Buffer> void WriteBackRgb(const Layout& layout) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    const int64_t planes = layout.planes();
    const int64_t written = std::min<int64_t>(planes, 4);
    const DocumentFormat& format = layout.format;
    for (int64_t y = 0; y < height; ++y) {
        const Buffer* pixel = BufferRow<Buffer>(destinationBuffer, y);
        Host* out = HostSamples<Host>(OutRow(y));
        if (sizeof(Host) == sizeof(Buffer) && planes == 4 && format.colors == 3) {
            std::memcpy(out, pixel, size_t(width) * 4 * sizeof(Buffer));
            continue;
        }
        for (int64_t x = 0; x < width; ++x, pixel += 4, out += planes) {
            if (format.grey() && planes >= 1) {
                // The three colours were warped alike: the first is the grey.
                out[0] = SampleAs<Host>(pixel[0]);
                if (planes > 1)
                    out[1] = SampleAs<Host>(pixel[3]);
            } else if (planes >= 4 || format.direct()) {
                for (int64_t k = 0; k < written; ++k)
                    out[k] = SampleAs<Host>(pixel[k]);
            } else if (pixel[3] == OpaqueSample<Buffer>()) {
                for (int k = 0; k < 3; ++k)
                    out[k] = SampleAs<Host>(pixel[k]);
            } else {
                for (int k = 0; k < 3; ++k) // composed over black
                    out[k] = SampleAs<Host>(Weighted(pixel[k], pixel[3]));
            }
        }
    }
}

void WriteBackRgb(const Layout& layout) {
    if (layout.wideBuffers())
        WriteBackRgb<uint16_t, uint16_t>(layout);
    else if (layout.wideHost())
        WriteBackRgb<uint16_t, uint8_t>(layout);
    else
        WriteBackRgb<uint8_t, uint8_t>(layout);
}

// The destination buffer back to CMYK through the host (a final render, so the buffers are as
// wide as the host's samples). Every row is converted into the source buffer (no longer needed)
// before anything is written, so a failing conversion leaves the output as the host delivered
// it. The fifth sample, when there is one, carries sample 3.
template <class Color> bool WriteBackCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    using Sample = std::remove_extent_t<Color>;
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    const int64_t planes = layout.planes();
    ColorArray<Color> array(width);
    if (array.colors == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    for (int64_t y = 0; y < height; ++y) {
        const Sample* row = BufferRow<Sample>(destinationBuffer, y);
        Sample* converted = BufferRow<Sample>(sourceBuffer, y);
        for (int64_t start = 0; start < width; start += array.count) {
            const int64_t count = std::min(array.count, width - start);
            for (int64_t i = 0; i < count; ++i) {
                const Sample* pixel = row + (start + i) * 4;
                Color& color = array.colors[i];
                color[0] = OpaqueSample<Sample>();
                for (int k = 0; k < 3; ++k)
                    color[k + 1] = planes > 4 ? pixel[k] : Weighted(pixel[k], pixel[3]);
            }
            if (!Convert(suite, plugIncolorServicesRGBSpace, plugIncolorServicesCMYKSpace, array.colors, count)) {
                SetResult(errPlugInHostInsufficient);
                return false;
            }
            for (int64_t i = 0; i < count; ++i)
                std::copy(array.colors[i], array.colors[i] + 4, converted + (start + i) * 4);
        }
    }
    for (int64_t y = 0; y < height; ++y) {
        const Sample* converted = BufferRow<Sample>(sourceBuffer, y);
        const Sample* row = BufferRow<Sample>(destinationBuffer, y);
        Sample* out = HostSamples<Sample>(OutRow(y));
        for (int64_t x = 0; x < width; ++x, out += planes) {
            std::copy(converted + x * 4, converted + x * 4 + 4, out);
            if (planes > 4)
                out[4] = row[x * 4 + 3];
        }
    }
    return true;
}

bool WriteBackCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    return layout.wideBuffers() ? WriteBackCmyk<Color16>(layout, suite) : WriteBackCmyk<Color8>(layout, suite);
}

// The effect as it applies to a document of `format`: grey has one colour, so the aberration has
// none to set apart.
FilterParameters EffectFor(const DocumentFormat& format) {
    FilterParameters parameters = *gParams;
    if (format.grey())
        parameters.aberration = 0.0f;
    return parameters;
}

// Ends a final render that could not complete: the output stays as the host delivered it.
void AbandonFinalRender(OSErr code) {
    ReleaseWorkingBuffers();
    ReportProgress(0.0f, 100.0f);
    SetResult(code);
}

// The working context's buffer of `width` x `height` pixels (both within 32 bits) and the
// filter area it belongs to.
void SetBufferGeometry(int64_t width, int64_t height, const VRect& filter) {
    workingContext.bufferHeight = int32_t(height);
    workingContext.bufferWidth = int32_t(width);
    workingContext.areaHeight = int32_t(std::min<int64_t>(RectHeight(filter), INT32_MAX));
    workingContext.areaWidth = int32_t(std::min<int64_t>(RectWidth(filter), INT32_MAX));
}

// The final render of an RGB document on a fast variant goes from the host's input rows straight
// into its output rows (the same bytes as filling the working buffers, rendering and writing
// back, in less memory). False when it does not apply: the working buffers are then used.
bool RenderFinalRows() {
    const Layout layout = CurrentLayout();
    const DocumentFormat& format = layout.format;
    const bool rgb = format.colors == 3 && (format.planes == 3 || format.planes == 4);
    const bool grey = format.colors == 1 && (format.planes == 1 || format.planes == 2);
    if (!(rgb || grey) || ActiveEngineVariant() == EngineVariant::Reference)
        return false;
    const VRect out = GetOutRect();
    const VRect filter = GetFilterRect();
    const int64_t height = RectHeight(out), width = RectWidth(out);
    if (width <= 0 || height <= 0 || height > INT32_MAX || width > INT32_MAX ||
        uint64_t(width) * uint64_t(height) > (SIZE_MAX / 8) || !HostRowsHold(width, height, format))
        return false;

    // The steps a host sees are those of the working buffers: prepared (0, 5, 10), rendered, done.
    ReportProgress(0.0f, 100.0f);
    ReleaseBuffers();
    SetBufferGeometry(width, height, filter);
    ReportProgress(5.0f, 100.0f);
    ReportProgress(10.0f, 100.0f);

    const FilterRecord& record = *gFilterRecord;
    const HostRows rows{InRow(0),      Input().rowBytes, OutRow(0),         record.outRowBytes,
                        format.planes, format.colors,    format.sampleBytes};
    RenderSettings settings;
    settings.planeCount = record.planes;
    settings.colorPlanes = format.colors;
    settings.progress = &ReportProgress;
    if (!RenderHostRows(workingContext, EffectFor(format), rows, settings)) {
        AbandonFinalRender(memFullErr);
        return true;
    }
    ReleaseWorkingBuffers();
    ReportProgress(0.0f, 100.0f);
    SetResult(noErr);
    return true;
}

} // namespace

bool IsSupportedImage(int16_t imageMode, int32_t depth) {
    switch (imageMode) {
    case plugInModeRGBColor:
    case plugInModeCMYKColor:
    case plugInModeGrayScale:
        return depth == 8 || depth == 0;
    case plugInModeRGB48:
    case plugInModeCMYK64:
    case plugInModeGray16:
        return depth == 16;
    default:
        return false;
    }
}

void ReleaseWorkingBuffers() {
    KeepWorkerThreads(false);
    ReleaseBuffers();
    ReleaseBackground();
    ReleasePreviewRequests();
}

bool PrepareWorkingBuffers() {
    ReportProgress(0.0f, 100.0f);
    const VRect out = GetOutRect();
    const VRect filter = GetFilterRect();
    const int64_t height = RectHeight(out), width = RectWidth(out);
    ReleaseBuffers();
    // Four samples a pixel, counted in 64 bits: an area no buffer can hold fails here instead of
    // wrapping into a small allocation.
    if (height > INT32_MAX || width > INT32_MAX || uint64_t(width) * uint64_t(height) > (SIZE_MAX / 8)) {
        SetResult(memFullErr);
        return false;
    }
    SetBufferGeometry(width, height, filter);
    const Layout layout = CurrentLayout();
    if (width == 0 || height == 0 || !HostRowsHold(width, height, layout.format)) {
        // Nothing delivered: nothing to render.
        workingContext.bufferHeight = workingContext.bufferWidth = 0;
        ReportProgress(10.0f, 100.0f);
        return true;
    }

    gWorkingBytes = size_t(width) * size_t(height) * 4 * size_t(layout.bufferBytes);
    sourceBuffer = static_cast<uint8_t*>(platform::AllocatePages(gWorkingBytes));
    destinationBuffer = static_cast<uint8_t*>(platform::AllocatePages(gWorkingBytes));
    if (sourceBuffer == nullptr || destinationBuffer == nullptr) {
        ReleaseBuffers();
        SetResult(memFullErr);
        return false;
    }

    if (layout.cmyk()) {
        AcquiredSuite<PSColorSpaceSuite1> colorSpace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
        // Without the suite the buffer stays transparent black and the write-back is skipped.
        if (colorSpace && CanConvert(colorSpace.get(), layout) && !FillFromCmyk(layout, colorSpace.get())) {
            ReleaseBuffers();
            return false;
        }
    } else if (UsePreviewSource() && !layout.direct()) {
        FillFromPreviewSource(layout);
    } else {
        FillFromInput(layout);
    }
    ReportProgress(5.0f, 100.0f);
    if (dialogActive) {
        // Previews follow one another while the dialog is open: their workers wait in between.
        KeepWorkerThreads(true);
        BuildViewBackground();
    }
    ReportProgress(10.0f, 100.0f);
    return true;
}

void DetectViewTransparency() {
    const FilterRecord& r = *gFilterRecord;
    DetectUniformAlpha(sourceBuffer, workingContext.bufferWidth, workingContext.bufferHeight, r.planes,
                       DocumentFormatOf(r.imageMode, r.depth, r.planes).colors);
}

void BuildViewBackground() {
    ReleaseBackground();
    if (previewBackdrop == nullptr)
        return;
    const uint8_t* first = FirstPixel(*previewBackdrop);
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    if (first == nullptr || width <= 0 || height <= 0)
        return;
    gBackgroundBytes = size_t(width) * size_t(height) * 3;
    viewBackground = static_cast<uint8_t*>(platform::AllocatePages(gBackgroundBytes));
    if (viewBackground == nullptr) {
        gBackgroundBytes = 0;
        return; // the preview then shows no background
    }
    const PixelBuffer& backdrop = *previewBackdrop;
    const int64_t planeBytes = PlaneBytes(backdrop), rowBytes = backdrop.desc.rowBits / 8;
    const int planes = backdrop.planes;
    // The transparency follows the colour planes: plane 3 in RGB, plane 4 in CMYK (where plane 3
    // is the black ink). CMYK is shown through the host's conversion, or the plain one without it.
    const int colors = ColorPlanes(backdrop);
    const bool cmyk = colors == 4 && planes >= 4;
    std::optional<AcquiredSuite<PSColorSpaceSuite1>> colorSpace;
    if (cmyk)
        colorSpace.emplace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
    const bool convert = colorSpace && *colorSpace && (*colorSpace)->Convert8 != nullptr;
    std::vector<Color8> row(cmyk ? size_t(width) : 0);
    for (int64_t y = 0; y < height; ++y) {
        const int64_t sy = SampledIndex(y, workingContext.offsetY, PixelBufferHeight(backdrop));
        uint8_t* out = viewBackground + y * width * 3;
        if (cmyk) {
            for (int64_t x = 0; x < width; ++x) {
                const int64_t sx = SampledIndex(x, workingContext.offsetX, PixelBufferWidth(backdrop));
                for (int k = 0; k < 4; ++k)
                    row[size_t(x)][k] = first[k * planeBytes + sy * rowBytes + sx];
            }
            bool converted = convert;
            for (int64_t start = 0; converted && start < width; start += kMaxColorsPerCall) {
                const int64_t count = std::min(kMaxColorsPerCall, width - start);
                converted = Convert(colorSpace->get(), plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace,
                                    row.data() + start, count);
            }
            for (int64_t x = 0; x < width; ++x) {
                Color8& c = row[size_t(x)];
                if (!converted) // the samples are the host's: 255 is no ink
                    CmykToRgbFallback(uint8_t(255 - c[0]), uint8_t(255 - c[1]), uint8_t(255 - c[2]),
                                      uint8_t(255 - c[3]), c + 1);
            }
        }
        for (int64_t x = 0; x < width; ++x, out += 3) {
            const int64_t sx = SampledIndex(x, workingContext.offsetX, PixelBufferWidth(backdrop));
            const uint8_t* pixel = first + sy * rowBytes + sx;
            uint8_t color[3];
            for (int k = 0; k < 3; ++k)
                color[k] = cmyk ? row[size_t(x)][k + 1] : pixel[std::min({k, planes - 1, colors - 1}) * planeBytes];
            if (planes <= colors) {
                std::copy(color, color + 3, out);
                continue;
            }
            // 7 x 7 cells of light grey and white behind transparent parts, the top left grey.
            const float checker = ((x / 7) + (y / 7)) % 2 == 1 ? 255.0f : 204.0f;
            const float a = float(pixel[colors * planeBytes]) / 255.0f;
            for (int k = 0; k < 3; ++k)
                out[k] = static_cast<uint8_t>(float(color[k]) * a + checker * (1.0f - a));
        }
    }
}

bool AlertIfUnsupportedImage() {
    const FilterRecord* record = gFilterRecord;
    if (record == nullptr || IsSupportedImage(record->imageMode, record->depth))
        return false;
    // A mode the filter takes at another depth is a wrong depth; anything else a wrong mode.
    const bool wrongMode = !IsSupportedImage(record->imageMode, 8) && !IsSupportedImage(record->imageMode, 16);
    platform::ShowMessage(nullptr, wrongMode ? kWrongModeText : kWrongDepthText, "Plugin Alert",
                          platform::MessageIcon::Warning);
    return true;
}

void ProcessImage() {
    FilterRecord* record = gFilterRecord;
    if (record == nullptr || gParams == nullptr)
        return;
    if (AlertIfUnsupportedImage()) {
        CopyInputToOutput();
        SetResult(noErr);
        return;
    }

    if (dialogActive) {
        workingContext.offsetX = mainView.scrollX;
        workingContext.offsetY = mainView.scrollY;
        workingContext.zoom = zoom;
    } else {
        workingContext.offsetX = 0;
        workingContext.offsetY = 0;
        workingContext.zoom = 1.0f;
        if (RenderFinalRows())
            return;
        if (!PrepareWorkingBuffers()) {
            AbandonFinalRender(CurrentResult() != noErr ? CurrentResult() : memFullErr);
            return;
        }
    }
    const Layout layout = CurrentLayout();
    if (sourceBuffer == nullptr || destinationBuffer == nullptr ||
        !HostRowsHold(workingContext.bufferWidth, workingContext.bufferHeight, layout.format)) {
        // Nothing was delivered (or prepared) to render.
        if (!dialogActive)
            ReleaseWorkingBuffers();
        ReportProgress(0.0f, 100.0f);
        return;
    }

    RenderSettings settings;
    settings.planeCount = gFilterRecord->planes;
    settings.colorPlanes = layout.format.colors;
    settings.examineTransparency = !dialogActive; // the dialog judged it on the whole document
    settings.progress = &ReportProgress;
    const FilterParameters parameters = EffectFor(layout.format);
    const bool rendered =
        layout.wideBuffers()
            ? RenderDistortion(workingContext, parameters, reinterpret_cast<const uint16_t*>(sourceBuffer),
                               reinterpret_cast<uint16_t*>(destinationBuffer), settings)
            : RenderDistortion(workingContext, parameters, sourceBuffer, destinationBuffer, settings);
    if (!rendered && !dialogActive) {
        // The engine could not get its scratch memory and copied the source: an undistorted
        // image is no result.
        AbandonFinalRender(memFullErr);
        return;
    }

    OSErr result = noErr;
    if (layout.cmyk() && !dialogActive) {
        AcquiredSuite<PSColorSpaceSuite1> colorSpace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
        if (colorSpace && CanConvert(colorSpace.get(), layout) && !WriteBackCmyk(layout, colorSpace.get()))
            result = CurrentResult() != noErr ? CurrentResult() : memFullErr;
    } else {
        WriteBackRgb(layout);
    }
    if (!dialogActive)
        ReleaseWorkingBuffers();
    ReportProgress(0.0f, 100.0f);
    SetResult(result);
}
