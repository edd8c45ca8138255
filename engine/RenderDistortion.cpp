#include "engine/RenderDistortion.h"

#include "engine/EngineVariant.h"
#include "engine/FastRender.h"
#include "engine/FastWarp.h"
#include "engine/FloatMode.h"
#include "engine/PlaneSplit.h"
#include "engine/Warp.h"
#include "engine/WorkerThreads.h"
#include "platform/Platform.h"

#include <cstring>

bool alphaUniform = true;

namespace {

// An opaque 16-bit transparency sample.
constexpr uint16_t kOpaqueWide = 32768;

// The two plane blocks (four planes of W x H bytes each), kept from one render to the next.
uint8_t* sourceScratch = nullptr;
uint8_t* destinationScratch = nullptr;
size_t scratchPlaneSize = 0; // bytes of one plane the blocks were obtained for

size_t SourceBlockBytes(size_t planeSize) {
    return 4 * planeSize + kSourcePadding;
}
size_t DestinationBlockBytes(size_t planeSize) {
    return 4 * planeSize;
}

// Both blocks for planes of `planeSize` bytes; false if the system has not got the memory.
bool ObtainPlaneScratch(size_t planeSize) {
    if (scratchPlaneSize < planeSize)
        ReleasePlaneScratch();
    if (sourceScratch == nullptr) {
        sourceScratch = static_cast<uint8_t*>(platform::AllocatePages(SourceBlockBytes(planeSize)));
        if (sourceScratch != nullptr)
            scratchPlaneSize = planeSize;
    }
    if (sourceScratch != nullptr && destinationScratch == nullptr)
        destinationScratch = static_cast<uint8_t*>(platform::AllocatePages(DestinationBlockBytes(scratchPlaneSize)));
    return sourceScratch != nullptr && destinationScratch != nullptr;
}

// Pixels of the buffer, or 0 when it is empty; false if W x H x 4 bytes cannot even be addressed.
bool PixelCount(const DistortionContext& context, size_t* pixels) {
    *pixels = 0;
    if (context.bufferWidth < 1 || context.bufferHeight < 1)
        return true;
    const size_t width = static_cast<size_t>(context.bufferWidth);
    const size_t height = static_cast<size_t>(context.bufferHeight);
    if (height > (SIZE_MAX - kSourcePadding) / 4 / width)
        return false;
    *pixels = width * height;
    return true;
}

void Report(RenderProgress progress, float done) {
    if (progress != nullptr)
        progress(done, 100.0f);
}

// A split (pixels of four samples into four planes) or a join (back), cut into items for the
// threads.
template <class Sample> struct PlaneCopy {
    const Sample* from;
    Sample* to;
    size_t planeSize;
    size_t pixelsPerItem;
    bool weighted; // split: colours times transparency; join: transparency raised to the colours
};

template <class Sample> size_t ItemEnd(const PlaneCopy<Sample>& copy, int item) {
    const size_t end = (static_cast<size_t>(item) + 1) * copy.pixelsPerItem;
    return end < copy.planeSize ? end : copy.planeSize;
}

template <class Sample> void SplitItem(void* context, int item) {
    const auto& copy = *static_cast<const PlaneCopy<Sample>*>(context);
    SplitPlanes(copy.from, copy.to, copy.planeSize, static_cast<size_t>(item) * copy.pixelsPerItem, ItemEnd(copy, item),
                copy.weighted);
}

template <class Sample> void JoinItem(void* context, int item) {
    const auto& copy = *static_cast<const PlaneCopy<Sample>*>(context);
    JoinPlanes(copy.from, copy.planeSize, copy.to, static_cast<size_t>(item) * copy.pixelsPerItem, ItemEnd(copy, item),
               copy.weighted);
}

// Runs a split or join on `threadCount` threads in slices of whole cache lines.
template <class Sample> void CopyPlanes(void (*step)(void*, int), PlaneCopy<Sample> copy, int threadCount) {
    const size_t items = static_cast<size_t>(threadCount) * 4;
    copy.pixelsPerItem = (copy.planeSize + items - 1) / items;
    copy.pixelsPerItem = (copy.pixelsPerItem + 63) / 64 * 64;
    const int itemCount = static_cast<int>((copy.planeSize + copy.pixelsPerItem - 1) / copy.pixelsPerItem);
    RunWorkItems(itemCount, threadCount, step, nullptr, &copy);
}

// The reference: one plane after another, each with its own strength, reporting after each.
template <class Sample>
void WarpPlanesReference(DistortionContext& context, const FilterParameters& parameters, const float strengths[4],
                         bool warpTransparency, const Sample* sourcePlanes, Sample* destinationPlanes, size_t planeSize,
                         RenderProgress progress) {
    for (int plane = 0; plane < 3; ++plane) {
        context.strength = strengths[plane];
        WarpPlane(context, parameters, sourcePlanes + plane * planeSize, destinationPlanes + plane * planeSize);
        Report(progress, 30.0f + 25.0f * static_cast<float>(plane));
    }
    if (warpTransparency) {
        context.strength = strengths[3];
        WarpPlane(context, parameters, sourcePlanes + 3 * planeSize, destinationPlanes + 3 * planeSize);
    } else if (planeSize > 0) {
        std::memcpy(destinationPlanes + 3 * planeSize, sourcePlanes + 3 * planeSize, planeSize * sizeof(Sample));
    }
    Report(progress, 95.0f);
}

// The noise frequency and proportion of `context`, and each plane's strength (the aberration
// spreads the colours); returns the aberration's share b.
float PrepareWarp(DistortionContext& context, const FilterParameters& parameters, float strengths[4]) {
    context.frequency = parameters.size == 0.0f ? 0.0f : 0.5f / parameters.size;
    context.proportionFactor = parameters.proportion / 100.0f;
    const float b = parameters.aberration / 210.0f;
    const float value = parameters.value;
    strengths[0] = (1.0f - b) * value;
    strengths[1] = value;
    strengths[2] = (1.0f + b) * value;
    strengths[3] = value;
    return b;
}

// Host rows split into bands of rows for the threads, and joined back the same way.
struct RowCopy {
    const HostRows* rows;
    uint8_t* planes;
    size_t planeSize; // samples of one plane
    int32_t width;
    int32_t height;
    int32_t rowsPerItem;
    bool weighted; // split: colours times transparency; join: transparency raised to the colours
};

int32_t ItemRowEnd(const RowCopy& copy, int item) {
    const int64_t end = (int64_t(item) + 1) * copy.rowsPerItem;
    return end < copy.height ? int32_t(end) : copy.height;
}

// Input rows of 4 samples are the engine's pixels already; rows of 3 samples give the colour
// planes alone (their transparency is opaque throughout, so nothing is weighted by it); grey
// gives plane 0 and, with 2 samples, the transparency plane.
template <class Sample> void SplitRowsItem(void* context, int item) {
    const RowCopy& copy = *static_cast<const RowCopy*>(context);
    const size_t width = size_t(copy.width);
    const int planes = copy.rows->planes;
    Sample* const first = reinterpret_cast<Sample*>(copy.planes);
    for (int32_t y = item * copy.rowsPerItem; y < ItemRowEnd(copy, item); ++y) {
        const Sample* in = reinterpret_cast<const Sample*>(copy.rows->input + int64_t(y) * copy.rows->inputRowBytes);
        const size_t at = size_t(y) * width;
        Sample* __restrict red = first + at;
        if (copy.rows->colors == 1) {
            Sample* __restrict alpha = first + 3 * copy.planeSize + at;
            for (size_t x = 0; x < width; ++x)
                red[x] = in[size_t(planes) * x];
            if (planes == 2)
                for (size_t x = 0; x < width; ++x)
                    alpha[x] = in[2 * x + 1];
            continue;
        }
        if (planes == 4) {
            SplitPixelRun(in, first, copy.planeSize, at, width, copy.weighted);
            continue;
        }
        Sample* __restrict green = red + copy.planeSize;
        Sample* __restrict blue = green + copy.planeSize;
        for (size_t x = 0; x < width; ++x) {
            red[x] = in[3 * x];
            green[x] = in[3 * x + 1];
            blue[x] = in[3 * x + 2];
        }
    }
}

template <class Sample> void JoinRowsItem(void* context, int item) {
    const RowCopy& copy = *static_cast<const RowCopy*>(context);
    const size_t width = size_t(copy.width);
    const int planes = copy.rows->planes;
    const Sample* const first = reinterpret_cast<const Sample*>(copy.planes);
    for (int32_t y = item * copy.rowsPerItem; y < ItemRowEnd(copy, item); ++y) {
        Sample* out = reinterpret_cast<Sample*>(copy.rows->output + int64_t(y) * copy.rows->outputRowBytes);
        const size_t at = size_t(y) * width;
        const Sample* __restrict red = first + at;
        if (copy.rows->colors == 1) {
            const Sample* __restrict alpha = first + 3 * copy.planeSize + at;
            for (size_t x = 0; x < width; ++x)
                out[size_t(planes) * x] = red[x];
            if (planes == 2)
                for (size_t x = 0; x < width; ++x)
                    out[2 * x + 1] = alpha[x];
            continue;
        }
        if (planes == 4) {
            JoinPixelRun(first, copy.planeSize, out, at, width, copy.weighted);
            continue;
        }
        const Sample* __restrict green = red + copy.planeSize;
        const Sample* __restrict blue = green + copy.planeSize;
        for (size_t x = 0; x < width; ++x) {
            out[3 * x] = red[x];
            out[3 * x + 1] = green[x];
            out[3 * x + 2] = blue[x];
        }
    }
}

void CopyRows(void (*step)(void*, int), RowCopy copy, int threadCount) {
    const int64_t items = int64_t(threadCount) * 4;
    copy.rowsPerItem = int32_t((copy.height + items - 1) / items);
    const int itemCount = int((copy.height + copy.rowsPerItem - 1) / copy.rowsPerItem);
    RunWorkItems(itemCount, threadCount, step, nullptr, &copy);
}

// Whether the transparency sample is the same in every pixel of the rows (none: uniform).
template <class Sample> bool UniformRows(const HostRows& rows, int32_t width, int32_t height) {
    if (rows.planes <= rows.colors)
        return true;
    const Sample first = reinterpret_cast<const Sample*>(rows.input)[rows.colors];
    for (int32_t y = 0; y < height; ++y) {
        const Sample* in = reinterpret_cast<const Sample*>(rows.input + int64_t(y) * rows.inputRowBytes);
        for (int32_t x = 0; x < width; ++x)
            if (in[int64_t(rows.planes) * x + rows.colors] != first)
                return false;
    }
    return true;
}

bool ShapeOfRowsIsKnown(const HostRows& rows) {
    const bool rgb = rows.colors == 3 && (rows.planes == 3 || rows.planes == 4);
    const bool grey = rows.colors == 1 && (rows.planes == 1 || rows.planes == 2);
    return (rgb || grey) && (rows.sampleBytes == 1 || rows.sampleBytes == 2);
}

bool RenderRowsInEngineFloatMode(DistortionContext& context, const FilterParameters& parameters, const HostRows& rows,
                                 const RenderSettings& settings) {
    size_t planeSize = 0;
    if (!PixelCount(context, &planeSize) || planeSize == 0 || rows.input == nullptr || rows.output == nullptr ||
        !ShapeOfRowsIsKnown(rows) || (rows.colors == 1 && parameters.aberration != 0.0f))
        return false;
    const size_t sampleBytes = size_t(rows.sampleBytes), planeBytes = planeSize * sampleBytes;
    if (!ObtainPlaneScratch(planeBytes))
        return false;
    const int32_t width = context.bufferWidth, height = context.bufferHeight;
    const bool wide = rows.sampleBytes == 2;
    if (settings.examineTransparency)
        alphaUniform = wide ? UniformRows<uint16_t>(rows, width, height) : UniformRows<uint8_t>(rows, width, height);

    EngineVariant variant = ActiveEngineVariant();
    if (variant == EngineVariant::Reference)
        variant = EngineVariant::Scalar;
    const int threadCount = RenderThreadCount(static_cast<long long>(planeSize));
    RowCopy copy{&rows, sourceScratch, planeSize, width, height, 0, !alphaUniform && parameters.aberration != 0.0f};
    CopyRows(wide ? &SplitRowsItem<uint16_t> : &SplitRowsItem<uint8_t>, copy, threadCount);
    // What a gather may read just past the last colour plane, as a split of the engine's pixels
    // leaves it: the (opaque) transparency after blue; after grey, the start of the grey repeated.
    const size_t padding = kSourcePadding < planeBytes ? kSourcePadding : planeBytes;
    if (rows.colors == 1)
        std::memcpy(sourceScratch + planeBytes, sourceScratch, padding);
    else if (rows.planes == 3 && !wide)
        std::memset(sourceScratch + 3 * planeBytes, 255, padding);
    else if (rows.planes == 3)
        for (size_t i = 0; i < padding / 2; ++i)
            reinterpret_cast<uint16_t*>(sourceScratch + 3 * planeBytes)[i] = kOpaqueWide;
    Report(settings.progress, 5.0f);

    float strengths[4];
    const float b = PrepareWarp(context, parameters, strengths);
    WarpPlanesFast(context, parameters, strengths, !alphaUniform, sourceScratch, destinationScratch, variant,
                   settings.progress, rows.planes > rows.colors, rows.sampleBytes, rows.colors);

    copy = RowCopy{&rows, destinationScratch, planeSize, width, height, 0, !alphaUniform && b != 0.0f};
    CopyRows(wide ? &JoinRowsItem<uint16_t> : &JoinRowsItem<uint8_t>, copy, threadCount);
    Report(settings.progress, 0.0f);
    return true;
}

} // namespace

