#pragma once
// How the host lays out the pixels of a document (samples a pixel, colour planes, bytes a
// sample), and the conversions between its rows and the engine's pixels of four samples (red,
// green, blue, transparency).

#include <cstdint>

// The top of the host's 16-bit sample range (0..32768).
constexpr uint16_t kWideSampleMax = 32768;

struct DocumentFormat {
    int planes = 0;      // samples a pixel the host delivers
    int colors = 3;      // colour planes of the mode: 1 grey, 3 RGB, 4 CMYK
    int sampleBytes = 1; // 1, or 2 for samples of 0..32768
    // Fewer samples than colours (one channel of a colour document shown alone): the samples
    // are taken as they are, without conversion or transparency.
    bool direct() const { return planes < colors; }
    bool cmyk() const { return colors == 4 && !direct(); }
    bool grey() const { return colors == 1; }
    // The plane after the colours, when there is one.
    bool transparency() const { return !direct() && planes > colors; }
    int64_t pixelBytes() const { return int64_t(planes) * sampleBytes; }
};

// The format of a document of `mode` (one of the plugInMode values) and `depth` bits a sample.
DocumentFormat DocumentFormatOf(int16_t mode, int32_t depth, int16_t planes);

// A 16-bit sample to 8 bits and back, rounded to the nearest.
inline uint8_t NarrowSample(uint16_t sample) {
    const uint32_t clamped = sample < kWideSampleMax ? sample : kWideSampleMax;
    return uint8_t((clamped * 255u + kWideSampleMax / 2) / kWideSampleMax);
}
inline uint16_t WidenSample(uint8_t sample) {
    return uint16_t((uint32_t(sample) * kWideSampleMax + 127u) / 255u);
}

// Samples of `From` as samples of `To`: the same type unchanged, 16 bits narrowed to 8.
template <class To, class From> To SampleAs(From sample);
template <> inline uint8_t SampleAs<uint8_t, uint8_t>(uint8_t sample) {
    return sample;
}
template <> inline uint16_t SampleAs<uint16_t, uint16_t>(uint16_t sample) {
    return sample;
}
template <> inline uint8_t SampleAs<uint8_t, uint16_t>(uint16_t sample) {
    return NarrowSample(sample);
}
template <> inline uint16_t SampleAs<uint16_t, uint8_t>(uint8_t sample) {
    return WidenSample(sample);
}

// The opaque value of a sample type.
template <class Sample> constexpr Sample OpaqueSample() {
    return sizeof(Sample) == 1 ? Sample(255) : Sample(kWideSampleMax);
}

// `count` pixels of a host row (samples of `From`) as pixels of four samples of `To`: grey
// is repeated into the three colours, a lone channel too, and a document without transparency
// is opaque. Not for CMYK, which needs the host's conversion.
template <class To, class From> void RowToPixels(const From* in, const DocumentFormat& format, int64_t count, To* out) {
    const int64_t planes = format.planes;
    const int64_t last = (format.planes < format.colors ? format.planes : format.colors) - 1;
    const int64_t green = last < 1 ? last : 1, blue = last < 2 ? last : 2;
    const bool alpha = format.transparency();
    for (int64_t x = 0; x < count; ++x, in += planes, out += 4) {
        out[0] = SampleAs<To>(in[0]);
        out[1] = SampleAs<To>(in[green]);
        out[2] = SampleAs<To>(in[blue]);
        out[3] = alpha ? SampleAs<To>(in[format.colors]) : OpaqueSample<To>();
    }
}
