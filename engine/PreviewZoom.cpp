#include "engine/PreviewZoom.h"

#include "engine/DocumentFormat.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "plugin/Rectangles.h"
#include "plugin/Suites.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

float zoom = 1.0f;
float fitZoom = 1.0f;
float zoomStepsFromFit = -1.0f;
uint8_t* navigatorSource = nullptr;
bool navigatorSourceReady = false;
SampledView sampledView;

namespace {

size_t gNavigatorBytes = 0;

constexpr int64_t kMaxColorsPerCall = 32767;
// Pixels requested outside the image arrive white.
constexpr int16_t kPreviewPadding = 255;
// The most the host is asked to hold at once while the plug-in samples the view itself.
constexpr int64_t kPieceBytes = int64_t(4) << 20;

int32_t Clamp32(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// How many times the filter rectangle is larger than the preview area (proxyRect).
float FitRatio() {
    const VRect filter = GetFilterRect();
    const Rect& proxy = gPluginData->proxyRect;
    const float proxyWidth = std::max(1.0f, float(proxy.right) - float(proxy.left));
    const float proxyHeight = std::max(1.0f, float(proxy.bottom) - float(proxy.top));
    return std::max(float(RectWidth(filter)) / proxyWidth, float(RectHeight(filter)) / proxyHeight);
}

VRect Scaled(const VRect& rect, float factor) {
    auto scale = [factor](int32_t c) { return Clamp32(int64_t(double(c) / double(factor) + 0.5)); };
    return VRect{scale(rect.top), scale(rect.left), scale(rect.bottom), scale(rect.right)};
}

// What the host holds of the last request that named an input rectangle.
struct LastRequest {
    bool known = false;
    VRect in{};
    Fixed rate = 0; // 0: the request failed, what the host holds is unknown
};
LastRequest gLastRequest;

bool SameRect(const VRect& a, const VRect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

bool IsEmptyRect(const VRect& rect) {
    return RectWidth(rect) <= 0 || RectHeight(rect) <= 0;
}

Fixed RateOf(float factor) {
    return Fixed(std::min(double(factor) * 65536.0, double(INT32_MAX)));
}

OSErr AdvanceState() {
    FilterRecord& r = *gFilterRecord;
    const OSErr result = r.advanceState != nullptr ? r.advanceState() : OSErr(errPlugInHostInsufficient);
    SetResult(result);
    return result;
}

// Asks the host for `in` (and `mask`) of all planes sampled at `rate` and for `out`; its answer
// becomes the result.
OSErr Request(const VRect& in, const VRect& out, const VRect& mask, Fixed rate) {
    FilterRecord& r = *gFilterRecord;
    // Some hosts refill their buffers only when a request names a new rectangle: asked for the
    // same rectangle at another rate they hand back the old rate's pixels. A request for nothing
    // in between makes the next one new to them.
    const bool sameRectOtherRate =
        gLastRequest.known && !IsEmptyRect(in) && SameRect(in, gLastRequest.in) && rate != gLastRequest.rate;
    if (sameRectOtherRate) {
        const VRect nothing{0, 0, 0, 0};
        SetInRect(nothing);
        SetOutRect(nothing);
        SetMaskRect(nothing);
        if (AdvanceState() != noErr) {
            gLastRequest.rate = 0;
            return CurrentResult();
        }
    }
    SetInRect(in);
    SetOutRect(out);
    SetMaskRect(mask);
    r.inLoPlane = r.outLoPlane = 0;
    r.inHiPlane = r.outHiPlane = int16_t(r.planes - 1);
    r.inputRate = r.maskRate = rate;
    r.inputPadding = r.outputPadding = r.maskPadding = kPreviewPadding;
    const OSErr result = AdvanceState();
    if (!IsEmptyRect(in))
        gLastRequest = LastRequest{true, in, result == noErr ? rate : Fixed(0)};
    return result;
}

// The usual request: `area` as input, output and mask, sampled at `factor`.
OSErr RequestArea(const VRect& area, float factor) {
    return Request(area, area, area, RateOf(factor));
}

void ReleaseSampledView() {
    platform::ReleasePages(sampledView.pixels, sampledView.bytes);
    sampledView = SampledView{};
}

// The image coordinate a sampling host reads for coordinate `c` of a request at `rate`: c x rate,
// rounded down (as the substitute host's sampling does).
int64_t ImageCoordinate(int64_t c, Fixed rate) {
    const int64_t scaled = c * int64_t(rate);
    return scaled >= 0 ? scaled >> 16 : -((-scaled + 0xFFFF) >> 16);
}

// One piece of the view: columns [left, right) and rows [top, bottom) of the view, fetched as
// the image rectangle that spans their image coordinates.
struct Piece {
    int64_t top, left, bottom, right;
};

// Fetches one piece at rate 1 and point-samples it into the sampled view; a host that answers
// without the pixels counts as unable to.
OSErr FetchPiece(const Piece& piece, const std::vector<int64_t>& rows, const std::vector<int64_t>& columns,
                 int64_t pixelBytes) {
    const VRect area{Clamp32(rows[size_t(piece.top)]), Clamp32(columns[size_t(piece.left)]),
                     Clamp32(rows[size_t(piece.bottom - 1)] + 1), Clamp32(columns[size_t(piece.right - 1)] + 1)};
    const OSErr result = Request(area, VRect{0, 0, 0, 0}, VRect{0, 0, 0, 0}, 0x10000);
    if (result != noErr)
        return result;
    const FilterRecord& r = *gFilterRecord;
    if (r.inData == nullptr || int64_t(r.inRowBytes) < RectWidth(area) * pixelBytes) {
        SetResult(errPlugInHostInsufficient);
        return errPlugInHostInsufficient;
    }
    for (int64_t y = piece.top; y < piece.bottom; ++y) {
        const uint8_t* in = static_cast<const uint8_t*>(r.inData) + (rows[size_t(y)] - area.top) * r.inRowBytes;
        uint8_t* out = sampledView.pixels + y * sampledView.rowBytes;
        for (int64_t x = piece.left; x < piece.right; ++x)
            std::memcpy(out + x * pixelBytes, in + (columns[size_t(x)] - area.left) * pixelBytes, size_t(pixelBytes));
    }
    return noErr;
}

// Fills the sampled view with `view` (preview coordinates) sampled at `rate`, fetching the image
// at rate 1 in pieces of at most kPieceBytes. A piece the host has no memory for is fetched again
// in halves, so a host with little memory still gets there.
OSErr FetchSampledPieces(const VRect& view, Fixed rate, int64_t pixelBytes) {
    std::vector<int64_t> rows(size_t(RectHeight(view))), columns(size_t(RectWidth(view)));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = ImageCoordinate(int64_t(view.top) + int64_t(y), rate);
    for (size_t x = 0; x < columns.size(); ++x)
        columns[x] = ImageCoordinate(int64_t(view.left) + int64_t(x), rate);
    const int64_t height = int64_t(rows.size()), width = int64_t(columns.size());
    auto span = [](const std::vector<int64_t>& at, int64_t first, int64_t end) {
        return at[size_t(end - 1)] - at[size_t(first)] + 1;
    };

    int64_t budget = kPieceBytes;
    for (int64_t top = 0; top < height;) {
        // A row of pieces: columns cut where one image row of a piece would pass the budget, rows
        // added while all of them stay within it.
        std::vector<Piece> band;
        int64_t widest = 0;
        for (int64_t left = 0; left < width;) {
            int64_t right = left + 1;
            while (right < width && span(columns, left, right + 1) * pixelBytes <= budget)
                ++right;
            band.push_back(Piece{top, left, top + 1, right});
            widest = std::max(widest, span(columns, left, right) * pixelBytes);
            left = right;
        }
        int64_t bottom = top + 1;
        while (bottom < height && span(rows, top, bottom + 1) * widest <= budget)
            ++bottom;
        bool retry = false;
        for (Piece& piece : band) {
            piece.bottom = bottom;
            const OSErr result = FetchPiece(piece, rows, columns, pixelBytes);
            const int64_t bytes =
                span(rows, piece.top, piece.bottom) * span(columns, piece.left, piece.right) * pixelBytes;
            if (result == memFullErr && bytes > pixelBytes) {
                budget = std::max(pixelBytes, bytes / 2);
                retry = true;
                break;
            }
            if (result != noErr)
                return result;
        }
        if (!retry)
            top = bottom;
    }
    return noErr;
}

// For a host that cannot sample: the view fetched at rate 1 and sampled here, then the output of
// the view's size. The output has no place of its own at rate 1; it lies at the filter
// rectangle's top left, where whatever the host keeps of it is overwritten by the final render.
void RequestSampledView(const VRect& view, Fixed rate) {
    const FilterRecord& r = *gFilterRecord;
    const int64_t width = RectWidth(view), height = RectHeight(view);
    const int64_t pixelBytes = int64_t(std::max<int16_t>(r.planes, 0)) * (r.depth > 8 ? (r.depth + 7) / 8 : 1);
    if (width == 0 || height == 0 || pixelBytes == 0) {
        RequestArea(view, 1.0f); // nothing to sample
        return;
    }
    if (uint64_t(width) * uint64_t(height) > SIZE_MAX / 8 / uint64_t(pixelBytes)) {
        SetResult(memFullErr);
        return;
    }
    sampledView.width = width;
    sampledView.height = height;
    sampledView.rowBytes = width * pixelBytes;
    sampledView.bytes = size_t(sampledView.rowBytes) * size_t(height);
    sampledView.pixels = static_cast<uint8_t*>(platform::AllocatePages(sampledView.bytes));
    if (sampledView.pixels == nullptr) {
        sampledView = SampledView{};
        SetResult(memFullErr);
        return;
    }
    if (FetchSampledPieces(view, rate, pixelBytes) != noErr) {
        ReleaseSampledView();
        return;
    }
    const VRect filter = GetFilterRect();
    const VRect out{filter.top, filter.left, Clamp32(int64_t(filter.top) + height),
                    Clamp32(int64_t(filter.left) + width)};
    if (Request(VRect{0, 0, 0, 0}, out, VRect{0, 0, 0, 0}, 0x10000) != noErr)
        ReleaseSampledView();
}

void ShowAlert(const char* text) {
    platform::ShowMessage(nullptr, text, "Plugin Alert", platform::MessageIcon::Warning);
}

template <class Host> void ConvertCmykRows(int64_t width, int64_t height, int64_t planes) {
    const FilterRecord& r = *gFilterRecord;
    AcquiredSuite<PSColorSpaceSuite1> colorSpace(kPSColorSpaceSuite, kPSColorSpaceSuiteVersion1);
    const bool useSuite = colorSpace && colorSpace->Convert8 != nullptr;
    std::vector<Color8> colors(useSuite ? size_t(std::min(width, kMaxColorsPerCall)) : 0);
    for (int64_t y = 0; y < height; ++y) {
        const Host* in = reinterpret_cast<const Host*>(static_cast<const uint8_t*>(r.inData) + y * r.inRowBytes);
        uint8_t* out = navigatorSource + y * width * 4;
        for (int64_t x = 0; x < width; ++x)
            out[x * 4 + 3] = planes > 4 ? SampleAs<uint8_t>(in[x * planes + 4]) : uint8_t(255);
        if (!useSuite) {
            for (int64_t x = 0; x < width; ++x) {
                const Host* s = in + x * planes;
                CmykToRgbFallback(uint8_t(255 - SampleAs<uint8_t>(s[0])), uint8_t(255 - SampleAs<uint8_t>(s[1])),
                                  uint8_t(255 - SampleAs<uint8_t>(s[2])), uint8_t(255 - SampleAs<uint8_t>(s[3])),
                                  out + x * 4);
            }
            continue;
        }
        // In calls of at most 32767 colours, so that every pixel of a wide row is converted.
        for (int64_t start = 0; start < width; start += int64_t(colors.size())) {
            const int64_t count = std::min<int64_t>(int64_t(colors.size()), width - start);
            for (int64_t i = 0; i < count; ++i)
                for (int k = 0; k < 4; ++k)
                    colors[size_t(i)][k] = SampleAs<uint8_t>(in[(start + i) * planes + k]);
            if (colorSpace->Convert8(plugIncolorServicesCMYKSpace, plugIncolorServicesRGBSpace, colors.data(),
                                     int16_t(count)) != kSPNoError)
                continue; // the thumbnail keeps black there; nothing else depends on it
            for (int64_t i = 0; i < count; ++i)
                std::copy(colors[size_t(i)] + 1, colors[size_t(i)] + 4, out + (start + i) * 4);
        }
    }
}

} // namespace

void ResetPreviewZoom() {
    zoom = 1.0f;
    fitZoom = 1.0f;
    zoomStepsFromFit = -1.0f;
}

void SetPreviewZoom(PreviewView& view) {
    if (gFilterRecord == nullptr || gPluginData == nullptr)
        return;
    ReleaseSampledView();
    const VRect input = GetFilterRect();
    // The view lives in the zoomed filter rectangle: its size, not the image's, centres and limits
    // the scroll position.
    const VRect old = Scaled(input, zoom);

    const float fit = FitRatio();
    fitZoom = std::max(1.0f, std::ceil(fit));
    Rect& proxy = gPluginData->proxyRect;
    proxy = Rect{0, 0, int16_t(proxy.bottom - proxy.top), int16_t(proxy.right - proxy.left)};

    SetInRect(input);
    if (zoomStepsFromFit == -1.0f)
        zoomStepsFromFit = fitZoom - 1.0f;
    zoom = std::clamp(std::trunc(fitZoom - zoomStepsFromFit), 1.0f, fitZoom);

    const VRect r = Scaled(input, zoom);
    const int64_t zoomedWidth = RectWidth(r), zoomedHeight = RectHeight(r);
    view.zoomedWidth = Clamp32(zoomedWidth);
    view.zoomedHeight = Clamp32(zoomedHeight);

    // Keep the centre of the view where it was.
    int64_t scrollX = std::max<int64_t>(0, view.scrollX + (zoomedWidth - RectWidth(old)) / 2);
    int64_t scrollY = std::max<int64_t>(0, view.scrollY + (zoomedHeight - RectHeight(old)) / 2);
    if (fit <= 1.0f) {
        scrollX = scrollY = 0;
    } else {
        scrollX = std::max<int64_t>(0, std::min<int64_t>(scrollX, zoomedWidth - view.viewWidth));
        scrollY = std::max<int64_t>(0, std::min<int64_t>(scrollY, zoomedHeight - view.viewHeight));
    }
    view.scrollX = Clamp32(scrollX);
    view.scrollY = Clamp32(scrollY);

    const int64_t top = int64_t(r.top) + scrollY, left = int64_t(r.left) + scrollX;
    const VRect request{Clamp32(top), Clamp32(left), Clamp32(std::min<int64_t>(r.bottom, top + view.viewHeight)),
                        Clamp32(std::min<int64_t>(r.right, left + view.viewWidth))};
    if (zoom > 1.0f && gFilterRecord->samplingSupport == 0)
        RequestSampledView(request, RateOf(zoom));
    else
        RequestArea(request, zoom);
}

bool FetchNavigatorSource() {
    if (navigatorSourceReady)
        return true;
    if (gFilterRecord == nullptr || gPluginData == nullptr)
        return false;
    const VRect filter = GetFilterRect();
    const int64_t width = RectWidth(filter), height = RectHeight(filter);
    ReleaseNavigatorSource();
    ReleaseSampledView(); // the request below replaces what the host delivered for the view
    const bool fits = width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX &&
                      uint64_t(width) * uint64_t(height) <= SIZE_MAX / 8;
    if (fits) {
        gNavigatorBytes = size_t(width) * size_t(height) * 4;
        navigatorSource = static_cast<uint8_t*>(platform::AllocatePages(gNavigatorBytes));
    }
    if (navigatorSource == nullptr) {
        gNavigatorBytes = 0;
        ShowAlert("Cannot allocate so big intermedia memory\nTry to use smaller pictures");
        SetResult(userCanceledErr);
        return false;
    }

    gPluginData->proxyRect =
        Rect{0, 0, int16_t(std::min<int64_t>(height, INT16_MAX)), int16_t(std::min<int64_t>(width, INT16_MAX))};
    const float scale = std::max(1.0f, std::trunc(FitRatio()));
    if (RequestArea(Scaled(filter, scale), scale) != noErr) {
        ReleaseNavigatorSource();
        return false;
    }
    const FilterRecord& r = *gFilterRecord;
    const DocumentFormat format = DocumentFormatOf(r.imageMode, r.depth, r.planes);
    const int64_t planes = r.planes;
    if (r.inData == nullptr || planes < 1 || int64_t(r.inRowBytes) < width * format.pixelBytes()) {
        ReleaseNavigatorSource();
        ShowAlert("Photoshop cannot allocate so big memory\nTry to use smaller pictures");
        SetResult(userCanceledErr);
        return false;
    }

    // Shown at 8 bits: 16-bit samples are narrowed, grey is repeated into the three colours.
    const bool wide = format.sampleBytes == 2;
    if (format.cmyk()) {
        if (wide)
            ConvertCmykRows<uint16_t>(width, height, planes);
        else
            ConvertCmykRows<uint8_t>(width, height, planes);
    } else {
        for (int64_t y = 0; y < height; ++y) {
            const uint8_t* in = static_cast<const uint8_t*>(r.inData) + y * r.inRowBytes;
            uint8_t* out = navigatorSource + y * width * 4;
            if (wide)
                RowToPixels(reinterpret_cast<const uint16_t*>(in), format, width, out);
            else
                RowToPixels(in, format, width, out);
        }
    }
    navigatorSourceReady = true;
    return true;
}

void ReleaseNavigatorSource() {
    platform::ReleasePages(navigatorSource, gNavigatorBytes);
    navigatorSource = nullptr;
    gNavigatorBytes = 0;
    navigatorSourceReady = false;
}

void ReleasePreviewRequests() {
    ReleaseSampledView();
    gLastRequest = LastRequest{};
}

void CmykToRgbFallback(uint8_t c, uint8_t m, uint8_t y, uint8_t k, uint8_t rgb[3]) {
    const int black = int(double(k) / 2.55);
    const int inks[3] = {int(double(c) / 1.5), int(double(m) / 1.5), int(double(y) / 1.5)};
    for (int i = 0; i < 3; ++i)
        rgb[i] = inks[i] + black < 255 ? uint8_t(255 - inks[i] - black) : uint8_t(0);
}
