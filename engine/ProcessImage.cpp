#include "engine/ProcessImage.h"

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

// How the host's samples of one pixel map onto the buffer's four bytes.
struct Layout {
    int64_t planes = 0;  // samples per pixel the host delivers
    bool cmyk = false;   // four inks converted through the host's colour space suite
    bool direct = false; // fewer samples than the mode has colours (single channels): no conversion
};

Layout CurrentLayout() {
    Layout layout;
    layout.planes = std::max<int64_t>(gFilterRecord->planes, 0);
    const int64_t colors = gFilterRecord->imageMode == plugInModeCMYKColor ? 4 : 3;
    layout.direct = layout.planes < colors;
    layout.cmyk = gFilterRecord->imageMode == plugInModeCMYKColor && !layout.direct;
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

// The samples the input and the output must hold for `width` x `height` pixels.
bool HostRowsHold(int64_t width, int64_t height, int64_t planes) {
    const FilterRecord& r = *gFilterRecord;
    const InputRows input = Input();
    return input.data != nullptr && r.outData != nullptr && input.rowBytes >= width * planes &&
           (input.height < 0 || input.height >= height) && int64_t(r.outRowBytes) >= width * planes;
}

uint8_t* InRow(int64_t y) {
    const InputRows input = Input();
    return input.data + y * input.rowBytes;
}
uint8_t* OutRow(int64_t y) {
    return static_cast<uint8_t*>(gFilterRecord->outData) + y * gFilterRecord->outRowBytes;
}
uint8_t* BufferRow(uint8_t* buffer, int64_t y) {
    return buffer + y * int64_t(workingContext.bufferWidth) * 4;
}

uint8_t Weighted(uint8_t value, uint8_t alpha) {
    return static_cast<uint8_t>(float(value) * (float(alpha) / 255.0f));
}

// Colours of one conversion call, obtained once per pass; null when memory is short.
struct ColorArray {
    explicit ColorArray(int64_t width) : count(std::min(width, kMaxColorsPerCall)) {
        colors = new (std::nothrow) Color8[size_t(std::max<int64_t>(count, 1))];
    }
    ~ColorArray() { delete[] colors; }
    ColorArray(const ColorArray&) = delete;
    ColorArray& operator=(const ColorArray&) = delete;
    int64_t count;
    Color8* colors;
};

bool Convert(const PSColorSpaceSuite1* suite, int16_t from, int16_t to, Color8* colors, int64_t count) {
    return suite->Convert8(from, to, colors, static_cast<int16_t>(count)) == kSPNoError;
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

void FillFromInput(const Layout& layout) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* in = InRow(y);
        uint8_t* pixel = BufferRow(sourceBuffer, y);
        // The common layouts in plain loops the compiler can widen.
        if (layout.planes == 4 && !layout.direct) {
            std::memcpy(pixel, in, size_t(width) * 4);
            continue;
        }
        if (layout.planes == 3 && !layout.direct) {
            for (int64_t x = 0; x < width; ++x) {
                pixel[4 * x] = in[3 * x];
                pixel[4 * x + 1] = in[3 * x + 1];
                pixel[4 * x + 2] = in[3 * x + 2];
                pixel[4 * x + 3] = 255;
            }
            continue;
        }
        for (int64_t x = 0; x < width; ++x, in += layout.planes, pixel += 4) {
            for (int k = 0; k < 3; ++k)
                pixel[k] = in[std::min<int64_t>(k, layout.planes - 1)];
            pixel[3] = !layout.direct && layout.planes > 3 ? in[3] : uint8_t(255);
        }
    }
}

// The preview source's planes at a buffer pixel; planes the source lacks read as 255.
void SamplePreview(int64_t x, int64_t y, uint8_t samples[4]) {
    PixelBuffer& source = *previewSource;
    const uint8_t* first = FirstPixel(source);
    const int64_t sy = SampledIndex(y, workingContext.offsetY, PixelBufferHeight(source));
    const int64_t sx = SampledIndex(x, workingContext.offsetX, PixelBufferWidth(source));
    const int64_t at = sy * (source.desc.rowBits / 8) + sx;
    for (int k = 0; k < 4; ++k)
        samples[k] = k < source.planes ? first[k * PlaneBytes(source) + at] : uint8_t(255);
}

bool UsePreviewSource() {
    return dialogActive && previewSource != nullptr && FirstPixel(*previewSource) != nullptr;
}

void FillFromPreviewSource(const Layout& layout) {
    const int64_t height = std::min<int64_t>(workingContext.bufferHeight, PixelBufferHeight(*previewSource));
    const int64_t width = std::min<int64_t>(workingContext.bufferWidth, PixelBufferWidth(*previewSource));
    for (int64_t y = 0; y < height; ++y) {
        uint8_t* pixel = BufferRow(sourceBuffer, y);
        for (int64_t x = 0; x < width; ++x, pixel += 4) {
            uint8_t samples[4];
            SamplePreview(x, y, samples);
            std::copy(samples, samples + 3, pixel);
            pixel[3] = layout.planes >= 4 ? samples[3] : uint8_t(255);
        }
    }
}

