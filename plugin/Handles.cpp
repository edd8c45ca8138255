#include "plugin/Handles.h"

#include "plugin/Globals.h"
#include "plugin/HostChecks.h"

#include <cstring>

namespace {

Handle DataHandle() {
    return gDataSlot != nullptr ? reinterpret_cast<Handle>(*gDataSlot) : nullptr;
}

Handle NewHostHandle(int32_t size) {
    const HandleProcs* procs = UsableHandleProcs(kHandleNewMember);
    return procs != nullptr && procs->newProc != nullptr ? procs->newProc(size) : nullptr;
}

} // namespace

void CreateParametersRecord() {
    if (gFilterRecord == nullptr || gFilterRecord->parameters != nullptr)
        return;
    Handle handle = NewHostHandle(kFilterParametersHandleSize);
    if (handle == nullptr) {
        SetResult(memFullErr);
        return;
    }
    gFilterRecord->parameters = handle;
}

void CreatePluginDataRecord() {
    if (gDataSlot == nullptr || *gDataSlot != 0)
        return;
    Handle handle = NewHostHandle(kPluginDataHandleSize);
    if (handle == nullptr) {
        SetResult(memFullErr);
        return;
    }
    *gDataSlot = reinterpret_cast<intptr_t>(handle);
}

bool LockHandles() {
    gParams = nullptr;
    gPluginData = nullptr;
    if (gFilterRecord == nullptr || gFilterRecord->parameters == nullptr || DataHandle() == nullptr) {
        SetResult(filterBadParameters);
        return false;
    }
    const HandleProcs* procs = UsableHandleProcs(kHandleLockMember);
    if (procs == nullptr || procs->lockProc == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    auto* params = reinterpret_cast<FilterParameters*>(procs->lockProc(gFilterRecord->parameters, true));
    auto* data = reinterpret_cast<PluginData*>(procs->lockProc(DataHandle(), true));
    if (params == nullptr || data == nullptr) {
        SetResult(memFullErr);
        return false;
    }
    gParams = params;
    gPluginData = data;
    return true;
}

void UnlockHandles() {
    gParams = nullptr;
    gPluginData = nullptr;
    if (gFilterRecord == nullptr)
        return;
    const HandleProcs* procs = UsableHandleProcs(kHandleUnlockMember);
    if (procs == nullptr || procs->unlockProc == nullptr)
        return;
    if (Handle data = DataHandle())
        procs->unlockProc(data);
    if (gFilterRecord->parameters != nullptr)
        procs->unlockProc(gFilterRecord->parameters);
}
