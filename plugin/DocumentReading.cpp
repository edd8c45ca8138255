#include "plugin/DocumentReading.h"

#include "engine/DocumentFormat.h"
#include "plugin/Globals.h"
#include "plugin/Rectangles.h"
#include "plugin/Suites.h"

#include <memory>
#include <new>
#include <vector>

PixelBuffer* previewSource = nullptr;
PixelBuffer* previewBackdrop = nullptr;

namespace {

constexpr DescriptorClassID classProperty = FourCC("Prpr");
constexpr DescriptorClassID classLayer = FourCC("Lyr ");
constexpr DescriptorKeyID keyName = FourCC("Nm  ");
constexpr DescriptorKeyID keyVisible = FourCC("Vsbl");
constexpr DescriptorEnumTypeID typeEnumeration = FourCC("enum");
constexpr DescriptorEnumID enumTarget = FourCC("Trgt");

// Owners of what the action suites hand out, freed on every path.
struct ReferenceOwner {
    const PSActionReferenceProcs* suite;
    PIActionReference reference = nullptr;
    ~ReferenceOwner() {
        if (reference != nullptr && suite->Free != nullptr)
            suite->Free(reference);
    }
};

struct DescriptorOwner {
    const PSActionDescriptorProcs* suite;
    PIActionDescriptor descriptor = nullptr;
    ~DescriptorOwner() {
        if (descriptor != nullptr && suite->Free != nullptr)
            suite->Free(descriptor);
    }
};

// Asks the host for the layer property `key` of the layer the reference's second part names;
// fills `answer` (owned by the caller's owner) and returns whether the answer has the key.
template <typename PutLayer>
bool AskLayer(const PSActionDescriptorProcs* descriptors, DescriptorKeyID key, PutLayer putLayer,
              DescriptorOwner& answer) {
    const PSActionReferenceProcs* references = KeptReferenceSuite();
    const PSBasicActionControlProcs* control = KeptActionControlSuite();
    if (descriptors == nullptr || references == nullptr || control == nullptr || references->Make == nullptr ||
        references->PutProperty == nullptr || control->Get == nullptr || descriptors->HasKey == nullptr)
        return false;
    ReferenceOwner reference{references};
    if (references->Make(&reference.reference) != kSPNoError || reference.reference == nullptr)
        return false;
    if (references->PutProperty(reference.reference, classProperty, key) != kSPNoError ||
        !putLayer(references, reference.reference))
        return false;
    if (control->Get(&answer.descriptor, reference.reference) != noErr || answer.descriptor == nullptr)
        return false;
    Boolean hasKey = false;
    return descriptors->HasKey(answer.descriptor, key, &hasKey) == kSPNoError && hasKey;
}

std::string Utf8FromUtf16(const uint16_t* text) {
    std::string out;
    if (text == nullptr)
        return out;
    for (; *text != 0; ++text) {
        uint32_t c = *text;
        if (c >= 0xD800 && c < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

int CountChannels(const ReadChannelDesc* channels) {
    int count = 0;
    for (; channels != nullptr && count < 256; channels = channels->next)
        ++count;
    return count;
}

// A buffer owned for the duration of ReadPreviewDocument.
struct BufferOwner {
    PixelBuffer buffer;
    ~BufferOwner() { ReleasePixelBuffer(buffer); }
};

// One plane of 16-bit samples of a buffer's size (border included), for reading a deep channel.
struct WidePlane {
    std::vector<uint16_t> samples;
    PixelMemoryDesc desc{};
    bool Obtain(const PixelBuffer& buffer) {
        const int64_t width = PixelBufferWidth(buffer), height = PixelBufferHeight(buffer);
        if (width * 16 > INT32_MAX || height <= 0)
            return false;
        if (samples.empty()) {
            try {
                samples.resize(size_t(width) * size_t(height));
            } catch (const std::bad_alloc&) {
                return false;
            }
        }
        desc.data = samples.data();
        desc.depth = 16;
        desc.colBits = 16;
        desc.rowBits = int32_t(width * 16);
        desc.bitOffset = int32_t(buffer.border * (width * 16 + 16));
        return true;
    }
    // The samples to the 8-bit plane at `plane` (the same geometry).
    void NarrowInto(uint8_t* plane, const PixelBuffer& buffer) const {
        const size_t count = size_t(PixelBufferWidth(buffer)) * size_t(PixelBufferHeight(buffer));
        const size_t rowBytes = size_t(buffer.desc.rowBits / 8), width = size_t(PixelBufferWidth(buffer));
        for (size_t i = 0; i < count; ++i)
            plane[(i / width) * rowBytes + i % width] = NarrowSample(samples[i]);
    }
};

void DeleteBuffer(PixelBuffer*& buffer) {
    if (buffer == nullptr)
        return;
    ReleasePixelBuffer(*buffer);
    delete buffer;
    buffer = nullptr;
}

} // namespace

bool ReadChannels(const ReadChannelDesc* channels, PixelBuffer& buffer) {
    uint8_t* first = FirstPixel(buffer);
    if (first == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    AcquiredSuite<PSChannelPortsSuite1> ports(kPSChannelPortsSuite, kPSChannelPortsSuiteVersion2);
    const bool useSuite = ports && ports->CanRead != nullptr && ports->ReadPixelsFromLevel != nullptr;
    const ReadPixelsProc readPixels =
        gFilterRecord->channelPortProcs != nullptr &&
                gFilterRecord->channelPortProcs->channelPortProcsVersion >= kCurrentChannelPortProcsVersion &&
                gFilterRecord->channelPortProcs->numChannelPortProcs >= 1
            ? gFilterRecord->channelPortProcs->readPixelsProc
            : nullptr;
    if (!useSuite && readPixels == nullptr) {
        SetResult(errPlugInHostInsufficient);
        return false;
    }

    VRect area = GetFilterRect();
    const VPoint origin = GetFloatCoord();
    area.top += origin.v;
    area.bottom += origin.v;
    area.left += origin.h;
    area.right += origin.h;

    PixelMemoryDesc desc = buffer.desc; // advanced plane by plane; the buffer's own stays
    const int64_t planeBytes = PlaneBytes(buffer);
    WidePlane wide;
    int plane = 0;
    for (const ReadChannelDesc* channel = channels; channel != nullptr && CurrentResult() == noErr;
         channel = channel->next, ++plane) {
        if (plane >= buffer.planes)
            break; // more channels than planes: the rest has nowhere to go
        // A 16-bit channel is read into a plane of its own depth and narrowed into the buffer's.
        uint8_t* narrowInto = nullptr;
        const PixelMemoryDesc bufferPlane = desc;
        if (channel->depth == 16 && buffer.desc.depth == 8) {
            if (!wide.Obtain(buffer)) {
                SetResult(memFullErr);
                return false;
            }
            narrowInto = static_cast<uint8_t*>(desc.data);
            desc = wide.desc;
        }
        if (useSuite) {
            Boolean canRead = false;
            const SPErr asked = ports->CanRead(channel->port, &canRead);
            if (asked != kSPNoError) {
                SetResult(OSErr(asked));
                return false;
            }
            if (!canRead) {
                SetResult(errPlugInHostInsufficient);
                return false;
            }
            VRect wanted = area;
            SetResult(OSErr(ports->ReadPixelsFromLevel(channel->port, 0, &wanted, &desc)));
        } else {
            PSScaling scaling{area, area};
            VRect wrote{};
            SetResult(readPixels(channel->port, &scaling, &area, &desc, &wrote));
        }
        if (narrowInto != nullptr) {
            desc = bufferPlane;
            if (CurrentResult() == noErr)
                wide.NarrowInto(narrowInto, buffer);
        }
        desc.data = static_cast<uint8_t*>(desc.data) + planeBytes;
    }
    return true;
}

bool GetTargetLayerName(std::string* name) {
    if (name == nullptr)
        return false;
    AcquiredSuite<PSActionDescriptorProcs> descriptors(kPSActionDescriptorSuite, kPSActionDescriptorSuiteVersion2);
    if (!descriptors || descriptors->GetStringLength == nullptr || descriptors->GetString == nullptr)
        return false;
    DescriptorOwner answer{descriptors.get()};
    auto target = [](const PSActionReferenceProcs* references, PIActionReference reference) {
        return references->PutEnumerated != nullptr &&
               references->PutEnumerated(reference, classLayer, typeEnumeration, enumTarget) == kSPNoError;
    };
    if (!AskLayer(descriptors.get(), keyName, target, answer))
        return false;
    uint32_t length = 0;
    if (descriptors->GetStringLength(answer.descriptor, keyName, &length) != kSPNoError || length >= (1u << 20))
        return false;
    std::vector<char> text(size_t(length) + 1, '\0');
    if (descriptors->GetString(answer.descriptor, keyName, text.data(), length + 1) != kSPNoError)
        return false;
    name->assign(text.data());
    return true;
}

bool IsLayerVisible(const std::string& name) {
    AcquiredSuite<PSActionDescriptorProcs> descriptors(kPSActionDescriptorSuite, kPSActionDescriptorSuiteVersion2);
    if (!descriptors || descriptors->GetBoolean == nullptr)
        return false;
    DescriptorOwner answer{descriptors.get()};
    auto named = [&name](const PSActionReferenceProcs* references, PIActionReference reference) {
        return references->PutName != nullptr && references->PutName(reference, classLayer, name.c_str()) == kSPNoError;
    };
    if (!AskLayer(descriptors.get(), keyVisible, named, answer))
        return false;
    Boolean visible = false;
    return descriptors->GetBoolean(answer.descriptor, keyVisible, &visible) == kSPNoError && visible;
}

const ReadChannelDesc* PreviewDocumentChannels() {
    const ReadImageDocumentDesc* document = gFilterRecord != nullptr ? gFilterRecord->documentInfo : nullptr;
    if (document == nullptr)
        return nullptr;
    return document->targetCompositeChannels != nullptr ? document->targetCompositeChannels : document->alphaChannels;
}

bool ReadPreviewDocument(const ReadChannelDesc* channels) {
    const ReadImageDocumentDesc* document = gFilterRecord->documentInfo;
    int planes = document != nullptr ? CountChannels(channels) : gFilterRecord->planes;
    // With a transparency plane in the host's data, the buffers get one after the colour planes
    // (plane 3 in RGB, plane 4 in CMYK, where plane 3 is the black ink, plane 1 in greyscale).
    const int16_t mode = gFilterRecord->imageMode;
    const int colors = DocumentFormatOf(mode, gFilterRecord->depth, gFilterRecord->planes).colors;
    if (gFilterRecord->planes > colors && planes <= colors + 1)
        planes = colors + 1;
    // The preview is shown at 8 bits: deeper channels are narrowed as they are read.
    const int32_t depth = 8;
    const VRect area = GetFilterRect();

    auto backdrop = std::make_unique<PixelBuffer>();
    InitPixelBuffer(*backdrop, mode, area, planes, depth, 0);
    BufferOwner layer, mask;
    InitPixelBuffer(layer.buffer, mode, area, planes, depth, 0);
    InitPixelBuffer(mask.buffer, plugInModeGrayScale, area, 1, 8, 0);
    bool ok = FillPixelBuffer(*backdrop, RGBColor{0, 0, 0});

    std::string target;
    const bool layered = document != nullptr && document->minVersion <= kReadImageDocDescLayersVersion &&
                         document->maxVersion >= kReadImageDocDescLayersVersion;
    if (ok && layered && GetTargetLayerName(&target)) {
        int guard = 0;
        for (const ReadLayerDesc* entry = document->layersDescriptor; entry != nullptr && guard < 100000;
             entry = entry->next, ++guard) {
            if (Utf8FromUtf16(entry->unicodeName) == target) {
                DeleteBuffer(previewSource);
                previewSource = new PixelBuffer;
                InitPixelBuffer(*previewSource, mode, area, planes, depth, 0);
                if (!ReadChannels(entry->compositeChannelsList, *previewSource)) {
                    ok = false;
                } else if (entry->transparency != nullptr) {
                    if (ReadChannels(entry->transparency, mask.buffer))
                        MergeAlpha(*previewSource, mask.buffer);
                } else {
                    RaiseAlpha(*previewSource, 255);
                }
                break;
            }
            if (!IsLayerVisible(Utf8FromUtf16(entry->unicodeName)))
                continue;
            if (!ReadChannels(entry->compositeChannelsList, layer.buffer)) {
                ok = false;
                break;
            }
            if (entry->transparency != nullptr) {
                if (ReadChannels(entry->transparency, mask.buffer)) {
                    BlendPixelBuffer(*backdrop, layer.buffer, mask.buffer, layer.buffer.bounds);
                    MergeAlpha(*backdrop, mask.buffer);
                }
            } else {
                CopyPixelBuffer(*backdrop, layer.buffer);
                RaiseAlpha(*backdrop, 255);
            }
        }
    }

    DeleteBuffer(previewBackdrop);
    if (!ok) {
        ReleasePixelBuffer(*backdrop);
        return false;
    }
    previewBackdrop = backdrop.release();
    return true;
}

void ReleasePreviewDocument() {
    DeleteBuffer(previewSource);
    DeleteBuffer(previewBackdrop);
}
