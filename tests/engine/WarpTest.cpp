// The pieces of the warp with values checked by hand: the bilinear sample and its edges, the
// turning rule and its fall-back at the buffer's edges, the per-plane frames, the angle wrap.
#include "EngineTestSupport.h"

#include "engine/NoiseConstants.h"
#include "engine/Warp.h"

#include <cmath>
#include <limits>

namespace {

// 4 x 3 plane:
//   10  20  30  40
//   50  60  70  80
//   90 100 110 120
const uint8_t kPlane[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};

TEST(SampleBilinear, InterpolatesBetweenFourBytes) {
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 1.0f, 1.0f), 60.0f);
    EXPECT_FLOAT_EQ(SampleBilinear(kPlane, 4, 3, 1.5f, 1.0f), 65.0f);
    EXPECT_FLOAT_EQ(SampleBilinear(kPlane, 4, 3, 1.0f, 0.5f), 40.0f);
    // (1 - .25)(1 - .5) 60 + .25 (1 - .5) 70 + (1 - .25) .5 100 + .25 .5 110
    EXPECT_FLOAT_EQ(SampleBilinear(kPlane, 4, 3, 1.25f, 1.5f), 82.5f);
}

TEST(SampleBilinear, LastColumnOrRowIsNeverInterpolated) {
    // W - 0.5 on a row that is not the last: the last column's byte, unblended.
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 3.5f, 0.0f), 40.0f);
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 3.5f, 0.7f), 40.0f);
    // A position in the last row: its byte, even between columns.
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 1.5f, 2.25f), 100.0f);
    // Beyond the plane the index is held to it.
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 1e9f, 1.0f), 80.0f);
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 2.0f, 1e30f), 110.0f);
    EXPECT_EQ(SampleBilinear(kPlane, 4, 3, 3.0f, -5.0f), 40.0f);
    // One-pixel planes have nothing to interpolate.
    const uint8_t single = 77;
    EXPECT_EQ(SampleBilinear(&single, 1, 1, 0.6f, 0.3f), 77.0f);
}

TEST(TurnPixel, NoAngleKeepsThePixelWhereItIs) {
    float sx, sy;
    TurnPixel(5.0f, 7.0f, 0.3f, 0.9f, 40.0f, 0.0f, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 5.0f);
    EXPECT_EQ(sy, 7.0f);
}

// A quarter turn about the point two pixels to the right: from (x, y) to about (x + 2, y - 2).
TEST(TurnPixel, TurnsAboutThePointNearThePixel) {
    const float quarter = 1.5707964f;
    float sx, sy;
    TurnPixel(5.0f, 5.0f, 1.0f, 0.0f, 2.0f, quarter, 20, 20, &sx, &sy);
    EXPECT_NEAR(sx, 7.0f, 1e-5f);
    EXPECT_NEAR(sy, 3.0f, 1e-5f);
    // The opposite strength: the centre on the other side and the opposite angle.
    TurnPixel(5.0f, 5.0f, 1.0f, 0.0f, -2.0f, -quarter, 20, 20, &sx, &sy);
    EXPECT_NEAR(sx, 3.0f, 1e-5f);
    EXPECT_NEAR(sy, 3.0f, 1e-5f);
}

TEST(TurnPixel, AnAxisThatLeavesTheBufferKeepsThePixelsOwnCoordinate) {
    const float quarter = 1.5707964f;
    float sx, sy;
    // x would be 21 (beyond W = 20): the pixel's own column; y = 3 is kept.
    TurnPixel(19.0f, 5.0f, 1.0f, 0.0f, 2.0f, quarter, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 19.0f);
    EXPECT_NEAR(sy, 3.0f, 1e-5f);
    // y would be -1: the pixel's own row; x = 7 is kept.
    TurnPixel(5.0f, 1.0f, 1.0f, 0.0f, 2.0f, quarter, 20, 20, &sx, &sy);
    EXPECT_NEAR(sx, 7.0f, 1e-5f);
    EXPECT_EQ(sy, 1.0f);
    // Just left of the buffer (-0.2): own column whatever the row.
    TurnPixel(1.8f, 4.0f, -1.0f, 0.0f, 1.0f, 3.1415927f, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 1.8f);
    // Exactly W is outside.
    TurnPixel(18.0f, 4.0f, 1.0f, 0.0f, 1.0f, 3.1415927f, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 18.0f);
}

