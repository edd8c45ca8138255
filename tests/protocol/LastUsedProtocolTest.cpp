// The last used values in the host's descriptor registry and the dialog decision of a played
// action.
#include "InProcessHost.h"
#include "TestPlugin.h"
#include "plugin/Scripting.h"

#include <cstdio>
#include <filesystem>
#include <string>

using testing_support::InProcessTest;
using testing_support::PluginTest;

namespace {

std::string FreshRegistryFile(const char* name) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / (std::string("vortiflux-") + name);
    std::filesystem::remove(path);
    return path.string();
}

using LastUsed = PluginTest;

TEST_F(LastUsed, FirstRunStartsFromTheDefaultsAndFinishStoresTheValues) {
    VF_SKIP_UNLESS(testing_support::KeepsLastUsedValues(host) && testing_support::RecordsActions(host),
                   testing_support::kNoLastUsedValues);
    host.options.registryFile = FreshRegistryFile("first-run.reg");
    host.PlayDescriptor({host::IntegerItem(keyMethod, 3), host::FloatItem(keyValue, 40.0)}, plugInDialogDontDisplay);
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    host.descriptorParameters().descriptor = nullptr; // not played yet: only the registry counts
    ASSERT_EQ(host.Call(filterSelectorStart), noErr);
    EXPECT_EQ(Parameters().value, 25.0f); // nothing stored yet: the defaults
    ASSERT_EQ(host.Call(filterSelectorContinue), noErr);
    ASSERT_EQ(host.Call(filterSelectorFinish), noErr);

    host::ActionDescriptorData stored;
    ASSERT_TRUE(host.suites().actions().RegistryEntry(kLastUsedRegistryKey, &stored));
    ASSERT_EQ(stored.items.size(), 8u);
    EXPECT_EQ(stored.items[0].first, keyMethod);
    EXPECT_EQ(stored.items[0].second.type, typeInteger);
    EXPECT_EQ(stored.items[7].first, keyCenterY);
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    EXPECT_EQ(host.suites().actions().liveDescriptors(), 0u);
    std::filesystem::remove(host.options.registryFile);
}

TEST_F(LastUsed, ValuesSurviveARestartOfTheHost) {
    VF_SKIP_UNLESS(testing_support::KeepsLastUsedValues(host) && testing_support::RecordsActions(host),
                   testing_support::kNoLastUsedValues);
    const std::string file = FreshRegistryFile("restart.reg");
    host.options.registryFile = file;
    host.PlayDescriptor(
        {host::IntegerItem(keyMethod, 3), host::FloatItem(keyValue, 40.0), host::FloatItem(keyCenterX, -12.25)},
        plugInDialogDontDisplay);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    host.Unload();
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    EXPECT_EQ(host.suites().unmatchedReleases, 0);

    // A new host with nothing of the first but the registry file, and the library loaded anew.
    host::SubstituteHost restarted;
    host::ApplyHostProfile(testing_support::TestProfile(), &restarted);
    std::string error;
    ASSERT_TRUE(restarted.Load(testing_support::PluginPath(), &error)) << error;
    restarted.options.registryFile = file;
    restarted.document = host::Document::Make(16, 16, plugInModeRGBColor, false);
    ASSERT_EQ(restarted.RunInteractive().result, noErr); // Parameters resets, Start restores
    FilterParameters p{};
    std::memcpy(&p, restarted.parametersBytes(), sizeof p);
    EXPECT_EQ(p.method, 3);
    EXPECT_EQ(p.value, 40.0f);
    EXPECT_EQ(p.centerX, -12.25f);
    std::filesystem::remove(file);
}

TEST_F(LastUsed, HostWithoutRegistryOrDescriptorSuiteStillRuns) {
    for (const char* missing : {kPSDescriptorRegistrySuite, kPSActionDescriptorSuite}) {
        host.suites().withheld = {missing};
        const host::RunResult run = host.RunInteractive();
        EXPECT_EQ(run.result, noErr);
        EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    }
    host.options.basicSuite = false;
    EXPECT_EQ(host.RunInteractive().result, noErr);
}

TEST_F(LastUsed, ARecordedActionPlaysBackInAnotherHost) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    host.PlayDescriptor(
        {host::IntegerItem(keyMethod, 260), host::FloatItem(keyValue, 12.5), host::FloatItem(keySize, 70.0)},
        plugInDialogDontDisplay);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    const auto recorded = host.RecordedDescriptor();
    ASSERT_EQ(recorded.size(), 8u);
    EXPECT_EQ(recorded[0].integer, 4);

    host::SubstituteHost player;
    host::ApplyHostProfile(testing_support::TestProfile(), &player);
    std::string error;
    ASSERT_TRUE(player.Load(testing_support::PluginPath(), &error)) << error;
    player.document = host::Document::Make(8, 8, plugInModeCMYKColor, true);
    player.PlayDescriptor(recorded, plugInDialogSilent);
    ASSERT_EQ(player.RunRepeat().result, noErr);
    FilterParameters p{};
    std::memcpy(&p, player.parametersBytes(), sizeof p);
    EXPECT_EQ(p.method, 4);
    EXPECT_EQ(p.value, 12.5f);
    EXPECT_EQ(p.size, 70.0f);
}

using PlayInfo = InProcessTest;

TEST_F(PlayInfo, OnlyDisplayShowsTheDialogWhenADescriptorIsPlayed) {
    VF_SKIP_UNLESS(testing_support::RecordsActions(host), testing_support::kNoActions);
    for (int16_t playInfo : {plugInDialogDontDisplay, plugInDialogDisplay, plugInDialogSilent}) {
        host.PlayDescriptor({host::FloatItem(keyValue, 33.0)}, playInfo);
        Install();
        data.queryForParameters = true; // right after Parameters
        bool showDialog = false;
        ASSERT_EQ(ReadScriptParameters(&showDialog), noErr);
        EXPECT_EQ(showDialog, playInfo == plugInDialogDisplay) << playInfo;
        EXPECT_EQ(params.value, 33.0f);
        EXPECT_EQ(host.descriptorParameters().descriptor, nullptr);
    }
    // No descriptor: the private record decides.
    Install();
    data.queryForParameters = true;
    bool showDialog = false;
    ASSERT_EQ(ReadScriptParameters(&showDialog), noErr);
    EXPECT_TRUE(showDialog);
    EXPECT_EQ(ReadScriptParameters(nullptr), errMissingParameter);
}

TEST_F(PlayInfo, LastUsedValuesKeepFieldsTheEntryLacks) {
    VF_SKIP_UNLESS(testing_support::KeepsLastUsedValues(host), testing_support::kNoLastUsedValues);
    Install();
    params.proportion = 17.0f;
    ASSERT_EQ(WriteLastUsedParameters(), noErr);
    params.value = 99.0f;
    params.proportion = 5.0f;
    ASSERT_EQ(ReadLastUsedParameters(), noErr);
    EXPECT_EQ(params.value, 25.0f);
    EXPECT_EQ(params.proportion, 17.0f);
    EXPECT_EQ(host.suites().OutstandingTotal(), 0);
    sSPBasic = nullptr;
    EXPECT_EQ(ReadLastUsedParameters(), errPlugInHostInsufficient);
    EXPECT_EQ(WriteLastUsedParameters(), errPlugInHostInsufficient);
}

} // namespace
