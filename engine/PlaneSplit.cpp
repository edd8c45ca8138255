#include "engine/PlaneSplit.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void SplitPixel(const uint8_t* pixel, uint8_t* planes, size_t planeSize, size_t i, bool weighted) {
    if (weighted) {
        const float a = static_cast<float>(pixel[3]) / 255.0f;
        for (int k = 0; k < 3; ++k)
            planes[k * planeSize + i] = static_cast<uint8_t>(static_cast<int>(static_cast<float>(pixel[k]) * a));
    } else {
        for (int k = 0; k < 3; ++k)
            planes[k * planeSize + i] = pixel[k];
    }
    planes[3 * planeSize + i] = pixel[3];
}

void JoinPixel(const uint8_t* planes, size_t planeSize, uint8_t* pixel, size_t i, bool raiseTransparency) {
    uint8_t alpha = planes[3 * planeSize + i];
    for (int k = 0; k < 3; ++k) {
        pixel[k] = planes[k * planeSize + i];
        if (raiseTransparency && pixel[k] > alpha)
            alpha = pixel[k];
    }
    pixel[3] = alpha;
}

#if defined(__SSE2__)
// Byte `shift / 8` of each 32-bit pixel, as 32-bit lanes.
inline __m128i Channel(__m128i pixels, int shift) {
    return _mm_and_si128(_mm_srl_epi32(pixels, _mm_cvtsi32_si128(shift)), _mm_set1_epi32(0xFF));
}

// The same products as SplitPixel, four pixels at a time.
inline __m128i Weighted(__m128i channel, __m128 a) {
    return _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(channel), a));
}

// Sixteen 32-bit lanes of values 0..255 as sixteen bytes.
inline __m128i PackBytes(__m128i a, __m128i b, __m128i c, __m128i d) {
    return _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
}
#endif

} // namespace

void SplitPlanes(const uint8_t* pixels, uint8_t* planes, size_t planeSize, size_t begin, size_t end, bool weighted) {
    if (end > begin)
        SplitPixelRun(pixels + 4 * begin, planes, planeSize, begin, end - begin, weighted);
}

void SplitPixelRun(const uint8_t* run, uint8_t* planes, size_t planeSize, size_t first, size_t count, bool weighted) {
    // Pixel i of the planes is run[4 * (i - first)].
    const size_t begin = first, end = first + count;
    const auto pixelAt = [&](size_t i) { return run + 4 * (i - first); };
    size_t i = begin;
#if defined(__SSE2__)
    for (; i + 16 <= end; i += 16) {
        __m128i quads[4];
        __m128i channels[4][4];
        for (int q = 0; q < 4; ++q) {
            quads[q] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixelAt(i + 4 * q)));
            for (int k = 0; k < 4; ++k)
                channels[k][q] = Channel(quads[q], 8 * k);
            if (weighted) {
                const __m128 a = _mm_div_ps(_mm_cvtepi32_ps(channels[3][q]), _mm_set1_ps(255.0f));
                for (int k = 0; k < 3; ++k)
                    channels[k][q] = Weighted(channels[k][q], a);
            }
        }
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = PackBytes(channels[k][0], channels[k][1], channels[k][2], channels[k][3]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(planes + k * planeSize + i), bytes);
        }
    }
#endif
    for (; i < end; ++i)
        SplitPixel(pixelAt(i), planes, planeSize, i, weighted);
}

void JoinPlanes(const uint8_t* planes, size_t planeSize, uint8_t* pixels, size_t begin, size_t end,
                bool raiseTransparency) {
    if (end > begin)
        JoinPixelRun(planes, planeSize, pixels + 4 * begin, begin, end - begin, raiseTransparency);
}

void JoinPixelRun(const uint8_t* planes, size_t planeSize, uint8_t* run, size_t first, size_t count,
                  bool raiseTransparency) {
    // Pixel i of the planes is run[4 * (i - first)].
    const size_t begin = first, end = first + count;
    const auto pixelAt = [&](size_t i) { return run + 4 * (i - first); };
    size_t i = begin;
#if defined(__SSE2__)
    for (; i + 16 <= end; i += 16) {
        __m128i p[4];
        for (int k = 0; k < 4; ++k)
            p[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes + k * planeSize + i));
        if (raiseTransparency)
            p[3] = _mm_max_epu8(_mm_max_epu8(p[3], p[0]), _mm_max_epu8(p[1], p[2]));
        const __m128i redGreenLow = _mm_unpacklo_epi8(p[0], p[1]);
        const __m128i redGreenHigh = _mm_unpackhi_epi8(p[0], p[1]);
        const __m128i blueAlphaLow = _mm_unpacklo_epi8(p[2], p[3]);
        const __m128i blueAlphaHigh = _mm_unpackhi_epi8(p[2], p[3]);
        __m128i* out = reinterpret_cast<__m128i*>(pixelAt(i));
        _mm_storeu_si128(out + 0, _mm_unpacklo_epi16(redGreenLow, blueAlphaLow));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(redGreenLow, blueAlphaLow));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(redGreenHigh, blueAlphaHigh));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(redGreenHigh, blueAlphaHigh));
    }
#endif
    for (; i < end; ++i)
        JoinPixel(planes, planeSize, pixelAt(i), i, raiseTransparency);
}

void SplitPlanes(const uint16_t* pixels, uint16_t* planes, size_t planeSize, size_t begin, size_t end, bool weighted) {
    if (end > begin)
        SplitPixelRun(pixels + 4 * begin, planes, planeSize, begin, end - begin, weighted);
}

void SplitPixelRun(const uint16_t* run, uint16_t* planes, size_t planeSize, size_t first, size_t count, bool weighted) {
    for (size_t i = first; i < first + count; ++i) {
        const uint16_t* pixel = run + 4 * (i - first);
        const float a = static_cast<float>(pixel[3]) / 32768.0f;
        for (int k = 0; k < 3; ++k)
            planes[k * planeSize + i] =
                weighted ? static_cast<uint16_t>(static_cast<int>(static_cast<float>(pixel[k]) * a)) : pixel[k];
        planes[3 * planeSize + i] = pixel[3];
    }
}

void JoinPlanes(const uint16_t* planes, size_t planeSize, uint16_t* pixels, size_t begin, size_t end,
                bool raiseTransparency) {
    if (end > begin)
        JoinPixelRun(planes, planeSize, pixels + 4 * begin, begin, end - begin, raiseTransparency);
}

void JoinPixelRun(const uint16_t* planes, size_t planeSize, uint16_t* run, size_t first, size_t count,
                  bool raiseTransparency) {
    for (size_t i = first; i < first + count; ++i) {
        uint16_t* pixel = run + 4 * (i - first);
        uint16_t alpha = planes[3 * planeSize + i];
        for (int k = 0; k < 3; ++k) {
            pixel[k] = planes[k * planeSize + i];
            if (raiseTransparency && pixel[k] > alpha)
                alpha = pixel[k];
        }
        pixel[3] = alpha;
    }
}
