#include "host/SubstituteHost.h"

#include "host/EnableExpression.h"
#include "host/PropertyList.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

namespace host {

SubstituteHost* SubstituteHost::current = nullptr;

namespace {

constexpr int kMaxContinueCalls = 1000;

Rect Narrow(const VRect& r) {
    return Rect{int16_t(r.top), int16_t(r.left), int16_t(r.bottom), int16_t(r.right)};
}

#ifdef _WIN32
// A host that never shows the dialog still meets a plug-in that opens it (without descriptors
// it cannot be told not to): the dialog is answered with OK as soon as it runs, so no run ever
// waits for a user.
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window) && GetParent(window) == nullptr)
                EndDialog(window, IDOK);
            return TRUE;
        },
        0);
}
#endif

bool IsEmpty(const VRect& r) {
    return r.bottom <= r.top || r.right <= r.left;
}

int16_t Clamp16(int32_t value) {
    return int16_t(std::clamp<int32_t>(value, -32768, 32767));
}

// Image coordinate of a sampled coordinate at a 16.16 rate (floor for negative coordinates).
int64_t Sampled(int64_t coordinate, Fixed rate) {
    int64_t scaled = coordinate * int64_t(rate);
    return scaled >= 0 ? scaled >> 16 : -((-scaled + 0xFFFF) >> 16);
}

} // namespace

SubstituteHost::SubstituteHost() : record_(new FilterRecord{}) {
    current = this;
}

SubstituteHost::~SubstituteHost() {
    Unload();
    if (current == this)
        current = nullptr;
}

bool SubstituteHost::Load(const std::string& path, std::string* error) {
    if (!library_.Load(path, error))
        return false;
    if (options.checkPropertyList) {
        const std::string refusal = PropertyListRefusal(library_.propertyList());
        if (!refusal.empty()) {
            *error = "the host does not list " + path + ": " + refusal;
            library_.Unload();
            return false;
        }
    }
    return true;
}

bool SubstituteHost::FilterEnabled() const {
    const auto properties = ParsePropertyList(library_.propertyList());
    const Property* enable = properties ? FindProperty(*properties, FourCC("enbl")) : nullptr;
    if (enable == nullptr)
        return true;
    EnableContext context;
    context.imageMode = EnableImageMode(document.mode, document.depth);
    context.depth = document.depth;
    context.hasAlpha = document.hasTransparency;
    context.hasSelection = document.selection.has_value();
    context.width = document.width;
    context.height = document.height;
    return EvaluateEnableExpression(PropertyCString(*enable), context).value_or(false);
}

void SubstituteHost::Unload() {
    library_.Unload();
}

void SubstituteHost::ForgetPluginState() {
    parameters_ = nullptr;
    dataSlot_ = 0;
    record_->parameters = nullptr;
}

const uint8_t* SubstituteHost::parametersBytes() const {
    return parameters_ != nullptr && handles_.IsValid(parameters_) ? reinterpret_cast<const uint8_t*>(*parameters_)
                                                                   : nullptr;
}

void SubstituteHost::PlayDescriptor(const std::vector<DescriptorItem>& items, int16_t playInfo) {
    if (descriptorParameters_.descriptor != nullptr)
        handles_.Dispose(descriptorParameters_.descriptor);
    descriptorParameters_.descriptor = descriptors_.MakeDescriptor(items);
    descriptorParameters_.playInfo = playInfo;
    options.playInfo = playInfo;
}

std::vector<DescriptorItem> SubstituteHost::RecordedDescriptor() const {
    return recorded_;
}

