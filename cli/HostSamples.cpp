#include "cli/HostSamples.h"

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

uint16_t Load(const uint8_t* at) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void Store(uint8_t* at, uint16_t value) {
    std::memcpy(at, &value, sizeof value);
}

} // namespace

void SamplesToHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted, std::vector<uint8_t>* bits) {
    bits->assign((count + 7) / 8, 0);
    const size_t stride = size_t(samplesPerPixel);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* at = samples + i * 2;
        const uint16_t value = Load(at);
        const uint16_t host = HostFromFile(value);
        if (value != FileFromHost(host))
            (*bits)[i / 8] = uint8_t((*bits)[i / 8] | (1u << (i % 8)));
        Store(at, i % stride < size_t(inverted) ? uint16_t(kHostWhite - host) : host);
    }
}

void SamplesFromHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted,
                     const std::vector<uint8_t>& bits) {
    const size_t stride = size_t(samplesPerPixel);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* at = samples + i * 2;
        uint16_t host = std::min(Load(at), kHostWhite);
        if (i % stride < size_t(inverted))
            host = uint16_t(kHostWhite - host);
        const bool twin = i / 8 < bits.size() && (bits[i / 8] >> (i % 8)) & 1;
        Store(at, twin ? TwinOf(host) : FileFromHost(host));
    }
}

} // namespace cli
