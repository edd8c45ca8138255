#include "cli/HostSamples.h"

#include "engine/WorkerThreads.h"

#include <cstring>

namespace cli {

namespace {

constexpr uint16_t kHostWhite = 32768;

// The other file value of the same host value as FileFromHost(host), or that one when it is alone.
uint16_t TwinOf(uint16_t host) {
    const uint16_t nearest = FileFromHost(host);
    if (nearest < 65535 && HostFromFile(uint16_t(nearest + 1)) == host)
        return uint16_t(nearest + 1);
    if (nearest > 0 && HostFromFile(uint16_t(nearest - 1)) == host)
        return uint16_t(nearest - 1);
    return nearest;
}

// FileFromHost and TwinOf of every host value, worked out once.
struct FileValues {
    uint16_t nearest[kHostWhite + 1];
    uint16_t twin[kHostWhite + 1];
    FileValues() {
        for (uint32_t host = 0; host <= kHostWhite; ++host) {
            nearest[host] = FileFromHost(uint16_t(host));
            twin[host] = TwinOf(uint16_t(host));
        }
    }
};

const FileValues& FileValuesOfHost() {
    static const FileValues values;
    return values;
}

uint16_t Load(const uint8_t* at) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void Store(uint8_t* at, uint16_t value) {
    std::memcpy(at, &value, sizeof value);
}

// One share of an image's samples for one worker: whole groups of 8 pixels, so that each share
// starts a pixel and a byte of the bits.
struct Shares {
    uint8_t* samples;
    size_t count;
    size_t stride;
    size_t flipped;
    size_t perItem;
    uint8_t* twins;                   // SamplesToHost: the bits it fills
    const std::vector<uint8_t>* bits; // SamplesFromHost: the bits it reads
    size_t Begin(int item) const { return std::min(count, size_t(item) * perItem); }
    size_t End(int item) const { return std::min(count, (size_t(item) + 1) * perItem); }
};

// The place of a sample in its pixel is counted along (no division a sample): the loops below
// run over every sample of an image.
void ToHostItem(void* context, int item) {
    const Shares& s = *static_cast<const Shares*>(context);
    size_t place = 0;
    for (size_t i = s.Begin(item); i < s.End(item); ++i) {
        uint8_t* at = s.samples + i * 2;
        const uint16_t value = Load(at);
        const uint16_t host = HostFromFile(value);
        s.twins[i >> 3] = uint8_t(s.twins[i >> 3] | (unsigned(value != FileFromHost(host)) << (i & 7)));
        Store(at, place < s.flipped ? uint16_t(kHostWhite - host) : host);
        if (++place == s.stride)
            place = 0;
    }
}

void FromHostItem(void* context, int item) {
    const Shares& s = *static_cast<const Shares*>(context);
    const FileValues& file = FileValuesOfHost();
    const std::vector<uint8_t>& bits = *s.bits;
    size_t place = 0;
    for (size_t i = s.Begin(item); i < s.End(item); ++i) {
        uint8_t* at = s.samples + i * 2;
        uint16_t host = std::min(Load(at), kHostWhite);
        if (place < s.flipped)
            host = uint16_t(kHostWhite - host);
        if (++place == s.stride)
            place = 0;
        const bool twin = (i >> 3) < bits.size() && ((bits[i >> 3] >> (i & 7)) & 1) != 0;
        Store(at, twin ? file.twin[host] : file.nearest[host]);
    }
}

// Runs `step` over the samples in shares on the engine's worker threads.
void RunShares(void (*step)(void*, int), Shares shares) {
    const size_t group = 8 * shares.stride;
    const long long pixels = static_cast<long long>(shares.count / shares.stride);
    const int threads = RenderThreadCount(pixels);
    const size_t items = size_t(threads) * 4;
    shares.perItem = std::max<size_t>(group, (shares.count / items + group - 1) / group * group);
    const int itemCount = int((shares.count + shares.perItem - 1) / shares.perItem);
    RunWorkItems(itemCount, threads, step, nullptr, &shares);
}

} // namespace

void SamplesToHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted, std::vector<uint8_t>* bits) {
    bits->assign((count + 7) / 8, 0);
    if (count == 0)
        return;
    RunShares(&ToHostItem, Shares{samples, count, size_t(std::max(samplesPerPixel, 1)), size_t(std::max(inverted, 0)),
                                  0, bits->data(), nullptr});
}

void SamplesFromHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted,
                     const std::vector<uint8_t>& bits) {
    if (count == 0)
        return;
    RunShares(&FromHostItem, Shares{samples, count, size_t(std::max(samplesPerPixel, 1)), size_t(std::max(inverted, 0)),
                                    0, nullptr, &bits});
}

} // namespace cli
