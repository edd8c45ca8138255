// Recorded actions: the values a host plays back and the descriptor Finish records.
#include "TestPlugin.h"

using testing_support::PluginTest;

namespace {

using ScriptingProtocol = PluginTest;

TEST_F(ScriptingProtocol, FinishRecordsExactlyTheEightKeysMethodFirst) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    const auto items = host.RecordedDescriptor();
    ASSERT_EQ(items.size(), 8u);
    const DescriptorKeyID order[] = {keyMethod,     keyValue,      keySize,    keyAberration,
                                     keyRandomSeed, keyProportion, keyCenterX, keyCenterY};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(items[i].key, order[i]) << i;
    EXPECT_EQ(items[0].type, typeInteger);
    EXPECT_EQ(items[1].type, typeFloat);
    EXPECT_EQ(items[1].number, 25.0);
    EXPECT_EQ(host.descriptorParameters().recordInfo, plugInDialogOptional);
    EXPECT_EQ(host.descriptors().openTokens, 0);
}

TEST_F(ScriptingProtocol, PlayedValuesWinOverParametersAndAreRecordedAgain) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    host.PlayDescriptor({host::IntegerItem(keyMethod, 260), host::FloatItem(keyValue, 40.5),
                         host::FloatItem(keyCenterX, -150.0), host::FloatItem(keyCenterY, 1e30)},
                        plugInDialogSilent);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    const FilterParameters p = Parameters();
    EXPECT_EQ(p.method, 4); // the low byte of 260
    EXPECT_EQ(p.value, 40.5f);
    EXPECT_EQ(p.centerX, -150.0f);
    EXPECT_EQ(p.centerY, 1e30f);
    EXPECT_EQ(p.size, 25.0f); // not in the descriptor: the default stays
    const auto recorded = host.RecordedDescriptor();
    ASSERT_EQ(recorded.size(), 8u);
    EXPECT_EQ(recorded[0].integer, 4);
    EXPECT_EQ(host.descriptors().openTokens, 0);
}

TEST_F(ScriptingProtocol, MissingKeyKeepsThePreviousValue) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    FilterParameters p = Parameters();
    p.proportion = 33.0f;
    SetParameters(p);
    host.PlayDescriptor({host::IntegerItem(keyMethod, 2), host::FloatItem(keySize, 60.0)}, plugInDialogDontDisplay);
    ASSERT_EQ(host.Call(filterSelectorStart), noErr);
    EXPECT_EQ(Parameters().proportion, 33.0f);
    EXPECT_EQ(Parameters().size, 60.0f);
    EXPECT_EQ(Parameters().method, 2);
    // The plug-in disposed of the descriptor it read.
    EXPECT_EQ(host.descriptorParameters().descriptor, nullptr);
}

TEST_F(ScriptingProtocol, UnknownKeysAreSkippedAndAFailingGetEndsTheRead) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    // Without a registry the second run does not start from the first run's values.
    host.suites().withheld.insert(kPSDescriptorRegistrySuite);
    host::DescriptorItem text;
    text.key = FourCC("Nme ");
    text.type = typeChar;
    host.PlayDescriptor({host::FloatItem(keyValue, 10.0), host::IntegerItem(FourCC("Xtra"), 9),
                         host::FloatItem(keySize, 11.0), text, host::FloatItem(keyAberration, 12.0)},
                        plugInDialogDontDisplay);
    // 'Nme ' is unknown and skipped; nothing fails, so every known key arrives.
    ASSERT_EQ(host.RunInteractive().result, noErr);
    EXPECT_EQ(Parameters().value, 10.0f);
    EXPECT_EQ(Parameters().size, 11.0f);
    EXPECT_EQ(Parameters().aberration, 12.0f);

    host::DescriptorItem badValue;
    badValue.key = keyValue;
    badValue.type = typeChar; // a get float on text fails
    host.PlayDescriptor({host::FloatItem(keySize, 50.0), badValue, host::FloatItem(keyAberration, 70.0)},
                        plugInDialogDontDisplay);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    EXPECT_EQ(Parameters().size, 50.0f);
    EXPECT_EQ(Parameters().aberration, 0.0f); // the read ended before it
}

TEST_F(ScriptingProtocol, NoDescriptorProceduresStillRuns) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    // A repeat run, so the plug-in does not ask for its dialog (nothing could say otherwise).
    ASSERT_EQ(host.RunInteractive().result, noErr);
    host.options.descriptors = false;
    const host::RunResult run = host.RunRepeat();
    EXPECT_EQ(run.result, noErr);
    EXPECT_TRUE(run.documentChanged);
    EXPECT_EQ(host.RecordedDescriptor().size(), 8u); // still the first run's
}

TEST_F(ScriptingProtocol, HostThatCannotOpenAWriteDescriptorStillFinishes) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    host.descriptors().failOpenWrite = true;
    const host::RunResult run = host.RunInteractive();
    EXPECT_EQ(run.result, noErr);
    EXPECT_TRUE(host.RecordedDescriptor().empty());
}

} // namespace
