#include "engine/Noise.h"

#include "engine/NoiseConstants.h"

#include <array>

namespace {

constexpr std::array<uint8_t, 256> kPermutation = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103, 30,  69,  142,
    8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,  197, 62,  94,  252, 219, 203,
    117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174, 20,  125, 136, 171, 168, 68,  175, 74,  165,
    71,  134, 139, 48,  27,  166, 77,  146, 158, 231, 83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,
    55,  46,  245, 40,  244, 102, 143, 54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,
    18,  169, 200, 196, 135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250,
    124, 123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,  182, 189,
    28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101, 155, 167, 43,  172, 9,
    129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185, 112, 104, 218, 246, 97,  228, 251, 34,
    242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,  51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,
    181, 199, 106, 157, 184, 84,  204, 176, 115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114,
    67,  29,  24,  72,  243, 141, 128, 195, 78,  66,  215, 61,  156, 180,
};

constexpr std::array<uint8_t, 512> RepeatedPermutation() {
    std::array<uint8_t, 512> table{};
    for (int k = 0; k < 512; ++k)
        table[k] = kPermutation[k & 255];
    return table;
}

constexpr std::array<int32_t, 511> PermutationNeighbours() {
    std::array<int32_t, 511> pairs{};
    for (int k = 0; k < 511; ++k)
        pairs[k] = kPermutation[k & 255] | (kPermutation[(k + 1) & 255] << 16);
    return pairs;
}

float Corner(int hash, float x, float y) {
    const float t = (0.5f - x * x) - y * y;
    if (t < 0.0f)
        return 0.0f;
    return ((t * t) * t) * t * NoiseGradient(hash, x, y);
}

float Octave(double scale, float x, float y) {
    return SimplexNoise2(static_cast<float>(scale * x), static_cast<float>(scale * y));
}

} // namespace

const std::array<uint8_t, 512> PermutationTable = RepeatedPermutation();
const std::array<int32_t, 511> PermutationPairs = PermutationNeighbours();

int32_t TruncateTowardZero(float t) {
    if (t >= -2147483648.0f && t < 2147483648.0f)
        return static_cast<int32_t>(t);
    return INT32_MIN;
}

int32_t NoiseCell(float t) {
    const int32_t truncated = TruncateTowardZero(t);
    return t > 0.0f ? truncated : static_cast<int32_t>(static_cast<uint32_t>(truncated) - 1u);
}

float NoiseGradient(int hash, float x, float y) {
    const int h = hash & 7;
    const float u = h < 4 ? x : y;
    const float v = h < 4 ? y : x;
    return ((h & 1) ? -u : u) + ((h & 2) ? -2.0f * v : 2.0f * v);
}

float SimplexNoise2(float x, float y) {
    // Skew the input space to find the simplex cell (i, j).
    const float s = static_cast<float>((x + y) * kSimplexSkew);
    const int32_t i = NoiseCell(x + s);
    const int32_t j = NoiseCell(y + s);
    // Unskew the cell origin back; x0, y0 are the offsets from it. i + j wraps like the
    // processor's integer addition for cells far out.
    const int32_t ij = static_cast<int32_t>(static_cast<uint32_t>(i) + static_cast<uint32_t>(j));
    const float t = static_cast<float>(ij * kSimplexUnskew);
    const float x0 = x - (static_cast<float>(i) - t);
    const float y0 = y - (static_cast<float>(j) - t);
    // Which of the cell's two triangles: the middle corner is one step in x or one in y.
    const int i1 = x0 > y0 ? 1 : 0;
    const int j1 = x0 > y0 ? 0 : 1;
    const float x1 = static_cast<float>((x0 - static_cast<float>(i1)) + kSimplexUnskew);
    const float y1 = static_cast<float>((y0 - static_cast<float>(j1)) + kSimplexUnskew);
    const float x2 = static_cast<float>((x0 - 1.0f) + kSimplexTwoUnskew);
    const float y2 = static_cast<float>((y0 - 1.0f) + kSimplexTwoUnskew);
    // Hash the three corners; the cell wrapped into 0..255 also for negative cells.
    const int ii = static_cast<int>(static_cast<uint32_t>(i) & 255u);
    const int jj = static_cast<int>(static_cast<uint32_t>(j) & 255u);
    const int g0 = PermutationTable[ii + PermutationTable[jj]];
    const int g1 = PermutationTable[ii + i1 + PermutationTable[jj + j1]];
    const int g2 = PermutationTable[ii + 1 + PermutationTable[jj + 1]];
    const float e0 = Corner(g0, x0, y0);
    const float e1 = Corner(g1, x1, y1);
    const float e2 = Corner(g2, x2, y2);
    return kSimplexScale * ((e0 + e1) + e2);
}

float AddHigherOctaves(float first, float x, float y) {
    double sum = first;
    sum += 0.5 * Octave(2.0, x, y);
    sum += 0.25 * Octave(4.0, x, y);
    sum += 0.125 * Octave(8.0, x, y);
    sum += 0.0625 * Octave(16.0, x, y);
    return static_cast<float>(sum);
}

float FractalNoise(float x, float y) {
    return AddHigherOctaves(SimplexNoise2(x, y), x, y);
}
