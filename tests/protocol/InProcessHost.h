#pragma once
// The plug-in's own code, linked into the test program, driven by the substitute host: either
// through an entry point that dispatches like the library's (so the program's failure switches
// and recorded messages reach it), or by calling single operations with the host's record
// installed as the current call's.

#include "TestPlugin.h"
#include "engine/PreviewZoom.h"
#include "engine/ProcessImage.h"
#include "host/SubstituteHost.h"
#include "platform/Platform.h"
#include "plugin/DocumentReading.h"
#include "plugin/Globals.h"
#include "plugin/Handles.h"
#include "plugin/Selectors.h"
#include "plugin/Suites.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" const uint8_t PluginPropertyList[];
extern "C" const size_t PluginPropertyListSize;

namespace testing_support {

// The property list linked into the test program, the bytes the library carries.
inline std::vector<uint8_t> LinkedPropertyList() {
    return std::vector<uint8_t>(PluginPropertyList, PluginPropertyList + PluginPropertyListSize);
}

// Dispatches like PluginMain for selectors 1 to 5.
inline void InProcessEntry(int16_t selector, void* record, intptr_t* data, int16_t* result) {
    gResult = result;
    gDataSlot = data;
    gAboutRecord = nullptr;
    gFilterRecord = static_cast<FilterRecord*>(record);
    sSPBasic = gFilterRecord->sSPBasic;
    if (gFilterRecord->bigDocumentData != nullptr)
        gFilterRecord->bigDocumentData->PluginUsing32BitCoordinates = 1;
    switch (selector) {
    case filterSelectorParameters:
        DoParameters();
        break;
    case filterSelectorPrepare:
        DoPrepare();
        break;
    case filterSelectorStart:
        DoStart();
        break;
    case filterSelectorContinue:
        DoContinue();
        break;
    case filterSelectorFinish:
        DoFinish();
        break;
    default:
        break;
    }
    UnlockHandles();
}

class InProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::ApplyHostProfile(TestProfile(), &host);
        host.library().UseEntry(&InProcessEntry, LinkedPropertyList());
        host.document = host::Document::Make(24, 16, plugInModeRGBColor, false);
        platform::ClearRecordedMessages();
    }

    void TearDown() override {
        ReleaseKeptSuites(); // what unloading the library does
        ReleasePreviewDocument();
        ReleaseWorkingBuffers();
        ReleaseNavigatorSource();
        ResetPreviewZoom();
        mainView = PreviewView{};
        dialogActive = false;
        platform::FailNextPageAllocations(0);
        Uninstall();
    }

    // Makes the host's record the current call's, with a parameter record and private record of
    // the test's own (defaults, dialog not requested).
    void Install() {
        host.PrepareRecord();
        gFilterRecord = &host.record();
        gAboutRecord = nullptr;
        sSPBasic = gFilterRecord->sSPBasic;
        result = noErr;
        gResult = &result;
        gParams = &params;
        gPluginData = &data;
        InitParameters();
        data.queryForParameters = false;
        if (gFilterRecord->bigDocumentData != nullptr)
            gFilterRecord->bigDocumentData->PluginUsing32BitCoordinates = 1;
    }

    static void Uninstall() {
        gFilterRecord = nullptr;
        sSPBasic = nullptr;
        gResult = nullptr;
        gParams = nullptr;
        gPluginData = nullptr;
    }

    host::SubstituteHost host;
    FilterParameters params{};
    PluginData data{};
    int16_t result = noErr;
};

} // namespace testing_support
