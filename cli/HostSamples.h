#pragma once
// A file's 16-bit samples run from 0 to 65535, the host's from 0 to 32768. Every host value stands
// for one or two neighbouring file values, so the way there and back alone would move half of
// the file's values by one. One bit a sample says which of the two the file held: a sample whose
// host value the filter leaves as it was goes back to the file exactly as it came, and a changed
// one becomes a file value that reads back as the value the filter wrote.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cli {

// The host's value for a file sample, rounded to the nearest.
inline uint16_t HostFromFile(uint16_t value) {
    return uint16_t((uint32_t(value) * 32768 + 32767) / 65535);
}

// The file value nearest a host value (values above 32768 count as 32768).
inline uint16_t FileFromHost(uint16_t value) {
    return uint16_t((uint32_t(std::min<uint16_t>(value, 32768)) * 65535 + 16384) / 32768);
}

// Turns `count` 16-bit file samples (this machine's byte order) into host values in place.
// Pixels have `samplesPerPixel` samples, of which the first `inverted` are stored the other way
// round in the host (CMYK inks: 0 in the file, 32768 in the host, is no ink). `bits` receives one
// bit a sample: set when the file held not the value FileFromHost gives but the other one.
void SamplesToHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted, std::vector<uint8_t>* bits);

// The way back: host values into file samples in place, with the bits SamplesToHost gave.
void SamplesFromHost(uint8_t* samples, size_t count, int samplesPerPixel, int inverted,
                     const std::vector<uint8_t>& bits);

} // namespace cli