bool RenderHostRows(DistortionContext& context, const FilterParameters& parameters, const HostRows& rows,
                    const RenderSettings& settings) {
    const uint32_t hostMode = UseEngineFloatMode();
    const bool rendered = RenderRowsInEngineFloatMode(context, parameters, rows, settings);
    RestoreFloatMode(hostMode);
    return rendered;
}

namespace {

template <class Sample>
bool UniformTransparency(const Sample* source, int32_t width, int32_t height, int planeCount, int colorPlanes) {
    if (planeCount <= colorPlanes || source == nullptr || width < 1 || height < 1)
        return true;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    const Sample first = source[3];
    for (size_t i = 1; i < pixels; ++i)
        if (source[4 * i + 3] != first)
            return false;
    return true;
}

} // namespace

void DetectUniformAlpha(const uint8_t* source, int32_t width, int32_t height, int planeCount, int colorPlanes) {
    alphaUniform = UniformTransparency(source, width, height, planeCount, colorPlanes);
}

void DetectUniformAlpha(const uint16_t* source, int32_t width, int32_t height, int planeCount, int colorPlanes) {
    alphaUniform = UniformTransparency(source, width, height, planeCount, colorPlanes);
}

namespace {

template <class Sample>
bool RenderInEngineFloatMode(DistortionContext& context, const FilterParameters& parameters, const Sample* source,
                             Sample* destination, const RenderSettings& settings) {
    size_t planeSize = 0;
    if (!PixelCount(context, &planeSize) || (planeSize > 0 && (source == nullptr || destination == nullptr)))
        return false;
    if (planeSize > 0 && !ObtainPlaneScratch(planeSize * sizeof(Sample))) {
        std::memmove(destination, source, 4 * planeSize * sizeof(Sample));
        return false;
    }
    Sample* sourcePlanes = reinterpret_cast<Sample*>(sourceScratch);
    Sample* destinationPlanes = reinterpret_cast<Sample*>(destinationScratch);
    if (settings.examineTransparency)
        DetectUniformAlpha(source, context.bufferWidth, context.bufferHeight, settings.planeCount,
                           settings.colorPlanes);

    const EngineVariant variant = ActiveEngineVariant();
    const bool reference = variant == EngineVariant::Reference;
    const int threadCount = reference ? 1 : RenderThreadCount(static_cast<long long>(planeSize));
    PlaneCopy<Sample> copy{source, sourcePlanes, planeSize, 0, !alphaUniform && parameters.aberration != 0.0f};
    if (planeSize > 0)
        CopyPlanes(&SplitItem<Sample>, copy, threadCount);
    Report(settings.progress, 5.0f);

    float strengths[4];
    const float b = PrepareWarp(context, parameters, strengths);
    const bool warpTransparency = !alphaUniform;
    if (reference)
        WarpPlanesReference(context, parameters, strengths, warpTransparency, sourcePlanes, destinationPlanes,
                            planeSize, settings.progress);
    else
        WarpPlanesFast(context, parameters, strengths, warpTransparency, sourceScratch, destinationScratch, variant,
                       settings.progress, true, int(sizeof(Sample)));

    if (planeSize > 0) {
        copy = PlaneCopy<Sample>{destinationPlanes, destination, planeSize, 0, !alphaUniform && b != 0.0f};
        CopyPlanes(&JoinItem<Sample>, copy, threadCount);
    }
    Report(settings.progress, 0.0f);
    return true;
}

} // namespace