void SubstituteHost::PrepareRecord() {
    current = this;
    HostHandles::current = &handles_;
    HostDescriptors::current = &descriptors_;
    HostSuites::current = &suites_;
    HostActions::current = &suites_.actions();
    suites_.actions().registryFile = options.registryFile;
    suites_.converter().SetProfile(document.iccProfile);

    FilterRecord& r = *record_;
    const VRect filter = document.filterRect();
    r.serialNumber = 0;
    r.abortProc = options.abortProc ? &AbortProcedure : nullptr;
    r.progressProc = options.progressProc ? &ProgressProcedure : nullptr;
    r.parameters = parameters_;
    r.imageSize = Point{Clamp16(document.height), Clamp16(document.width)};
    r.wholeSize = r.imageSize;
    r.planes = int16_t(document.planes());
    r.filterRect = Narrow(filter);
    r.imageMode = document.mode;
    r.depth = document.depth;
    r.imageHRes = r.imageVRes = 72 << 16;
    r.hostSig = FourCC("VFXH");
    r.handleProcs = handles_.procs();
    r.advanceState = &AdvanceStateProc;
    platformData_.hwnd = options.ownerWindow;
    r.platformData = &platformData_;
    r.supportsPadding = 1;
    r.samplingSupport = options.samplingSupport ? 1 : 0;
    r.inLayerPlanes = r.outLayerPlanes = int16_t(document.colorPlanes);
    r.inTransparencyMask = r.outTransparencyMask = int16_t(document.hasTransparency ? 1 : 0);
    r.inNonLayerPlanes = r.outNonLayerPlanes = 0;
    r.haveMask = document.mask.empty() ? 0 : 1;
    if (!document.mask.empty() && r.maskData == nullptr)
        r.maskData = document.mask.data();
    r.descriptorParameters = options.descriptors ? &descriptorParameters_ : nullptr;
    descriptorParameters_.descriptorParametersVersion = 0;
    descriptorParameters_.playInfo = options.playInfo;
    descriptorParameters_.readDescriptorProcs = descriptors_.readProcs();
    descriptorParameters_.writeDescriptorProcs = descriptors_.writeProcs();

    r.sSPBasic = options.basicSuite ? suites_.basic() : nullptr;
    r.colorServices = !options.colorServices      ? nullptr
                      : options.colorServicesFail ? suites_.failingColorServices()
                                                  : suites_.colorServices();
    r.channelPortProcs = options.channelPorts ? suites_.channelPortProcs() : nullptr;
    r.documentInfo = options.documentInfo ? suites_.Describe() : nullptr;
    r.floatCoord = Point{0, 0};
    bigDocument_.floatCoord32 = VPoint{0, 0};

    r.bigDocumentData = options.bigDocument ? &bigDocument_ : nullptr;
    bigDocument_.imageSize32 = VPoint{document.height, document.width};
    bigDocument_.wholeSize32 = bigDocument_.imageSize32;
    bigDocument_.filterRect32 = filter;
}

int16_t SubstituteHost::Call(int16_t selector) {
    PrepareRecord();
    if (selector == filterSelectorPrepare) {
        record_->maxSpace = options.maxSpace;
        record_->bufferSpace = options.maxSpace;
    }
    if (selector == filterSelectorStart && options.neverShowDialog && options.descriptors &&
        descriptorParameters_.descriptor == nullptr)
        descriptorParameters_.descriptor = descriptors_.MakeDescriptor({});
    if (selector == filterSelectorStart) {
        std::vector<uint8_t>().swap(startPixels_);
        startSnapshot_ = false;
    }
    int16_t result = 0;
#ifdef _WIN32
    const UINT_PTR answer =
        selector == filterSelectorStart && options.neverShowDialog ? SetTimer(nullptr, 0, 10, AnswerDialog) : 0;
#endif
    if (library_.entry() != nullptr)
        library_.entry()(selector, record_.get(), &dataSlot_, &result);
#ifdef _WIN32
    if (answer != 0)
        KillTimer(nullptr, answer);
#endif
    parameters_ = record_->parameters;
    if (selector == filterSelectorStart && result != noErr && startSnapshot_) {
        // A cancelled or failed run leaves the document as it was, previews included.
        document.pixels.swap(startPixels_);
        documentChanged_ = false;
    }
    if (selector == filterSelectorFinish || (selector == filterSelectorStart && result != noErr)) {
        std::vector<uint8_t>().swap(startPixels_);
        startSnapshot_ = false;
    }
    if (selector == filterSelectorFinish && descriptorParameters_.descriptor != nullptr) {
        // The host takes the recorded descriptor for its action; the next run starts without one.
        recorded_ = descriptors_.Items(descriptorParameters_.descriptor);
        handles_.Dispose(descriptorParameters_.descriptor);
        descriptorParameters_.descriptor = nullptr;
    }
    if (selector == filterSelectorStart || selector == filterSelectorContinue) {
        if (result == noErr)
            WriteBackOutput();
        else
            outputPending_ = outputInPlace_ = false; // a failed step leaves the document as it was
    }
    return result;
}