TEST(TurnPixel, NotFiniteTurnsFallBackToThePixel) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float sx, sy;
    TurnPixel(3.0f, 4.0f, 0.5f, 0.5f, 10.0f, nan, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 3.0f);
    EXPECT_EQ(sy, 4.0f);
    TurnPixel(3.0f, 4.0f, 0.5f, 0.5f, inf, 0.5f, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 3.0f);
    EXPECT_EQ(sy, 4.0f);
    TurnPixel(3.0f, 4.0f, nan, 0.0f, 1.0f, 0.5f, 20, 20, &sx, &sy);
    EXPECT_EQ(sx, 3.0f);
    EXPECT_EQ(sy, 4.0f);
}

DistortionContext FrameContext() {
    DistortionContext context;
    context.bufferWidth = 120;
    context.bufferHeight = 80;
    context.areaWidth = 200;
    context.areaHeight = 100;
    context.offsetX = 10;
    context.offsetY = 4;
    context.zoom = 2.0f;
    context.strength = 40.0f;
    context.frequency = 0.02f;
    context.proportionFactor = 0.2f;
    return context;
}

FilterParameters FrameParameters() {
    FilterParameters parameters = engine_test::Effect(Turbulence, 40.0f);
    parameters.randomSeed = 1.0f;
    parameters.centerX = 100.0f;
    parameters.centerY = -50.0f;
    return parameters;
}

TEST(CartesianFrame, StrengthFrequencyProportionAndOrigin) {
    const CartesianFrame frame = CartesianFrameOf(FrameContext(), FrameParameters());
    EXPECT_FLOAT_EQ(frame.a, 0.2f);          // 40 / 2 / 100
    EXPECT_FLOAT_EQ(frame.distance, 30.0f);  // 150 A
    EXPECT_FLOAT_EQ(frame.distance2, 75.0f); // 2.5 D
    EXPECT_FLOAT_EQ(frame.frequencyX, 0.02f);
    EXPECT_FLOAT_EQ(frame.frequencyY, 0.04f); // stretched by 1 + 5 * 0.2

    DistortionContext context = FrameContext();
    context.proportionFactor = -0.4f;
    const CartesianFrame stretched = CartesianFrameOf(context, FrameParameters());
    EXPECT_FLOAT_EQ(stretched.frequencyX, 0.06f); // 1 - 5 * -0.4
    EXPECT_FLOAT_EQ(stretched.frequencyY, 0.02f);
}

// Where the pattern sits on the image, in image pixels: the noise of view pixel x is read at
// (x + originX) * zoom, and that pixel shows image pixel (x + offsetX) * zoom.
struct PatternShift {
    float x, y;
};
PatternShift ShiftOnImage(const DistortionContext& context, const FilterParameters& parameters) {
    const CartesianFrame frame = CartesianFrameOf(context, parameters);
    return {(frame.originX - static_cast<float>(context.offsetX)) * context.zoom,
            (frame.originY - static_cast<float>(context.offsetY)) * context.zoom};
}

