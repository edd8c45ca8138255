#include "plugin/Handles.h"

#include "plugin/Globals.h"
#include "plugin/HostChecks.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The private records this library created since it was loaded.
std::vector<Handle>& CreatedDataHandles() {
    static std::vector<Handle> handles;
    return handles;
}

// The private record in the data slot, or null. The slot is only ever written by us, but some
// hosts hand back something else: one that keeps 4 of its 8 bytes, or one that starts a new
// process and restores the old value. Such a value is never locked: the slot counts as empty
// and a new record is made. A host that can tell a handle's size decides (a host may also have
// unloaded and loaded us again and kept a good slot); without it, only a record we created
// since we were loaded counts.
Handle DataHandle() {
    if (gDataSlot == nullptr || *gDataSlot == 0)
        return nullptr;
    const Handle handle = reinterpret_cast<Handle>(*gDataSlot);
    if (const HandleProcs* procs = UsableHandleProcs(kHandleGetSizeMember); procs != nullptr && procs->getSizeProc)
        return procs->getSizeProc(handle) == kPluginDataHandleSize ? handle : nullptr;
    const std::vector<Handle>& created = CreatedDataHandles();
    return std::find(created.begin(), created.end(), handle) != created.end() ? handle : nullptr;
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
    if (gDataSlot == nullptr || DataHandle() != nullptr)
        return;
    Handle handle = NewHostHandle(kPluginDataHandleSize);
    if (handle == nullptr) {
        SetResult(memFullErr);
        return;
    }
    CreatedDataHandles().push_back(handle);
    *gDataSlot = reinterpret_cast<intptr_t>(handle);
}

bool HaveRecords() {
    return gFilterRecord != nullptr && gFilterRecord->parameters != nullptr && DataHandle() != nullptr;
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