int16_t SubstituteHost::CallAbout() {
    current = this;
    HostHandles::current = &handles_;
    HostSuites::current = &suites_;
    HostActions::current = &suites_.actions();
    record_->sSPBasic = options.basicSuite ? suites_.basic() : nullptr;
    AboutRecord about{};
    about.platformData = &platformData_;
    about.sSPBasic = record_->sSPBasic;
    int16_t result = 0;
#ifdef _WIN32
    // The About box waits for a user; a host that never shows dialogs closes it at once.
    const UINT_PTR answer = options.neverShowDialog ? SetTimer(nullptr, 0, 10, AnswerDialog) : 0;
#endif
    if (library_.entry() != nullptr)
        library_.entry()(filterSelectorAbout, &about, &dataSlot_, &result);
#ifdef _WIN32
    if (answer != 0)
        KillTimer(nullptr, answer);
#endif
    return result;
}

RunResult SubstituteHost::RunInteractive() {
    return Run(true);
}

RunResult SubstituteHost::RunRepeat() {
    return Run(false);
}

// A new host process starts without the plug-in's records; one that repeats a filter first
// restores what the previous process saved.
void SubstituteHost::StartProcess(bool withParameters) {
    std::string error;
    library_.Reload(&error);
    // Nothing of the previous process's memory is left: its handles are gone.
    ReleaseBuffers();
    descriptorParameters_.descriptor = nullptr;
    handles_.DisposeAll();
    ForgetPluginState();
    if (withParameters)
        return;
    if (!savedParameters_.empty()) {
        parameters_ = handles_.New(int32_t(savedParameters_.size()));
        if (parameters_ != nullptr)
            std::memcpy(*parameters_, savedParameters_.data(), savedParameters_.size());
    }
    dataSlot_ = savedDataSlot_;
}

void SubstituteHost::SaveForNextProcess() {
    savedParameters_.clear();
    if (parameters_ != nullptr && handles_.IsValid(parameters_)) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(*parameters_);
        savedParameters_.assign(bytes, bytes + handles_.Size(parameters_));
    }
    savedDataSlot_ = options.dataSlotBits >= 64 ? dataSlot_ : intptr_t(uint32_t(uint64_t(dataSlot_)));
}

RunResult SubstituteHost::Run(bool withParameters) {
    RunResult run;
    if (options.evaluateEnable && !FilterEnabled()) {
        run.enabled = false;
        return run;
    }
    if (options.processPerRun)
        StartProcess(withParameters);
    progress_.clear();
    advanceCalls_ = 0;
    abortChecks_ = 0;
    documentChanged_ = false;
    bigDocument_.PluginUsing32BitCoordinates = 0;
    auto step = [&](int16_t selector) {
        if (options.beforeSelector)
            options.beforeSelector(selector);
        const int16_t result = Call(selector);
        run.calls.push_back({selector, result});
        if (result != noErr && run.result == noErr)
            run.result = result;
        return result == noErr;
    };
    // The plug-in asks for more until it sets every rectangle empty.
    auto requestEmpty = [&]() {
        const VRect in = RequestedRect(record_->inRect, bigDocument_.inRect32);
        const VRect out = RequestedRect(record_->outRect, bigDocument_.outRect32);
        const VRect mask = RequestedRect(record_->maskRect, bigDocument_.maskRect32);
        return IsEmpty(in) && IsEmpty(out) && IsEmpty(mask);
    };
    bool ok = true;
    if (withParameters) {
        ok = step(filterSelectorParameters);
        if (options.processPerRun)
            SaveForNextProcess();
    }
    ok = ok && step(filterSelectorPrepare) && step(filterSelectorStart);
    for (int i = 0; ok && i < kMaxContinueCalls && !requestEmpty(); ++i)
        ok = step(filterSelectorContinue);
    if (ok && options.sendsFinish)
        step(filterSelectorFinish);
    ReleaseBuffers();
    run.documentChanged = documentChanged_;
    return run;
}