TEST(CartesianFrame, ThePatternStaysOnTheImageWhileTheViewMoves) {
    FilterParameters parameters = FrameParameters();
    parameters.randomSeed = 0.0f;
    const PatternShift base = ShiftOnImage(FrameContext(), parameters);
    DistortionContext scrolled = FrameContext();
    scrolled.offsetX += 37;
    scrolled.offsetY += 11;
    EXPECT_FLOAT_EQ(ShiftOnImage(scrolled, parameters).x, base.x);
    EXPECT_FLOAT_EQ(ShiftOnImage(scrolled, parameters).y, base.y);
    for (float zoom : {1.0f, 3.0f, 8.0f}) {
        DistortionContext zoomed = FrameContext();
        zoomed.zoom = zoom;
        EXPECT_FLOAT_EQ(ShiftOnImage(zoomed, parameters).x, base.x) << zoom;
        EXPECT_FLOAT_EQ(ShiftOnImage(zoomed, parameters).y, base.y) << zoom;
    }
}

// The centre at 100 % moves the pattern by half the area to the left (x) or down (y, which
// counts upwards); a seed moves it by its own factor along each axis, in view pixels.
TEST(CartesianFrame, CentreAndSeedMoveThePattern) {
    DistortionContext context = FrameContext();
    FilterParameters still = FrameParameters();
    still.randomSeed = still.centerX = still.centerY = 0.0f;
    EXPECT_EQ(ShiftOnImage(context, still).x, 0.0f);
    EXPECT_EQ(ShiftOnImage(context, still).y, 0.0f);

    FilterParameters right = still;
    right.centerX = 100.0f;
    EXPECT_FLOAT_EQ(ShiftOnImage(context, right).x, -static_cast<float>(context.areaWidth) / 2);
    FilterParameters up = still;
    up.centerY = 100.0f;
    EXPECT_FLOAT_EQ(ShiftOnImage(context, up).y, static_cast<float>(context.areaHeight) / 2);

    context.zoom = 1.0f;
    FilterParameters seeded = still;
    seeded.randomSeed = 2.0f;
    EXPECT_FLOAT_EQ(ShiftOnImage(context, seeded).x, -2.0f * kSeedFactorX);
    EXPECT_FLOAT_EQ(ShiftOnImage(context, seeded).y, 2.0f * kSeedFactorY);
}

TEST(PolarFrame, StrengthFrequencyProportionAndEmitter) {
    const PolarFrame frame = PolarFrameOf(FrameContext(), FrameParameters());
    EXPECT_FLOAT_EQ(frame.a, 0.3f);         // 1.5 * 40 / 2 / 100
    EXPECT_FLOAT_EQ(frame.distance, 45.0f); // 150 A'
    EXPECT_FLOAT_EQ(frame.radialFrequency, 0.04f);
    EXPECT_FLOAT_EQ(frame.angularScale, 2.0f); // 100 * 0.02
    EXPECT_FLOAT_EQ(frame.centerX, 200.0f);    // the right edge of a 200 wide area
    EXPECT_FLOAT_EQ(frame.centerY, 75.0f);     // half way down the lower half

    DistortionContext context = FrameContext();
    context.areaWidth = 201; // w / 2 is an integer division
    context.proportionFactor = -0.2f;
    FilterParameters parameters = FrameParameters();
    parameters.centerX = 0.0f;
    const PolarFrame odd = PolarFrameOf(context, parameters);
    EXPECT_EQ(odd.centerX, 100.0f);
    EXPECT_FLOAT_EQ(odd.radialFrequency, 0.02f);
    EXPECT_FLOAT_EQ(odd.angularScale, 4.0f);
}

TEST(WrapAngle, BringsAnglesIntoOneTurn) {
    const double twoPi = 2.0 * 3.141592653589793;
    EXPECT_EQ(WrapAngle(1.0f), 1.0f);
    EXPECT_EQ(WrapAngle(0.0f), 0.0f);
    EXPECT_EQ(WrapAngle(-1.0f), static_cast<float>(-1.0 + twoPi));
    EXPECT_EQ(WrapAngle(20.0f), static_cast<float>(20.0 - 3 * twoPi));
    EXPECT_EQ(WrapAngle(-20.0f), static_cast<float>(-20.0 + 4 * twoPi));
    EXPECT_TRUE(std::isnan(WrapAngle(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(WrapAngle(std::numeric_limits<float>::infinity())));
}

} // namespace
