#pragma once
// Finding the plug-in library under test and running it through the substitute host.

#include "engine/FilterParameters.h"
#include "host/HostProfiles.h"
#include "host/SubstituteHost.h"
#include "plugin/PluginData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

// The plug-in library: $VORTIFLUX_PLUGIN, else the one this build made.
inline std::string PluginPath() {
    if (const char* path = std::getenv("VORTIFLUX_PLUGIN"))
        return path;
#ifdef _WIN32
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string folder(buffer);
    folder = folder.substr(0, folder.find_last_of("\\/") + 1);
    return folder + "Vortiflux64.8bf";
#else
    return VORTIFLUX_PLUGIN_PATH;
#endif
}

// The host profile the tests run under: $VORTIFLUX_HOST_PROFILE (full, paintnet, gimp, bare),
// the full host when it is not set.
inline host::HostProfile TestProfile() {
    host::HostProfile profile = host::HostProfile::Full;
    if (const char* name = std::getenv("VORTIFLUX_HOST_PROFILE")) {
        if (!host::HostProfileFromName(name, &profile))
            ADD_FAILURE() << "no host profile " << name;
    }
    return profile;
}

// Ends a test whose subject the profile's host does not offer, saying what the user of that
// host sees instead (shown by --gtest_brief=0 and in the test log).
#define VF_SKIP_UNLESS(offered, whatTheUserSees)                                                                       \
    do {                                                                                                               \
        if (!(offered))                                                                                                \
            GTEST_SKIP() << "under the " << host::HostProfileName(testing_support::TestProfile())                      \
                         << " host: " << (whatTheUserSees);                                                            \
    } while (0)

// Whether the host keeps last used values: a basic suite that grants the descriptor registry and
// the action descriptor suite (at version 2 or 3).
inline bool KeepsLastUsedValues(host::SubstituteHost& host) {
    const auto& withheld = host.suites().withheld;
    return host.options.basicSuite && withheld.count(kPSDescriptorRegistrySuite) == 0 &&
           withheld.count(kPSActionDescriptorSuite) == 0;
}

// Whether the host records and plays actions (the scripting descriptor and its procedures).
inline bool RecordsActions(const host::SubstituteHost& host) {
    return host.options.descriptors;
}

// Whether the host grants the ColorSpace suite (CMYK images are converted through it).
inline bool ConvertsCmyk(host::SubstituteHost& host) {
    return host.options.basicSuite && host.suites().withheld.count(kPSColorSpaceSuite) == 0;
}

// Whether an interactive run opens the dialog whatever the test asks for: a host without actions
// cannot tell the plug-in to skip it, and the Windows build has one (answered at once by the test
// host, but its previews make requests of their own).
inline bool DialogOpensOnEveryRun(const host::SubstituteHost& host) {
#ifdef _WIN32
    return !RecordsActions(host);
#else
    (void)host;
    return false;
#endif
}

constexpr const char* kNoCmyk = "no colour conversion: a CMYK image is left as it is (the host has no CMYK mode)";
constexpr const char* kNoWideDocuments = "no 32-bit rectangles: the host's documents stay below 32768 pixels a side";
constexpr const char* kNoLastUsedValues =
    "no store of last used values: a repeat starts from the values the host kept in the parameter record, and a "
    "new session from the defaults";
constexpr const char* kNoActions = "no actions: the command cannot be recorded or played back";

// An interactive run in which the user edits the values in the dialog: `edit` changes the record
// as the dialog shows it, right before Start.
template <typename Edit> host::RunResult RunInteractiveEditing(host::SubstituteHost& host, Edit edit) {
    host.options.beforeSelector = [&host, edit](int16_t selector) {
        auto* bytes = const_cast<uint8_t*>(host.parametersBytes());
        if (selector != filterSelectorStart || bytes == nullptr)
            return;
        FilterParameters values{};
        std::memcpy(&values, bytes, sizeof values);
        edit(values);
        std::memcpy(bytes, &values, sizeof values);
    };
    const host::RunResult run = host.RunInteractive();
    host.options.beforeSelector = nullptr;
    return run;
}

// A substitute host with the plug-in loaded and a small RGB document, behaving as the test
// profile's host.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::ApplyHostProfile(TestProfile(), &host);
        std::string error;
        ASSERT_TRUE(host.Load(PluginPath(), &error)) << error;
        host.document = host::Document::Make(64, 48, plugInModeRGBColor, false);
        host.options.playInfo = plugInDialogDontDisplay;
    }

    FilterParameters Parameters() const {
        FilterParameters params{};
        const uint8_t* bytes = host.parametersBytes();
        EXPECT_NE(bytes, nullptr);
        if (bytes != nullptr)
            std::memcpy(&params, bytes, sizeof params);
        return params;
    }

    void SetParameters(const FilterParameters& params) {
        ASSERT_NE(host.parametersBytes(), nullptr);
        std::memcpy(const_cast<uint8_t*>(host.parametersBytes()), &params, sizeof params);
    }

    // The parameters handle by value: the record is 4-byte packed, so the pointer field is
    // misaligned and must not be bound to a reference (as test macros do).
    Handle ParametersHandle() { return host.record().parameters; }

    PluginData Data() const {
        PluginData data{};
        Handle handle = reinterpret_cast<Handle>(host.dataSlot());
        EXPECT_NE(handle, nullptr);
        if (handle != nullptr)
            std::memcpy(&data, *handle, sizeof data);
        return data;
    }

    host::SubstituteHost host;
};

} // namespace testing_support
