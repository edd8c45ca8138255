#include "plugin/Selectors.h"

#include "engine/ProcessImage.h"
#include "plugin/FolderPaths.h"
#include "plugin/Globals.h"
#include "plugin/Handles.h"
#include "plugin/Rectangles.h"
#include "plugin/Scripting.h"
#include "plugin/UserInterface.h"
#include "presets/UiSettings.h"

#include <algorithm>

namespace {

// Larger areas are not needed at once: Prepare asks the host for at most this many rows and
// columns of each plane, twice (one input and one output copy).
constexpr int64_t kPrepareTileLimit = 256;

void ResetToDefaults() {
    InitParameters();
    gPluginData->queryForParameters = true;
}

} // namespace

void DoAbout() {
    ShowAboutBox(gAboutRecord);
}

void DoParameters() {
    CreateParametersRecord();
    CreatePluginDataRecord();
    if (CurrentResult() != noErr)
        return;
    if (LockHandles())
        ResetToDefaults();
}

void DoPrepare() {
    BuildFolderPaths();
    if (HaveRecords()) {
        LockHandles();
    } else {
        CreateParametersRecord();
        CreatePluginDataRecord();
        if (CurrentResult() == noErr && LockHandles())
            ResetToDefaults();
    }
    // The dialog's placement from the settings file lands in the locked record that Start will
    // use, after any defaults, so the file wins over them.
    LoadUiSettings();

    gFilterRecord->bufferSpace = 0;
    const VRect filter = GetFilterRect();
    const int64_t height = std::min(RectHeight(filter), kPrepareTileLimit);
    const int64_t width = std::min(RectWidth(filter), kPrepareTileLimit);
    const int64_t planes = int64_t(gFilterRecord->planes) + (gFilterRecord->maskData != nullptr ? 1 : 0);
    const int64_t bound = 2 * planes * height * width;
    if (int64_t(gFilterRecord->maxSpace) > bound)
        gFilterRecord->maxSpace = static_cast<int32_t>(bound);
}

void DoStart() {
    // A host that sends Start without a successful Prepare gets the result code and nothing else.
    if (!LockHandles())
        return;

    ReadLastUsedParameters();
    bool showDialog = false;
    bool accepted = true;
    const OSErr read = ReadScriptParameters(&showDialog);
    // A host that ignores the property list's enable expression may send a mode we cannot
    // filter: the user is told once, no dialog opens and the image stays as it is.
    if (AlertIfUnsupportedImage()) {
        gPluginData->queryForParameters = false;
        return;
    }
    if (read == noErr && showDialog)
        accepted = RunMainDialog();
    gPluginData->queryForParameters = false;
    if (!accepted) {
        SetResult(userCanceledErr);
        return;
    }

    FilterRecord* record = gFilterRecord;
    const int16_t lastPlane = static_cast<int16_t>(record->planes - 1);
    record->inLoPlane = 0;
    record->outLoPlane = 0;
    record->inHiPlane = lastPlane;
    record->outHiPlane = lastPlane;
    BuildFolderPaths();
    const VRect filter = GetFilterRect();
    SetInRect(filter);
    SetOutRect(filter);
    SetMaskRect(filter);
    record->inputRate = 0x10000;
    record->maskRate = 0x10000;

    const OSErr advanced = record->advanceState != nullptr ? record->advanceState() : OSErr(errPlugInHostInsufficient);
    SetResult(advanced);
    if (advanced == noErr)
        ProcessImage();

    record->inRect = Rect{0, 0, 0, 0};
    record->outRect = Rect{0, 0, 0, 0};
    record->maskRect = Rect{0, 0, 0, 0};
}

void DoContinue() {
    const VRect empty{0, 0, 0, 0};
    SetInRect(empty);
    SetOutRect(empty);
    SetMaskRect(empty);
}

void DoFinish() {
    if (!LockHandles())
        return;
    WriteScriptParameters();
    WriteLastUsedParameters();
}
