// The property list, byte for byte, as a host reads it: the resource of Vortiflux64.8bf, and the
// same bytes the Linux library exports; and what strict hosts make of it.
#include "host/PropertyList.h"
#include "TestPlugin.h"
#include "host/EnableExpression.h"

#include <cstring>
#include <vector>

namespace {

// Builds the expected bytes the way the layout is described: header, then for each property
// the vendor, key, id, padded length and padded data.
class ExpectedList {
public:
    ExpectedList() {
        Word(1);
        Long(0);
        Long(12);
    }
    void Property(const char (&key)[5], std::vector<uint8_t> data) {
        while (data.size() % 4 != 0)
            data.push_back(0);
        Long(FourCC("8BIM"));
        Long(FourCC(key));
        Long(0);
        Long(uint32_t(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    std::vector<uint8_t> bytes;

private:
    void Word(uint16_t v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
    void Long(uint32_t v) {
        Word(uint16_t(v));
        Word(uint16_t(v >> 16));
    }
};

std::vector<uint8_t> Le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

std::vector<uint8_t> Pascal(const std::string& s) {
    std::vector<uint8_t> out(s.size() + 1);
    out[0] = uint8_t(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        out[i + 1] = uint8_t(s[i]);
    return out;
}

std::vector<uint8_t> CString(const std::string& s) {
    std::vector<uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(PropertyList, MatchesTheLayoutByteForByte) {
    host::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testing_support::PluginPath(), &error)) << error;

    ExpectedList expected;
    expected.Property("kind", Le32(FourCC("8BFM")));
    expected.Property("name", Pascal("Vortiflux..."));
    expected.Property("catg", Pascal("Nimbrook"));
    // Interface 4.0, read as (major << 16) | minor: hosts refuse anything newer.
    expected.Property("vers", {0x00, 0x00, 0x04, 0x00});
    expected.Property("cmpt", Join({{0x00, 0x00, 0x04, 0x00}, CString("Vortiflux")}));
    expected.Property("8664", CString("PluginMain"));
    expected.Property("mode", {0x58, 0x34, 0x00, 0x00});
    std::vector<uint8_t> terminology = Join({Le32(0),
                                             Le32(FourCC("VxFp")),
                                             Le32(FourCC("VxFp")),
                                             {0x80, 0x3E},
                                             CString("d9543b0c-3c91-11d4-97bc-43c134052017")});
    terminology.resize(56, 0);
    expected.Property("hstm", terminology);
    expected.Property(
        "enbl", CString("in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode, Gray16Mode, RGB48Mode, CMYK64Mode)"));
    expected.Property("ms32", Join({Le32(2000000), Le32(2000000)}));
    expected.Property("flly", {0x80, 0x00, 0x00, 0x00});
    // No case writes outside the selection (flag 0x08): hosts mask and feather the result.
    expected.Property("fici", {1, 1, 6, 0, 1, 1, 6, 0, 1, 1, 6, 0, 1, 1, 6, 0, 1, 1, 6, 0, 1, 1, 6, 0, 1, 1, 6, 0});

    EXPECT_EQ(library.propertyList(), expected.bytes);
    // '8BIM' is stored as the bytes "MIB8".
    ASSERT_GT(library.propertyList().size(), 14u);
    EXPECT_EQ(std::string(library.propertyList().begin() + 10, library.propertyList().begin() + 14), "MIB8");
}

TEST(PropertyList, EntryPointIsExportedUnderBothNames) {
    host::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testing_support::PluginPath(), &error)) << error;
    void* main = library.Symbol("PluginMain");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(library.Symbol("PluginMain1"), main);
}

// The list with one property's data replaced (the length kept: same-sized data only).
std::vector<uint8_t> WithProperty(std::vector<uint8_t> bytes, const char (&key)[5], const std::vector<uint8_t>& data) {
    const uint32_t code = FourCC(key);
    for (size_t at = 10; at + 16 <= bytes.size();) {
        uint32_t found = 0, length = 0;
        std::memcpy(&found, bytes.data() + at + 4, 4);
        std::memcpy(&length, bytes.data() + at + 12, 4);
        if (found == code) {
            std::vector<uint8_t> padded = data;
            padded.resize(length, 0);
            std::copy(padded.begin(), padded.end(), bytes.begin() + long(at) + 16);
            return bytes;
        }
        at += 16 + length;
    }
    ADD_FAILURE() << "no property " << key;
    return bytes;
}

TEST(StrictHost, ListsTheFilterAndRefusesWhatItMustRefuse) {
    host::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testing_support::PluginPath(), &error)) << error;
    const std::vector<uint8_t>& list = library.propertyList();
    EXPECT_EQ(host::PropertyListRefusal(list), "");

