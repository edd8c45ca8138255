#pragma once
// The host's handle procedures: blocks whose first eight bytes point at the data, so a plug-in
// may dereference a handle without locking it. Every handle is tracked, so tests can see what
// was created, freed, locked and leaked, and allocation or locking can be made to fail.

#include "plugin/HostAbi.h"

#include <cstdint>
#include <map>

namespace host {

class HostHandles {
public:
    HostHandles();
    ~HostHandles();

    // The table handed to the plug-in (version 1, 8 procedures).
    HandleProcs* procs() { return &procs_; }

    Handle New(int32_t size);
    void Dispose(Handle handle);
    // Frees every handle (what a host process that ends leaves behind of them: nothing).
    void DisposeAll();
    int32_t Size(Handle handle) const;
    bool IsValid(Handle handle) const;
    int lockCount(Handle handle) const;
    size_t liveCount() const { return blocks_.size(); }

    // Failure switches for tests.
    bool failNew = false;
    bool failLock = false;
    int newCalls = 0;

    // The one instance the callbacks reach (callbacks carry no context).
    static HostHandles* current;

private:
    struct Block {
        char* data;
        int32_t size;
        int locks;
    };
    Block* Find(Handle handle) const;

    static Handle NewProc(int32_t size);
    static void DisposeProc(Handle handle);
    static int32_t GetSizeProc(Handle handle);
    static OSErr SetSizeProc(Handle handle, int32_t newSize);
    static Ptr LockProc(Handle handle, Boolean moveHigh);
    static void UnlockProc(Handle handle);
    static void RecoverSpaceProc(int32_t size);
    static void DisposeRegularHandleProc(Handle handle);

    HandleProcs procs_{};
    std::map<Handle, Block*> blocks_;
};

} // namespace host
