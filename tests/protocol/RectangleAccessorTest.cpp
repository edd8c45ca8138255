// The rectangle accessors choose between the host's 16-bit and 32-bit rectangles.
#include "plugin/Globals.h"
#include "plugin/Rectangles.h"

#include <gtest/gtest.h>

namespace {

class RectangleAccessors : public ::testing::Test {
protected:
    void SetUp() override {
        gFilterRecord = &record;
        record.bigDocumentData = nullptr;
    }
    void TearDown() override { gFilterRecord = nullptr; }
    void UseBigDocument() {
        record.bigDocumentData = &big;
        big.PluginUsing32BitCoordinates = 1;
    }
    FilterRecord record{};
    BigDocumentStruct big{};
};

TEST_F(RectangleAccessors, SixteenBitValuesAreSignExtended) {
    record.filterRect = Rect{-5, -7, 100, 32767};
    const VRect r = GetFilterRect();
    EXPECT_EQ(r.top, -5);
    EXPECT_EQ(r.left, -7);
    EXPECT_EQ(r.bottom, 100);
    EXPECT_EQ(r.right, 32767);
    record.floatCoord = Point{-3, 12};
    EXPECT_EQ(GetFloatCoord().v, -3);
    EXPECT_EQ(GetFloatCoord().h, 12);
}

TEST_F(RectangleAccessors, WideAreasKeepTheirValuesOnlyWithBigDocuments) {
    const VRect wide{0, 0, 10, 40000};
    SetOutRect(wide);
    EXPECT_EQ(record.outRect.right, int16_t(40000 - 65536)); // low 16 bits only

    UseBigDocument();
    SetOutRect(wide);
    SetInRect(wide);
    SetMaskRect(wide);
    EXPECT_EQ(big.outRect32.right, 40000);
    EXPECT_EQ(big.inRect32.right, 40000);
    EXPECT_EQ(big.maskRect32.right, 40000);
    EXPECT_EQ(GetOutRect().right, 40000);
}

TEST_F(RectangleAccessors, FlagOffMeansSixteenBitEvenWithABigDocumentRecord) {
    record.bigDocumentData = &big;
    big.PluginUsing32BitCoordinates = 0;
    big.filterRect32 = VRect{1, 2, 3, 4};
    record.filterRect = Rect{5, 6, 7, 8};
    EXPECT_EQ(GetFilterRect().top, 5);
    big.PluginUsing32BitCoordinates = 1;
    EXPECT_EQ(GetFilterRect().top, 1);
}

TEST_F(RectangleAccessors, SixteenBitFormsNarrowAndWiden) {
    UseBigDocument();
    big.filterRect32 = VRect{0, 0, 70000, 300};
    const Rect narrow = GetFilterRect16();
    EXPECT_EQ(narrow.bottom, int16_t(70000 - 65536));
    EXPECT_EQ(narrow.right, 300);
    SetInRect(Rect{-2, 3, 4, 5});
    EXPECT_EQ(big.inRect32.top, -2);
    EXPECT_EQ(big.inRect32.right, 5);
    EXPECT_EQ(GetInRect16().left, 3);
}

TEST_F(RectangleAccessors, HeightAndWidthNeverOverflowOrGoNegative) {
    const VRect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(RectHeight(huge), int64_t(INT32_MAX) - int64_t(INT32_MIN));
    EXPECT_EQ(RectWidth(VRect{0, 10, 0, 5}), 0);
}

} // namespace
