#include "host/HostSuites.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace host {

HostSuites* HostSuites::current = nullptr;

// The document description and everything it points to, rebuilt before every selector.
struct HostSuites::Description {
    ReadImageDocumentDesc document{};
    std::vector<std::unique_ptr<ReadChannelDesc>> channels;
    std::vector<std::unique_ptr<ReadLayerDesc>> layers;
    std::vector<std::unique_ptr<std::u16string>> unicodeNames;
    std::vector<std::unique_ptr<Port>> ports;
};

namespace {

HostSuites* Suites() {
    return HostSuites::current;
}

SPErr AcquireSuiteProc(const char* name, int32_t version, const void** suite) {
    return Suites() != nullptr ? Suites()->Acquire(name, version, suite) : kSPSuiteNotFoundError;
}

SPErr ReleaseSuiteProc(const char* name, int32_t version) {
    return Suites() != nullptr ? Suites()->Release(name, version) : kSPBadParameterError;
}

SPBoolean IsEqualProc(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

SPErr AllocateBlockProc(size_t size, void** block) {
    if (block == nullptr)
        return kSPBadParameterError;
    *block = std::malloc(size == 0 ? 1 : size);
    return *block != nullptr ? kSPNoError : kSPOutOfMemoryError;
}

SPErr FreeBlockProc(void* block) {
    std::free(block);
    return kSPNoError;
}

SPErr ReallocateBlockProc(void* block, size_t size, void** newBlock) {
    if (newBlock == nullptr)
        return kSPBadParameterError;
    void* moved = std::realloc(block, size == 0 ? 1 : size);
    if (moved == nullptr)
        return kSPOutOfMemoryError;
    *newBlock = moved;
    return kSPNoError;
}

SPErr UndefinedProc() {
    return kSPUnimplementedError;
}

SPErr Convert8Proc(int16_t from, int16_t to, Color8* colors, int16_t count) {
    HostSuites* suites = Suites();
    if (suites == nullptr || colors == nullptr || count < 0)
        return kSPBadParameterError;
    ++suites->convertCalls;
    suites->largestConvert = std::max<int>(suites->largestConvert, count);
    return suites->converter().Convert8(from, to, colors, size_t(count)) ? kSPNoError : kSPBadParameterError;
}

SPErr Convert16Proc(int16_t from, int16_t to, Color16* colors, int16_t count) {
    HostSuites* suites = Suites();
    if (suites == nullptr || colors == nullptr || count < 0)
        return kSPBadParameterError;
    if (!suites->convert16)
        return kSPUnimplementedError;
    ++suites->convertCalls;
    suites->largestConvert = std::max<int>(suites->largestConvert, count);
    return suites->converter().Convert16(from, to, colors, size_t(count)) ? kSPNoError : kSPBadParameterError;
}

// Components of the old callback in the ColorSpace suite's byte order and back. Grey is the
// only other space it converts (to and from RGB, through the luminance).
bool ComponentsToColor(int16_t space, const int16_t components[4], Color8 color) {
    auto byte = [](int16_t value) { return uint8_t(std::clamp<int>(value, 0, 255)); };
    if (space == plugIncolorServicesCMYKSpace) {
        for (int i = 0; i < 4; ++i)
            color[i] = byte(components[i]);
        return true;
    }
    if (space == plugIncolorServicesRGBSpace) {
        color[0] = 255;
        for (int i = 0; i < 3; ++i)
            color[i + 1] = byte(components[i]);
        return true;
    }
    if (space == plugIncolorServicesGraySpace) {
        color[0] = 255;
        color[1] = color[2] = color[3] = byte(components[0]);
        return true;
    }
    return false;
}

void ColorToComponents(int16_t space, const Color8 color, int16_t components[4]) {
    if (space == plugIncolorServicesCMYKSpace) {
        for (int i = 0; i < 4; ++i)
            components[i] = color[i];
    } else if (space == plugIncolorServicesGraySpace) {
        components[0] = int16_t((color[1] * 299 + color[2] * 587 + color[3] * 114 + 500) / 1000);
        components[1] = components[2] = components[3] = 0;
    } else {
        for (int i = 0; i < 3; ++i)
            components[i] = color[i + 1];
        components[3] = 0;
    }
}

OSErr ColorServicesProcedure(ColorServicesInfo* info) {
    if (Suites() == nullptr || info == nullptr || info->infoSize < int32_t(sizeof(ColorServicesInfo)))
        return paramErr;
    if (info->selector != plugIncolorServicesConvertColor)
        return errPlugInHostInsufficient;
    if (info->sourceSpace == info->resultSpace)
        return noErr;
    Color8 color{};
    if (!ComponentsToColor(info->sourceSpace, info->colorComponents, color))
        return errPlugInHostInsufficient;
    const int16_t rgb = plugIncolorServicesRGBSpace;
    const int16_t from = info->sourceSpace == plugIncolorServicesGraySpace ? rgb : info->sourceSpace;
    const int16_t to = info->resultSpace == plugIncolorServicesGraySpace ? rgb : info->resultSpace;
    if (!Suites()->converter().Convert8(from, to, &color, 1))
        return errPlugInHostInsufficient;
    ColorToComponents(info->resultSpace, color, info->colorComponents);
    info->resultGamutInfoValid = 0;
    return noErr;
}

OSErr FailingColorServicesProcedure(ColorServicesInfo*) {
    return errPlugInHostInsufficient;
}

VRect Intersect(const VRect& a, const VRect& b) {
    return VRect{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
                 std::min(a.right, b.right)};
}

SPErr CanReadProc(PIChannelPort port, Boolean* canRead) {
    if (canRead == nullptr)
        return kSPBadParameterError;
    *canRead = Suites() != nullptr && Suites()->PortIsValid(port);
    return kSPNoError;
}

SPErr CountLevelsProc(PIChannelPort port, int32_t* count) {
    if (count == nullptr || Suites() == nullptr || !Suites()->PortIsValid(port))
        return errUnknownPort;
    *count = 1;
    return kSPNoError;
}

SPErr ReadPixelsFromLevelProc(PIChannelPort port, int32_t level, VRect* bounds, const PixelMemoryDesc* destination) {
    if (Suites() == nullptr || bounds == nullptr)
        return kSPBadParameterError;
    if (level != 0)
        return kSPBadParameterError;
    const VRect wanted = *bounds;
    return Suites()->ReadPort(port, wanted, wanted, destination, bounds);
}

OSErr ReadPixelsProcedure(ChannelReadPort port, const PSScaling* scaling, const VRect* writeRect,
                          const PixelMemoryDesc* destination, VRect* wroteRect) {
    if (Suites() == nullptr || writeRect == nullptr)
        return paramErr;
    const VRect source = scaling != nullptr ? scaling->sourceRect : *writeRect;
    const VRect target = scaling != nullptr ? scaling->destinationRect : *writeRect;
    VRect wrote{};
    const OSErr result = Suites()->ReadPort(port, source, target, destination, &wrote);
    if (wroteRect != nullptr)
        *wroteRect = wrote;
    return result;
}

} // namespace

HostSuites::HostSuites(Document* document) : document_(document), actions_(document) {
    basic_.AcquireSuite = &AcquireSuiteProc;
    basic_.ReleaseSuite = &ReleaseSuiteProc;
    basic_.IsEqual = &IsEqualProc;
    basic_.AllocateBlock = &AllocateBlockProc;
    basic_.FreeBlock = &FreeBlockProc;
    basic_.ReallocateBlock = &ReallocateBlockProc;
    basic_.Undefined = &UndefinedProc;
    colorSpace_.Convert8 = &Convert8Proc;
    colorSpace_.Convert16 = &Convert16Proc;
    ports_.CountLevels = &CountLevelsProc;
    ports_.CanRead = &CanReadProc;
    ports_.ReadPixelsFromLevel = &ReadPixelsFromLevelProc;
    channelPorts_.channelPortProcsVersion = kCurrentChannelPortProcsVersion;
    channelPorts_.numChannelPortProcs = kCurrentChannelPortProcsCount;
    channelPorts_.readPixelsProc = &ReadPixelsProcedure;
    current = this;
}

HostSuites::~HostSuites() {
    if (current == this)
        current = nullptr;
}

ColorServicesProc HostSuites::colorServices() const {
    return &ColorServicesProcedure;
}

ColorServicesProc HostSuites::failingColorServices() const {
    return &FailingColorServicesProcedure;
}

int HostSuites::OutstandingTotal() const {
    int total = 0;
    for (const auto& entry : outstanding)
        total += entry.second;
    return total;
}

SPErr HostSuites::Acquire(const char* name, int32_t version, const void** suite) {
    if (name == nullptr || suite == nullptr)
        return kSPBadParameterError;
    *suite = nullptr;
    const std::string key = name;
    ++acquireCalls[key];
    if (withheld.count(key) != 0)
        return kSPSuiteNotFoundError;
    const auto versions = withheldVersions.find(key);
    if (versions != withheldVersions.end() && versions->second.count(version) != 0)
        return kSPSuiteNotFoundError;
    const void* table = nullptr;
    if (key == kPSColorSpaceSuite && version == kPSColorSpaceSuiteVersion1)
        table = &colorSpace_;
    else if (key == kPSChannelPortsSuite &&
             (version == kPSChannelPortsSuiteVersion2 || version == kPSChannelPortsSuiteVersion3))
        table = &ports_;
    else if (key == kPSActionDescriptorSuite &&
             (version == kPSActionDescriptorSuiteVersion2 || version == kPSActionDescriptorSuiteVersion3))
        table = actions_.descriptorSuite();
    else if (key == kPSActionReferenceSuite && version == kPSActionReferenceSuiteVersion2)
        table = actions_.referenceSuite();
    else if (key == kPSBasicActionControlSuite && (version == 1 || version == 2))
        table = actions_.controlSuite();
    else if (key == kPSDescriptorRegistrySuite && version == kPSDescriptorRegistrySuiteVersion1)
        table = actions_.registrySuite();
    if (table == nullptr)
        return kSPSuiteNotFoundError;
    *suite = table;
    ++outstanding[key];
    return kSPNoError;
}

SPErr HostSuites::Release(const char* name, int32_t) {
    if (name == nullptr)
        return kSPBadParameterError;
    auto found = outstanding.find(name);
    if (found == outstanding.end() || found->second == 0) {
        ++unmatchedReleases;
        return kSPBadParameterError;
    }
    --found->second;
    return kSPNoError;
}

bool HostSuites::PortIsValid(PIChannelPort port) const {
    if (description_ == nullptr || port == nullptr)
        return false;
    for (const auto& candidate : description_->ports)
        if (reinterpret_cast<PIChannelPort>(candidate.get()) == port)
            return true;
    return false;
}

// Copies the port's plane from `source` (document coordinates) into `destination`, whose first
// pixel stands for the top left corner of `target`; a source of another size is sampled at the
// nearest pixel. Only the part inside the document is written; `read` receives it.
OSErr HostSuites::ReadPort(PIChannelPort port, const VRect& source, const VRect& target,
                           const PixelMemoryDesc* destination, VRect* read) {
    if (!PortIsValid(port))
        return errUnknownPort;
    if (destination == nullptr || destination->data == nullptr)
        return paramErr;
    const auto* channel = reinterpret_cast<const Port*>(port);
    const bool target16 = channel->layer < 0 && document_->depth == 16;
    const int32_t depth = target16 ? 16 : 8;
    if (destination->depth != depth)
        return errUnsupportedDepth;
    if (destination->colBits % 8 != 0 || destination->rowBits % 8 != 0 || destination->bitOffset % 8 != 0)
        return errUnsupportedBitOffset;
    const int64_t sourceHeight = int64_t(source.bottom) - source.top, sourceWidth = int64_t(source.right) - source.left;
    const int64_t targetHeight = int64_t(target.bottom) - target.top, targetWidth = int64_t(target.right) - target.left;
    *read = VRect{0, 0, 0, 0};
    if (sourceHeight <= 0 || sourceWidth <= 0 || targetHeight <= 0 || targetWidth <= 0)
        return noErr;

    const std::vector<uint8_t>* pixels = &document_->pixels;
    int64_t planes = document_->planes();
    if (channel->layer >= 0) {
        const Layer& layer = document_->layers[size_t(channel->layer)];
        pixels = &layer.pixels;
        planes = document_->colorPlanes + (layer.hasTransparency ? 1 : 0);
    }
    const int64_t bytes = depth / 8;
    const VRect inside = Intersect(source, VRect{0, 0, document_->height, document_->width});
    auto* out = static_cast<uint8_t*>(destination->data);
    for (int64_t i = 0; i < targetHeight; ++i) {
        const int64_t y = source.top + i * sourceHeight / targetHeight;
        if (y < inside.top || y >= inside.bottom)
            continue;
        for (int64_t j = 0; j < targetWidth; ++j) {
            const int64_t x = source.left + j * sourceWidth / targetWidth;
            if (x < inside.left || x >= inside.right)
                continue;
            const uint8_t* from = pixels->data() + ((y * document_->width + x) * planes + channel->plane) * bytes;
            uint8_t* to = out + (i * destination->rowBits + j * destination->colBits + destination->bitOffset) / 8;
            std::memcpy(to, from, size_t(bytes));
        }
    }
    *read = sourceHeight == targetHeight && sourceWidth == targetWidth ? inside : target;
    return noErr;
}

ReadImageDocumentDesc* HostSuites::Describe() {
    description_ = std::make_unique<Description>();
    Description& d = *description_;
    ReadImageDocumentDesc& doc = d.document;
    doc.minVersion = 0;
    doc.maxVersion = document_->describeLayers ? kReadImageDocDescLayersVersion : 1;
    doc.imageMode = document_->mode;
    doc.depth = document_->depth;
    doc.bounds = VRect{0, 0, document_->height, document_->width};
    doc.hResolution = doc.vResolution = 72 << 16;

    // The channels of one layer as a linked list; the transparency channel separately.
    auto channels = [&](int layer, int colorPlanes, bool transparency, ReadChannelDesc** composite,
                        ReadChannelDesc** alpha) {
        static const int16_t rgbTypes[] = {ctRed, ctGreen, ctBlue};
        static const int16_t cmykTypes[] = {ctCyan, ctMagenta, ctYellow, ctBlack};
        ReadChannelDesc** link = composite;
        const int planes = colorPlanes + (transparency ? 1 : 0);
        for (int plane = 0; plane < planes; ++plane) {
            d.ports.push_back(std::make_unique<Port>(Port{layer, plane}));
            auto channel = std::make_unique<ReadChannelDesc>();
            channel->minVersion = 0;
            channel->maxVersion = 0;
            channel->port = reinterpret_cast<PIChannelPort>(d.ports.back().get());
            channel->bounds = doc.bounds;
            channel->depth = layer < 0 ? document_->depth : 8;
            channel->tileSize = VPoint{std::max(1, document_->height), std::max(1, document_->width)};
            channel->target = layer < 0;
            channel->shown = 1;
            const bool isAlpha = plane == colorPlanes;
            channel->channelType = isAlpha                         ? ctTransparency
                                   : colorPlanes == 4 && plane < 4 ? cmykTypes[plane]
                                   : colorPlanes == 3 && plane < 3 ? rgbTypes[plane]
                                                                   : ctUnspecified;
            ReadChannelDesc* raw = channel.get();
            d.channels.push_back(std::move(channel));
            if (isAlpha) {
                *alpha = raw;
            } else {
                *link = raw;
                link = &raw->next;
            }
        }
    };

    channels(-1, document_->colorPlanes, document_->hasTransparency, &doc.targetCompositeChannels,
             &doc.targetTransparency);
    doc.mergedCompositeChannels = doc.targetCompositeChannels;
    doc.mergedTransparency = doc.targetTransparency;
    if (doc.maxVersion < kReadImageDocDescLayersVersion)
        return &doc;

    ReadLayerDesc** link = &doc.layersDescriptor;
    const size_t count = document_->layers.empty() ? 1 : document_->layers.size();
    for (size_t i = 0; i < count; ++i) {
        const bool isTarget = document_->layers.empty() || int(i) == document_->targetLayer;
        const Layer* layer = document_->layers.empty() ? nullptr : &document_->layers[i];
        auto record = std::make_unique<ReadLayerDesc>();
        record->minVersion = 0;
        record->maxVersion = 0;
        if (isTarget) {
            channels(-1, document_->colorPlanes, document_->hasTransparency, &record->compositeChannelsList,
                     &record->transparency);
        } else {
            channels(int(i), document_->colorPlanes, layer->hasTransparency, &record->compositeChannelsList,
                     &record->transparency);
        }
        const std::string& name = layer != nullptr ? layer->name : document_->targetName;
        d.unicodeNames.push_back(std::make_unique<std::u16string>(name.begin(), name.end()));
        record->unicodeName = reinterpret_cast<const uint16_t*>(d.unicodeNames.back()->c_str());
        ReadLayerDesc* raw = record.get();
        d.layers.push_back(std::move(record));
        *link = raw;
        link = &raw->next;
    }
    doc.layerCount = int32_t(count);
    return &doc;
}

} // namespace host