VRect SubstituteHost::RequestedRect(const Rect& narrow, const VRect& wide) const {
    if (record_->bigDocumentData != nullptr && bigDocument_.PluginUsing32BitCoordinates != 0)
        return wide;
    return VRect{narrow.top, narrow.left, narrow.bottom, narrow.right};
}

const uint8_t* SubstituteHost::InputView(const VRect& rect, int16_t loPlane, int16_t hiPlane, Fixed rate) const {
    // A host that keeps a buffer across requests keeps its own copy; so does a masking fill.
    if (options.refillOnlyOnNewRect || fillingMask_ || (rate != 0x10000 && rate > 0))
        return nullptr;
    if (loPlane != 0 || hiPlane != document.planes() - 1 || rect.left < 0 || rect.top < 0 ||
        rect.right > document.width || rect.bottom > document.height || rect.right <= rect.left ||
        rect.bottom <= rect.top)
        return nullptr;
    const int64_t pixelBytes = int64_t(document.planes()) * document.bytesPerSample();
    const int64_t rowBytes = int64_t(document.width) * pixelBytes;
    const int64_t requested = (int64_t(rect.right) - rect.left) * pixelBytes * (int64_t(rect.bottom) - rect.top);
    // The same limits as a buffer of its own: row bytes the record can hold, the host's memory.
    if (rowBytes > INT32_MAX || uint64_t(requested) > options.maxBufferBytes)
        return nullptr;
    const std::vector<uint8_t>& pixels = startSnapshot_ ? startPixels_ : document.pixels;
    const size_t pixel = size_t(int64_t(rect.top) * document.width + rect.left);
    return pixels.data() + pixel * size_t(document.planes() * document.bytesPerSample());
}

uint8_t* SubstituteHost::OutputView(const VRect& rect, int16_t loPlane, int16_t hiPlane) {
#ifdef _WIN32
    (void)rect, (void)loPlane, (void)hiPlane;
    return nullptr;
#else
    if (!options.outputInPlace || startSnapshot_ || MasksResult())
        return nullptr;
    const uint8_t* view = InputView(rect, loPlane, hiPlane, 0x10000);
    return view == nullptr ? nullptr : document.pixels.data() + (view - document.pixels.data());
#endif
}