    // Interface 4.256, as the list once said: the host skips the whole list.
    EXPECT_NE(host::PropertyListRefusal(WithProperty(list, "vers", {0x00, 0x01, 0x04, 0x00})).find("newer than 4.0"),
              std::string::npos);
    EXPECT_EQ(host::PropertyListRefusal(WithProperty(list, "vers", {0x00, 0x00, 0x03, 0x00})), "");
    EXPECT_NE(host::PropertyListRefusal(WithProperty(list, "kind", Le32(FourCC("8BEF")))), "");
    EXPECT_NE(host::PropertyListRefusal(WithProperty(list, "mode", {0x08, 0, 0, 0})), ""); // CMYK only
    EXPECT_NE(host::PropertyListRefusal(WithProperty(list, "catg", {0x00})), "");
    EXPECT_NE(host::PropertyListRefusal(WithProperty(list, "name", {0x03, ' ', ' ', ' '})), "");
    EXPECT_NE(host::PropertyListRefusal(std::vector<uint8_t>(list.begin(), list.begin() + 40)), "");

    // Hosts mask the result by the selection in every case.
    for (int c = 0; c <= int(host::FilterCase::ProtectedTransparencyWithSelection); ++c)
        EXPECT_EQ(host::FilterCaseFlags(list, host::FilterCase(c)) & host::kWritesOutsideSelection, 0) << c;
}

TEST(StrictHost, EnableExpressionOffersTheCommandForRgbCmykAndGreyOnly) {
    host::PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(testing_support::PluginPath(), &error)) << error;
    const auto properties = host::ParsePropertyList(library.propertyList());
    ASSERT_TRUE(properties);
    const host::Property* enable = host::FindProperty(*properties, FourCC("enbl"));
    ASSERT_NE(enable, nullptr);
    const std::string expression = host::PropertyCString(*enable);
    auto enabled = [&](int16_t mode, int32_t depth) {
        host::EnableContext context;
        context.imageMode = host::EnableImageMode(mode, depth);
        context.depth = depth;
        return host::EvaluateEnableExpression(expression, context);
    };
    EXPECT_EQ(enabled(plugInModeRGBColor, 8), true);
    EXPECT_EQ(enabled(plugInModeCMYKColor, 8), true);
    EXPECT_EQ(enabled(plugInModeGrayScale, 8), true);
    EXPECT_EQ(enabled(plugInModeRGB48, 16), true);
    EXPECT_EQ(enabled(plugInModeCMYK64, 16), true);
    EXPECT_EQ(enabled(plugInModeGray16, 16), true);
    EXPECT_EQ(enabled(plugInModeLabColor, 8), false);
    EXPECT_EQ(enabled(plugInModeLab48, 16), false);
    EXPECT_EQ(enabled(plugInModeIndexedColor, 8), false);
}

TEST(StrictHost, EnableExpressionsOfOtherFiltersAreReadOrRefused) {
    host::EnableContext rgba16;
    rgba16.imageMode = plugInModeRGB48;
    rgba16.depth = 16;
    rgba16.hasAlpha = true;
    using host::EvaluateEnableExpression;
    EXPECT_EQ(
        EvaluateEnableExpression("in (PSHOP_ImageMode, RGBMode, GrayScaleMode) || PSHOP_ImageDepth == 16", rgba16),
        true);
    EXPECT_EQ(EvaluateEnableExpression("PSHOP_ImageDepth != 16 && !PSHOP_HasAlpha", rgba16), false);
    EXPECT_EQ(EvaluateEnableExpression("(PSHOP_ImageDepth >= 8) && (PSHOP_ImageDepth < 32)", rgba16), true);
    EXPECT_EQ(EvaluateEnableExpression("true", rgba16), true);
    // What cannot be read leaves the command disabled.
    EXPECT_EQ(EvaluateEnableExpression("in (PSHOP_ImageMode, RGBMode", rgba16), std::nullopt);
    EXPECT_EQ(EvaluateEnableExpression("PSHOP_Unknown == 1", rgba16), std::nullopt);
    EXPECT_EQ(EvaluateEnableExpression("RGBMode RGBMode", rgba16), std::nullopt);
    EXPECT_EQ(EvaluateEnableExpression("", rgba16), std::nullopt);
}

} // namespace
