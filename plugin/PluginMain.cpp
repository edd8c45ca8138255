// The entry point the host calls for every step of a filter run.
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "plugin/Handles.h"
#include "plugin/HostChecks.h"
#include "plugin/Selectors.h"

#ifdef _WIN32
#include <windows.h>
#define VORTIFLUX_EXPORT extern "C" __declspec(dllexport)
#else
#define VORTIFLUX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void Dispatch(int16_t selector) {
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
        break; // unknown selectors do nothing
    }
}

} // namespace

VORTIFLUX_EXPORT void PluginMain(int16_t selector, void* record, intptr_t* data, int16_t* result) {
    gResult = result;
    gDataSlot = data;
    try {
        if (selector == filterSelectorAbout) {
            gFilterRecord = nullptr;
            gAboutRecord = static_cast<AboutRecord*>(record);
            sSPBasic = gAboutRecord != nullptr ? gAboutRecord->sSPBasic : nullptr;
            DoAbout();
            return;
        }
        gAboutRecord = nullptr;
        gFilterRecord = static_cast<FilterRecord*>(record);
        if (gFilterRecord == nullptr) {
            SetResult(filterBadParameters);
            return;
        }
        sSPBasic = gFilterRecord->sSPBasic;
        if (BigDocumentStruct* big = BigDocument())
            big->PluginUsing32BitCoordinates = 1;
        Dispatch(selector);
        UnlockHandles();
    } catch (...) {
        // Nothing may escape into the host: report it as lack of memory, the only failure a
        // handler can meet here.
        UnlockHandles();
        SetResult(memFullErr);
    }
}

#ifndef _WIN32
// The second name of the entry point (the Windows library exports it through its .def file).
VORTIFLUX_EXPORT void PluginMain1(int16_t selector, void* record, intptr_t* data, int16_t* result)
    __attribute__((alias("PluginMain")));
#endif

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        platform::SetModuleInstance(instance);
    return TRUE;
}
#endif