bool SubstituteHost::FillBuffer(const VRect& rect, int16_t loPlane, int16_t hiPlane, Fixed rate, int16_t padding,
                                Buffer* buffer, int32_t* rowBytes) {
    const int64_t height = int64_t(rect.bottom) - rect.top;
    const int64_t width = int64_t(rect.right) - rect.left;
    const int64_t planes = int64_t(hiPlane) - loPlane + 1;
    const int64_t bytesPerSample = document.bytesPerSample();
    const int64_t row = width * planes * bytesPerSample;
    if (height <= 0 || width <= 0 || planes <= 0 || row > INT32_MAX ||
        uint64_t(row) * uint64_t(height) > options.maxBufferBytes)
        return false;
    try {
        buffer->resize(size_t(row * height)); // every byte is written below
    } catch (const std::bad_alloc&) {
        return false;
    }
    *rowBytes = int32_t(row);
    if (rate <= 0)
        rate = 0x10000;
    const int64_t docPlanes = document.planes();
    const bool allPlanes = loPlane == 0 && hiPlane == docPlanes - 1;
    const std::vector<uint8_t>& pixels = startSnapshot_ && !fillingMask_ ? startPixels_ : document.pixels;
    for (int64_t i = 0; i < height; ++i) {
        uint8_t* out = buffer->data() + i * row;
        // Unsampled rows of every plane inside the image are one contiguous copy.
        if (rate == 0x10000 && allPlanes && rect.top + i >= 0 && rect.top + i < document.height && rect.left >= 0 &&
            rect.right <= document.width) {
            std::memcpy(
                out, pixels.data() + size_t(((rect.top + i) * document.width + rect.left) * docPlanes * bytesPerSample),
                size_t(row));
            continue;
        }
        int64_t y = Sampled(rect.top + i, rate);
        bool rowInside = y >= 0 && y < document.height;
        if (!rowInside && padding == -1)
            y = std::clamp<int64_t>(y, 0, document.height - 1), rowInside = document.height > 0;
        for (int64_t j = 0; j < width; ++j) {
            int64_t x = Sampled(rect.left + j, rate);
            bool inside = rowInside && x >= 0 && x < document.width;
            if (!inside && rowInside && padding == -1 && document.width > 0)
                x = std::clamp<int64_t>(x, 0, document.width - 1), inside = true;
            for (int64_t p = 0; p < planes; ++p) {
                const int64_t plane = loPlane + p;
                for (int64_t b = 0; b < bytesPerSample; ++b) {
                    uint8_t value = padding >= 0 && padding <= 255 ? uint8_t(padding) : uint8_t(0);
                    if (inside && plane < docPlanes)
                        value = pixels[size_t(((y * document.width + x) * docPlanes + plane) * bytesPerSample + b)];
                    *out++ = value;
                }
            }
        }
    }
    return true;
}

