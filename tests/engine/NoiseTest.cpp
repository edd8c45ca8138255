// The noise the patterns are made of: the permutation, the cell rule, the gradients and the
// values at hand-checked points.
#include "EngineTestSupport.h"

#include "engine/Noise.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

TEST(Noise, PermutationTableIsPerlinsTableTwice) {
    const uint8_t start[] = {151, 160, 137, 91, 90, 15, 131, 13, 201, 95, 96, 53, 194, 233, 7, 225};
    const uint8_t end[] = {215, 61, 156, 180};
    EXPECT_TRUE(std::equal(std::begin(start), std::end(start), PermutationTable.begin()));
    EXPECT_TRUE(std::equal(std::begin(end), std::end(end), PermutationTable.begin() + 252));
    EXPECT_TRUE(std::equal(PermutationTable.begin(), PermutationTable.begin() + 256, PermutationTable.begin() + 256));
    std::vector<uint8_t> sorted(PermutationTable.begin(), PermutationTable.begin() + 256);
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < 256; ++k)
        ASSERT_EQ(sorted[k], k);
    for (int k = 0; k < 511; ++k) {
        ASSERT_EQ(PermutationPairs[k] & 0xFFFF, PermutationTable[k]);
        ASSERT_EQ(PermutationPairs[k] >> 16, PermutationTable[k + 1]);
    }
}

// Truncation, minus one unless positive: not a floor (it differs at 0 and negative integers).
TEST(Noise, CellRuleIsTruncationMinusOneUnlessPositive) {
    EXPECT_EQ(NoiseCell(0.0f), -1);
    EXPECT_EQ(NoiseCell(-0.0f), -1);
    EXPECT_EQ(NoiseCell(0.25f), 0);
    EXPECT_EQ(NoiseCell(2.75f), 2);
    EXPECT_EQ(NoiseCell(3.0f), 3);
    EXPECT_EQ(NoiseCell(-0.5f), -1);
    EXPECT_EQ(NoiseCell(-1.0f), -2);
    EXPECT_EQ(NoiseCell(-1.5f), -2);
    // Outside the 32-bit range the processor's conversion answer, wrapped: the same on every build.
    EXPECT_EQ(NoiseCell(3e9f), INT32_MIN);
    EXPECT_EQ(NoiseCell(-3e9f), INT32_MAX);
    EXPECT_EQ(NoiseCell(std::numeric_limits<float>::quiet_NaN()), INT32_MAX);
    EXPECT_EQ(TruncateTowardZero(-2147483648.0f), INT32_MIN);
    EXPECT_EQ(TruncateTowardZero(2147483520.0f), 2147483520);
    EXPECT_EQ(TruncateTowardZero(std::numeric_limits<float>::infinity()), INT32_MIN);
}

TEST(Noise, GradientPicksOneOfEightDirectionsByTheLowThreeBits) {
    const float x = 3.0f;
    const float y = 5.0f;
    const float expected[8] = {x + 2 * y, -x + 2 * y, x - 2 * y, -x - 2 * y,
                               y + 2 * x, -y + 2 * x, y - 2 * x, -y - 2 * x};
    for (int hash = 0; hash < 32; ++hash)
        EXPECT_EQ(NoiseGradient(hash, x, y), expected[hash & 7]) << hash;
}

TEST(Noise, SimplexNoiseAtHandCheckedPoints) {
    // Cell (-1, -1); only the far corner contributes, with an offset of a few 1e-8.
    EXPECT_NEAR(SimplexNoise2(0.0f, 0.0f), -2.8e-8f, 0.05e-8f);
    EXPECT_NE(SimplexNoise2(0.0f, 0.0f), 0.0f);
    EXPECT_NEAR(FractalNoise(0.0f, 0.0f), -5.4e-8f, 0.05e-8f);
    // Between lattice points the pattern is not flat.
    EXPECT_GT(std::fabs(SimplexNoise2(0.3f, 0.6f)), 0.01f);
}

TEST(Noise, ValuesStayInTheirRangeAndNegativeCellsWrapIntoTheTable) {
    float low = 0.0f;
    float high = 0.0f;
    float fractalLow = 0.0f;
    float fractalHigh = 0.0f;
    const int steps = engine_test::Sanitized() ? 150 : 600;
    // Far into negative cells (a seed, a centre right of the middle) and beyond the 32-bit range.
    for (float origin : {-1e6f, -35.5f, 0.0f, 4e3f, 3e9f}) {
        for (int i = 0; i < steps; ++i) {
            for (int j = 0; j < 30; ++j) {
                const float x = origin + static_cast<float>(i) * 0.173f;
                const float y = -origin + static_cast<float>(j) * 0.291f;
                const float n = SimplexNoise2(x, y);
                const float f = FractalNoise(x, y);
                ASSERT_TRUE(std::isfinite(n) && std::isfinite(f)) << x << ", " << y;
                low = std::min(low, n);
                high = std::max(high, n);
                fractalLow = std::min(fractalLow, f);
                fractalHigh = std::max(fractalHigh, f);
            }
        }
    }
    EXPECT_GE(low, -1.0f);
    EXPECT_LE(high, 1.0f);
    EXPECT_LT(low, -0.5f);
    EXPECT_GT(high, 0.5f);
    EXPECT_GE(fractalLow, -1.9f);
    EXPECT_LE(fractalHigh, 1.9f);
}

// Not finite coordinates (from extreme presets) give NaN or a value in range, never an index
// outside the table.
TEST(Noise, NotFiniteCoordinatesStayHarmless) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(SimplexNoise2(nan, 1.0f)));
    EXPECT_TRUE(std::isnan(FractalNoise(1.0f, nan)));
    for (float x : {inf, -inf, 0.0f, 1e38f, -3e38f}) {
        for (float y : {inf, -inf, 0.0f, 2e38f}) {
            EXPECT_FALSE(std::fabs(SimplexNoise2(x, y)) > 1.0f) << x << ", " << y;
            EXPECT_FALSE(std::fabs(FractalNoise(x, y)) > 1.9f) << x << ", " << y;
        }
    }
}

} // namespace