// CMYK input to RGB through the host, in calls of at most 32767 colours so that every pixel of
// a wide row is converted. False when memory or the conversion failed.
bool FillFromCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    ColorArray array(width);
    if (array.colors == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    const bool fromPreview = UsePreviewSource();
    const int64_t rows = fromPreview ? std::min<int64_t>(height, PixelBufferHeight(*previewSource)) : height;
    const int64_t columns = fromPreview ? std::min<int64_t>(width, PixelBufferWidth(*previewSource)) : width;
    for (int64_t y = 0; y < rows; ++y) {
        const uint8_t* in = InRow(y);
        uint8_t* row = BufferRow(sourceBuffer, y);
        for (int64_t start = 0; start < columns; start += array.count) {
            const int64_t count = std::min(array.count, columns - start);
            for (int64_t i = 0; i < count; ++i) {
                const int64_t x = start + i;
                const uint8_t* samples = in + x * layout.planes;
                uint8_t preview[4];
                if (fromPreview) {
                    SamplePreview(x, y, preview);
                    samples = preview;
                }
                std::copy(samples, samples + 4, array.colors[i]);
                row[x * 4 + 3] = layout.planes >= 5 ? in[x * layout.planes + 4] : uint8_t(255);
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

// The destination buffer in the RGB layout (RGB documents, and every document in the preview).
void WriteBackRgb(const Layout& layout) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    const int64_t written = std::min<int64_t>(layout.planes, 4);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* pixel = BufferRow(destinationBuffer, y);
        uint8_t* out = OutRow(y);
        if (layout.planes == 4) {
            std::memcpy(out, pixel, size_t(width) * 4);
            continue;
        }
        for (int64_t x = 0; x < width; ++x, pixel += 4, out += layout.planes) {
            if (layout.planes >= 4 || layout.direct) {
                std::copy(pixel, pixel + written, out);
            } else if (pixel[3] == 255) {
                std::copy(pixel, pixel + 3, out);
            } else {
                for (int k = 0; k < 3; ++k) // composed over black
                    out[k] = Weighted(pixel[k], pixel[3]);
            }
        }
    }
}

// The destination buffer back to CMYK through the host. Every row is converted into the source
// buffer (no longer needed) before anything is written, so a failing conversion leaves the
// output as the host delivered it. The fifth sample, when there is one, carries byte 3.
bool WriteBackCmyk(const Layout& layout, const PSColorSpaceSuite1* suite) {
    const int64_t width = workingContext.bufferWidth, height = workingContext.bufferHeight;
    ColorArray array(width);
    if (array.colors == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = BufferRow(destinationBuffer, y);
        uint8_t* converted = BufferRow(sourceBuffer, y);
        for (int64_t start = 0; start < width; start += array.count) {
            const int64_t count = std::min(array.count, width - start);
            for (int64_t i = 0; i < count; ++i) {
                const uint8_t* pixel = row + (start + i) * 4;
                Color8& color = array.colors[i];
                color[0] = 255;
                for (int k = 0; k < 3; ++k)
                    color[k + 1] = layout.planes > 4 ? pixel[k] : Weighted(pixel[k], pixel[3]);
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
        const uint8_t* converted = BufferRow(sourceBuffer, y);
        const uint8_t* row = BufferRow(destinationBuffer, y);
        uint8_t* out = OutRow(y);
        for (int64_t x = 0; x < width; ++x, out += layout.planes) {
            std::copy(converted + x * 4, converted + x * 4 + 4, out);
            if (layout.planes > 4)
                out[4] = row[x * 4 + 3];
        }
    }
    return true;
}

// Ends a final render that could not complete: the output stays as the host delivered it.
void AbandonFinalRender(OSErr code) {
    ReleaseWorkingBuffers();
    ReportProgress(0.0f, 100.0f);
    SetResult(code);
}

// The final render of an RGB document on a fast variant goes from the host's input rows straight
// into its output rows (the same bytes as filling the working buffers, rendering and writing
// back, in less memory). False when it does not apply: the working buffers are then used.
bool RenderFinalRows() {
    const Layout layout = CurrentLayout();
    if (layout.cmyk || layout.direct || (layout.planes != 3 && layout.planes != 4) ||
        ActiveEngineVariant() == EngineVariant::Reference)
        return false;
    const VRect out = GetOutRect();
    const VRect filter = GetFilterRect();
    const int64_t height = RectHeight(out), width = RectWidth(out);
    if (width <= 0 || height <= 0 || height > INT32_MAX || width > INT32_MAX ||
        uint64_t(width) * uint64_t(height) > (SIZE_MAX / 8) || !HostRowsHold(width, height, layout.planes))
        return false;

    // The steps a host sees are those of the working buffers: prepared (0, 5, 10), rendered, done.
    ReportProgress(0.0f, 100.0f);
    ReleaseBuffers();
    workingContext.bufferHeight = int32_t(height);
    workingContext.bufferWidth = int32_t(width);
    workingContext.areaHeight = int32_t(std::min<int64_t>(RectHeight(filter), INT32_MAX));
    workingContext.areaWidth = int32_t(std::min<int64_t>(RectWidth(filter), INT32_MAX));
    ReportProgress(5.0f, 100.0f);
    ReportProgress(10.0f, 100.0f);

    const FilterRecord& record = *gFilterRecord;
    const HostRows rows{InRow(0), Input().rowBytes, OutRow(0), record.outRowBytes, int(layout.planes)};
    RenderSettings settings;
    settings.planeCount = record.planes;
    settings.progress = &ReportProgress;
    if (!RenderHostRows(workingContext, *gParams, rows, settings)) {
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
    return (imageMode == plugInModeRGBColor || imageMode == plugInModeCMYKColor) && (depth == 8 || depth == 0);
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
    // Four bytes a pixel, counted in 64 bits: an area no buffer can hold fails here instead of
    // wrapping into a small allocation.
    if (height > INT32_MAX || width > INT32_MAX || uint64_t(width) * uint64_t(height) > (SIZE_MAX / 8)) {
        SetResult(memFullErr);
        return false;
    }
    workingContext.bufferHeight = int32_t(height);
    workingContext.bufferWidth = int32_t(width);
    workingContext.areaHeight = int32_t(std::min<int64_t>(RectHeight(filter), INT32_MAX));
    workingContext.areaWidth = int32_t(std::min<int64_t>(RectWidth(filter), INT32_MAX));
    const Layout layout = CurrentLayout();
    if (width == 0 || height == 0 || !HostRowsHold(width, height, layout.planes)) {
        // Nothing delivered: nothing to render.
        workingContext.bufferHeight = workingContext.bufferWidth = 0;
        ReportProgress(10.0f, 100.0f);
        return true;
    }

    gWorkingBytes = size_t(width) * size_t(height) * 4;
    sourceBuffer = static_cast<uint8_t*>(platform::AllocatePages(gWorkingBytes));
    destinationBuffer = static_cast<uint8_t*>(platform::AllocatePages(gWorkingBytes));
    if (sourceBuffer == nullptr || destinationBuffer == nullptr) {
        ReleaseBuffers();
        SetResult(memFullErr);
        return false;
    }

    if (layout.cmyk) {
        AcquiredSuite<PSColorSpaceSuite1> colorSpace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
        // Without the suite the buffer stays transparent black and the write-back is skipped.
        if (colorSpace && colorSpace->Convert8 != nullptr && !FillFromCmyk(layout, colorSpace.get())) {
            ReleaseBuffers();
            return false;
        }
    } else if (UsePreviewSource() && !layout.direct) {
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
                color[k] = cmyk ? row[size_t(x)][k + 1] : pixel[std::min(k, planes - 1) * planeBytes];
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
    const bool wrongMode = record->imageMode != plugInModeRGBColor && record->imageMode != plugInModeCMYKColor &&
                           record->imageMode != plugInModeRGB48 && record->imageMode != plugInModeCMYK64;
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
        !HostRowsHold(workingContext.bufferWidth, workingContext.bufferHeight, layout.planes)) {
        // Nothing was delivered (or prepared) to render.
        if (!dialogActive)
            ReleaseWorkingBuffers();
        ReportProgress(0.0f, 100.0f);
        return;
    }

    RenderSettings settings;
    settings.planeCount = gFilterRecord->planes;
    settings.cmyk = gFilterRecord->imageMode == plugInModeCMYKColor;
    settings.examineTransparency = !dialogActive; // the dialog judged it on the whole document
    settings.progress = &ReportProgress;
    if (!RenderDistortion(workingContext, *gParams, sourceBuffer, destinationBuffer, settings) && !dialogActive) {
        // The engine could not get its scratch memory and copied the source: an undistorted
        // image is no result.
        AbandonFinalRender(memFullErr);
        return;
    }

    OSErr result = noErr;
    if (layout.cmyk && !dialogActive) {
        AcquiredSuite<PSColorSpaceSuite1> colorSpace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
        if (colorSpace && colorSpace->Convert8 != nullptr && !WriteBackCmyk(layout, colorSpace.get()))
            result = CurrentResult() != noErr ? CurrentResult() : memFullErr;
    } else {
        WriteBackRgb(layout);
    }
    if (!dialogActive)
        ReleaseWorkingBuffers();
    ReportProgress(0.0f, 100.0f);
    SetResult(result);
}