OSErr SubstituteHost::AdvanceState() {
    ++advanceCalls_;
    if (outputPending_ && !startSnapshot_ && !outputInPlace_) {
        startPixels_ = document.pixels;
        startSnapshot_ = true;
    }
    WriteBackOutput();
    FilterRecord& r = *record_;
    const VRect in = RequestedRect(r.inRect, bigDocument_.inRect32);
    const VRect out = RequestedRect(r.outRect, bigDocument_.outRect32);
    const VRect mask = RequestedRect(r.maskRect, bigDocument_.maskRect32);
    lastInRect_ = in;
    // A host without sampling delivers every request at rate 1.
    const Fixed inRate = options.samplingSupport ? r.inputRate : 0x10000;
    const Fixed maskRate = options.samplingSupport ? r.maskRate : 0x10000;
    // A host that refills only on a new rectangle keeps what a buffer holds when the request
    // names the same rectangle and planes again.
    const bool keepIn = options.refillOnlyOnNewRect && r.inData != nullptr && !IsEmpty(in) &&
                        filledIn_.Same(in, r.inLoPlane, r.inHiPlane);
    const bool keepOut = options.refillOnlyOnNewRect && r.outData != nullptr && !IsEmpty(out) &&
                         filledOut_.Same(out, r.outLoPlane, r.outHiPlane);
    const bool keepMask =
        options.refillOnlyOnNewRect && r.maskData != nullptr && !IsEmpty(mask) && filledMask_.Same(mask, 0, 0);
    if (!keepIn) {
        Buffer().swap(inBuffer_);
        r.inData = nullptr;
        r.inRowBytes = 0;
        filledIn_ = Filled{};
    }
    if (!keepOut) {
        Buffer().swap(outBuffer_);
        r.outData = nullptr;
        r.outRowBytes = 0;
        filledOut_ = Filled{};
    }
    if (!keepMask) {
        Buffer().swap(maskBuffer_);
        r.maskData = nullptr;
        r.maskRowBytes = 0;
        filledMask_ = Filled{};
    }

    const int16_t planes = int16_t(document.planes());
    auto planesValid = [&](int16_t lo, int16_t hi) { return lo >= 0 && lo <= hi && hi < planes; };

    const int32_t bytesPerSample = document.bytesPerSample();
    if (!IsEmpty(in) && !keepIn) {
        if (!planesValid(r.inLoPlane, r.inHiPlane))
            return paramErr;
        // Whole rows of every plane at rate 1 are read where the host keeps them, as hosts hand
        // out their tiles; anything else is a buffer of its own.
        if (const uint8_t* view = InputView(in, r.inLoPlane, r.inHiPlane, inRate)) {
            r.inData = const_cast<uint8_t*>(view);
            r.inRowBytes = int32_t(int64_t(document.width) * document.planes() * bytesPerSample);
        } else if (!FillBuffer(in, r.inLoPlane, r.inHiPlane, inRate, r.inputPadding, &inBuffer_, &r.inRowBytes)) {
            return memFullErr;
        } else {
            r.inData = inBuffer_.data();
        }
        r.inColumnBytes = (r.inHiPlane - r.inLoPlane + 1) * bytesPerSample;
        r.inPlaneBytes = bytesPerSample;
        filledIn_ = Filled{in, r.inLoPlane, r.inHiPlane};
    }
    if (!IsEmpty(out)) {
        if (!keepOut) {
            if (!planesValid(r.outLoPlane, r.outHiPlane))
                return paramErr;
            if (uint8_t* view = OutputView(out, r.outLoPlane, r.outHiPlane)) {
                r.outData = view;
                r.outRowBytes = int32_t(int64_t(document.width) * document.planes() * bytesPerSample);
                outputInPlace_ = true;
            } else if (!FillBuffer(out, r.outLoPlane, r.outHiPlane, 0x10000, r.outputPadding, &outBuffer_,
                                   &r.outRowBytes)) {
                ReleaseBuffers();
                return memFullErr;
            } else {
                r.outData = outBuffer_.data();
            }
            r.outColumnBytes = (r.outHiPlane - r.outLoPlane + 1) * bytesPerSample;
            r.outPlaneBytes = bytesPerSample;
            filledOut_ = Filled{out, r.outLoPlane, r.outHiPlane};
        }
        outputPending_ = true;
        outRect_ = out;
        outLoPlane_ = r.outLoPlane;
        outHiPlane_ = r.outHiPlane;
        outRowBytes_ = r.outRowBytes;
        outRate_ = inRate;
    }
    if (!IsEmpty(mask) && !keepMask && !document.mask.empty()) {
        Document maskDocument;
        maskDocument.width = document.width;
        maskDocument.height = document.height;
        maskDocument.colorPlanes = 1;
        maskDocument.pixels = document.mask;
        std::swap(document, maskDocument);
        fillingMask_ = true;
        const bool filled = FillBuffer(mask, 0, 0, maskRate, r.maskPadding, &maskBuffer_, &r.maskRowBytes);
        fillingMask_ = false;
        std::swap(document, maskDocument);
        if (filled) {
            r.maskData = maskBuffer_.data();
            filledMask_ = Filled{mask, 0, 0};
        }
    }
    return noErr;
}

bool SubstituteHost::MasksResult() const {
    const bool selected = document.selection.has_value() || !document.mask.empty();
    if (!selected || options.masking == SelectionMasking::None)
        return false;
    if (options.masking == SelectionMasking::Always)
        return true;
    const FilterCase filterCase =
        document.hasTransparency ? FilterCase::EditableTransparencyWithSelection : FilterCase::FlatImageWithSelection;
    return (FilterCaseFlags(library_.propertyList(), filterCase) & kWritesOutsideSelection) == 0;
}

// How much of the result a pixel takes: the selection mask, or the selection rectangle.
uint8_t SubstituteHost::MaskAt(int64_t x, int64_t y) const {
    if (!document.mask.empty())
        return document.mask[size_t(y * document.width + x)];
    const VRect r = document.filterRect();
    return y >= r.top && y < r.bottom && x >= r.left && x < r.right ? 255 : 0;
}

