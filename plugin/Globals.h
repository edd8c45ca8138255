#pragma once
// Process-wide state of the current host call. Set on entry to PluginMain and valid only while
// that call lasts; every host call arrives on the host's user-interface thread, one at a time.

#include "engine/FilterParameters.h"
#include "plugin/HostAbi.h"
#include "plugin/PluginData.h"

#include <string>

extern FilterRecord* gFilterRecord; // the host's record for selectors 1 to 5
extern AboutRecord* gAboutRecord;   // the host's record for About
extern int16_t* gResult;            // the host's result code
extern intptr_t* gDataSlot;         // the host's data slot (holds the PluginData handle)
extern SPBasicSuite* sSPBasic;      // the host's basic suite, or null
extern FilterParameters* gParams;   // locked parameter record (LockHandles to UnlockHandles)
extern PluginData* gPluginData;     // locked private record (same validity)
extern bool dialogActive;           // set while the main dialog is open

// Folder paths, rebuilt at every Prepare and Start by BuildFolderPaths.
extern std::string ModulePath;
extern std::string LibraryFolder;
extern std::string PresetsFolder;
extern std::string HelpFolder;

// The record behind gParams at its defaults (every field); raises queryForParameters.
void InitParameters();
// The effect fields behind gParams at their defaults, the placement kept; raises
// queryForParameters.
void ResetEffectParameters();

// Sets the result code of the current call (if the host gave us somewhere to put it).
inline void SetResult(OSErr code) {
    if (gResult != nullptr)
        *gResult = code;
}
inline OSErr CurrentResult() {
    return gResult != nullptr ? *gResult : OSErr(noErr);
}
