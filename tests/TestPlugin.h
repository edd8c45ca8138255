#pragma once
// Finding the plug-in library under test and running it through the substitute host.

#include "engine/FilterParameters.h"
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

// A substitute host with the plug-in loaded and a small RGB document.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
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