void SubstituteHost::WriteBackOutput() {
    if (!outputPending_)
        return;
    outputPending_ = false;
    if (outputInPlace_) {
        outputInPlace_ = false;
        documentChanged_ = true; // written where the pixels are: what they were is gone
        return;
    }
    // Output asked for at a sampling rate (a reduced preview) has no place in the image.
    if (outRate_ != 0x10000 && outRate_ != 0)
        return;
    const int64_t height = int64_t(outRect_.bottom) - outRect_.top;
    const int64_t width = int64_t(outRect_.right) - outRect_.left;
    const int64_t planes = int64_t(outHiPlane_) - outLoPlane_ + 1;
    const int64_t bytesPerSample = document.bytesPerSample();
    const int64_t docPlanes = document.planes();
    // A masking host merges the result with the pixels as the run found them.
    const bool masked = MasksResult();
    const std::vector<uint8_t>& before = startSnapshot_ ? startPixels_ : document.pixels;
    for (int64_t i = 0; i < height; ++i) {
        const int64_t y = outRect_.top + i;
        if (y < 0 || y >= document.height)
            continue;
        const uint8_t* in = outBuffer_.data() + i * outRowBytes_;
        if (!masked && outLoPlane_ == 0 && outHiPlane_ == docPlanes - 1 && outRect_.left >= 0 &&
            outRect_.right <= document.width) {
            uint8_t* target =
                document.pixels.data() + size_t((y * document.width + outRect_.left) * docPlanes * bytesPerSample);
            const size_t bytes = size_t(width * planes * bytesPerSample);
            if (std::memcmp(target, in, bytes) != 0) {
                std::memcpy(target, in, bytes);
                documentChanged_ = true;
            }
            continue;
        }
        for (int64_t j = 0; j < width; ++j) {
            const int64_t x = outRect_.left + j;
            const int weight = masked && x >= 0 && x < document.width ? MaskAt(x, y) : 255;
            for (int64_t p = 0; p < planes; ++p) {
                for (int64_t b = 0; b < bytesPerSample; ++b, ++in) {
                    if (x < 0 || x >= document.width)
                        continue;
                    const size_t at =
                        size_t(((y * document.width + x) * docPlanes + outLoPlane_ + p) * bytesPerSample + b);
                    const uint8_t value =
                        weight == 255 ? *in : uint8_t((before[at] * (255 - weight) + *in * weight + 127) / 255);
                    uint8_t& target = document.pixels[at];
                    if (target != value) {
                        target = value;
                        documentChanged_ = true;
                    }
                }
            }
        }
    }
}

void SubstituteHost::ReleaseBuffers() {
    Buffer().swap(inBuffer_);
    Buffer().swap(outBuffer_);
    Buffer().swap(maskBuffer_);
    filledIn_ = filledOut_ = filledMask_ = Filled{};
    record_->inData = record_->outData = record_->maskData = nullptr;
    record_->inRowBytes = record_->outRowBytes = record_->maskRowBytes = 0;
}

OSErr SubstituteHost::AdvanceStateProc() {
    if (current == nullptr)
        return paramErr;
    // No exception may travel back through the plug-in's frames: a host out of memory says so.
    try {
        return current->AdvanceState();
    } catch (const std::bad_alloc&) {
        current->ReleaseBuffers();
        return memFullErr;
    }
}

void SubstituteHost::ProgressProcedure(int32_t done, int32_t total) {
    if (current == nullptr)
        return;
    current->progress_.push_back({done, total});
    if (current->options.progressListener != nullptr)
        current->options.progressListener(current->options.progressContext, done, total);
}

Boolean SubstituteHost::AbortProcedure() {
    if (current == nullptr)
        return false;
    ++current->abortChecks_;
    return current->options.abortAfterChecks >= 0 && current->abortChecks_ > current->options.abortAfterChecks;
}

} // namespace host
