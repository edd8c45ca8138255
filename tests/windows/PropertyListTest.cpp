// The property list resource of Vortiflux64.8bf, byte for byte, as a host reads it.
#include "host/PropertyList.h"
#include "TestPlugin.h"

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
    expected.Property("vers", {0x00, 0x01, 0x04, 0x00});
    expected.Property("cmpt", Join({{0x00, 0x01, 0x04, 0x00}, CString("Vortiflux")}));
    expected.Property("8664", CString("PluginMain"));
    expected.Property("mode", {0x18, 0x00, 0x00, 0x00});
    std::vector<uint8_t> terminology = Join({Le32(0),
                                             Le32(FourCC("VxFp")),
                                             Le32(FourCC("VxFp")),
                                             {0x80, 0x3E},
                                             CString("d9543b0c-3c91-11d4-97bc-43c134052017")});
    terminology.resize(56, 0);
    expected.Property("hstm", terminology);
    expected.Property("enbl", CString("in (PSHOP_ImageMode, RGBMode, CMYKMode)"));
    expected.Property("ms32", Join({Le32(2000000), Le32(2000000)}));
    expected.Property("flly", {0x80, 0x00, 0x00, 0x00});
    expected.Property("fici", {1, 1, 6, 0, 1, 1, 14, 0, 1, 1, 14, 0, 1, 1, 6, 0, 1, 1, 14, 0, 1, 1, 6, 0, 1, 1, 14, 0});

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

} // namespace
