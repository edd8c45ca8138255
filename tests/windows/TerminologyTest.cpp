// The terminology resource of Vortiflux64.8bf, walked as a host walks it, against the keys and
// types the filter actually records.
#include "host/Terminology.h"
#include "TestPlugin.h"
#include "host/PropertyList.h"

namespace {

using Terminology = testing_support::PluginTest;

TEST_F(Terminology, NamesTheEightRecordedKeysWithTheirTypesInOrder) {
    const std::vector<uint8_t>& bytes = host.library().terminology();
    ASSERT_FALSE(bytes.empty()) << "the property list's 'hstm' names no AETE resource";
    const auto terminology = host::ParseTerminology(bytes);
    ASSERT_TRUE(terminology.has_value());
    EXPECT_EQ(terminology->length, bytes.size()); // nothing before, between or after the fields
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(terminology->suiteName, "Nimbrook");
    EXPECT_EQ(terminology->eventName, "Vortiflux");
    EXPECT_EQ(terminology->suiteId, FourCC("VxFp"));
    EXPECT_EQ(terminology->replyType, FourCC("null"));
    EXPECT_EQ(terminology->directType, FourCC("#ImR"));
    EXPECT_EQ(terminology->directFlags, 0xB000);

    // The same class and event as the property list's 'hstm'.
    const auto properties = host::ParsePropertyList(host.library().propertyList());
    ASSERT_TRUE(properties.has_value());
    const host::Property* hstm = host::FindProperty(*properties, FourCC("hstm"));
    ASSERT_NE(hstm, nullptr);
    uint32_t classId = 0, eventId = 0;
    std::memcpy(&classId, hstm->data.data() + 4, 4);
    std::memcpy(&eventId, hstm->data.data() + 8, 4);
    EXPECT_EQ(terminology->eventClass, classId);
    EXPECT_EQ(terminology->eventId, eventId);

    // What a recorded run writes, key by key.
    ASSERT_EQ(host.RunInteractive().result, noErr);
    const auto recorded = host.RecordedDescriptor();
    const char* names[] = {"Method",      "Value",      "Size",     "Aberration",
                           "Random Seed", "Proportion", "Center X", "Center Y"};
    ASSERT_EQ(terminology->parameters.size(), recorded.size());
    ASSERT_EQ(recorded.size(), 8u);
    for (size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(terminology->parameters[i].name, names[i]);
        EXPECT_EQ(terminology->parameters[i].key, recorded[i].key) << names[i];
        EXPECT_EQ(terminology->parameters[i].type, recorded[i].type) << names[i];
        EXPECT_EQ(terminology->parameters[i].flags, 0) << names[i];
    }
}

TEST(TerminologyReader, RefusesWhatHostsRefuse) {
    // A minimal valid resource: one suite, one event, one parameter.
    std::vector<uint8_t> bytes = {
        1, 0,    1, 0,   0,   0,   0,   0,   1,   0,   1,   'S', 0,   'p', 'F', 'x', 'V', 1, 0,   1,   0,   1,   0,
        1, 'E',  0, 'p', 'F', 'x', 'V', 'p', 'F', 'x', 'V', 'l', 'l', 'u', 'n', 0,   0,   0, 'R', 'm', 'I', '#', 0,
        0, 0xB0, 1, 0,   1,   'M', 'd', 'h', 't', 'M', 'g', 'n', 'o', 'l', 0,   0,   0,   0, 0,   0,   0,   0,   0};
    ASSERT_TRUE(host::ParseTerminology(bytes).has_value());
    std::vector<uint8_t> twoSuites = bytes;
    twoSuites[8] = 2;
    EXPECT_FALSE(host::ParseTerminology(twoSuites).has_value());
    std::vector<uint8_t> describedReply = bytes;
    describedReply[38] = 1; // a reply description that is not empty
    EXPECT_FALSE(host::ParseTerminology(describedReply).has_value());
    bytes.pop_back();
    EXPECT_FALSE(host::ParseTerminology(bytes).has_value());
}

} // namespace
