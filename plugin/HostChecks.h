#pragma once
// Checks of the host's callback tables before the plug-in calls into them. A table whose
// version or count does not promise the member we need is treated exactly like a missing one.

#include "plugin/Globals.h"

// The handle procedures, if the host offers at least `members` of them (newProc is member 1).
inline const HandleProcs* UsableHandleProcs(int members) {
    if (gFilterRecord == nullptr)
        return nullptr;
    const HandleProcs* procs = gFilterRecord->handleProcs;
    if (procs == nullptr || procs->handleProcsVersion < kCurrentHandleProcsVersion || procs->numHandleProcs < members)
        return nullptr;
    return procs;
}

// Member numbers (1-based, as the count field counts them) of the handle procedures we call.
constexpr int kHandleNewMember = 1;
constexpr int kHandleDisposeMember = 2;
constexpr int kHandleGetSizeMember = 3;
constexpr int kHandleLockMember = 5;
constexpr int kHandleUnlockMember = 6;

// The big-document record, or null when the host offers only 16-bit rectangles.
inline BigDocumentStruct* BigDocument() {
    return gFilterRecord != nullptr ? gFilterRecord->bigDocumentData : nullptr;
}