bool RenderDistortion(DistortionContext& context, const FilterParameters& parameters, const uint8_t* source,
                      uint8_t* destination, const RenderSettings& settings) {
    const uint32_t hostMode = UseEngineFloatMode();
    const bool rendered = RenderInEngineFloatMode(context, parameters, source, destination, settings);
    RestoreFloatMode(hostMode);
    return rendered;
}

bool RenderDistortion(DistortionContext& context, const FilterParameters& parameters, const uint16_t* source,
                      uint16_t* destination, const RenderSettings& settings) {
    const uint32_t hostMode = UseEngineFloatMode();
    const bool rendered = RenderInEngineFloatMode(context, parameters, source, destination, settings);
    RestoreFloatMode(hostMode);
    return rendered;
}

void FillPlaneScratch(uint8_t byte) {
    if (sourceScratch != nullptr)
        std::memset(sourceScratch, byte, SourceBlockBytes(scratchPlaneSize));
    if (destinationScratch != nullptr)
        std::memset(destinationScratch, byte, DestinationBlockBytes(scratchPlaneSize));
}

void ReleasePlaneScratch() {
    platform::ReleasePages(sourceScratch, SourceBlockBytes(scratchPlaneSize));
    platform::ReleasePages(destinationScratch, DestinationBlockBytes(scratchPlaneSize));
    sourceScratch = nullptr;
    destinationScratch = nullptr;
    scratchPlaneSize = 0;
}
