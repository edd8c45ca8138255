#include "host/HostHandles.h"

#include <cstdlib>
#include <cstring>

namespace host {

HostHandles* HostHandles::current = nullptr;

HostHandles::HostHandles() {
    procs_.handleProcsVersion = 1;
    procs_.numHandleProcs = 8;
    procs_.newProc = &NewProc;
    procs_.disposeProc = &DisposeProc;
    procs_.getSizeProc = &GetSizeProc;
    procs_.setSizeProc = &SetSizeProc;
    procs_.lockProc = &LockProc;
    procs_.unlockProc = &UnlockProc;
    procs_.recoverSpaceProc = &RecoverSpaceProc;
    procs_.disposeRegularHandleProc = &DisposeRegularHandleProc;
    current = this;
}

HostHandles::~HostHandles() {
    DisposeAll();
    if (current == this)
        current = nullptr;
}

HostHandles::Block* HostHandles::Find(Handle handle) const {
    auto found = blocks_.find(handle);
    return found == blocks_.end() ? nullptr : found->second;
}

Handle HostHandles::New(int32_t size) {
    ++newCalls;
    if (failNew || size < 0)
        return nullptr;
    char* data = static_cast<char*>(std::calloc(1, size_t(size) + 1));
    if (data == nullptr)
        return nullptr;
    auto* block = new Block{data, size, 0};
    Handle handle = reinterpret_cast<Handle>(block); // the block's first member is the data pointer
    blocks_[handle] = block;
    return handle;
}

void HostHandles::Dispose(Handle handle) {
    Block* block = Find(handle);
    if (block == nullptr)
        return;
    blocks_.erase(handle);
    std::free(block->data);
    delete block;
}

void HostHandles::DisposeAll() {
    for (auto& entry : blocks_) {
        std::free(entry.second->data);
        delete entry.second;
    }
    blocks_.clear();
}

int32_t HostHandles::Size(Handle handle) const {
    const Block* block = Find(handle);
    return block != nullptr ? block->size : 0;
}

bool HostHandles::IsValid(Handle handle) const {
    return Find(handle) != nullptr;
}

int HostHandles::lockCount(Handle handle) const {
    const Block* block = Find(handle);
    return block != nullptr ? block->locks : 0;
}

Handle HostHandles::NewProc(int32_t size) {
    return current != nullptr ? current->New(size) : nullptr;
}

void HostHandles::DisposeProc(Handle handle) {
    if (current != nullptr)
        current->Dispose(handle);
}

int32_t HostHandles::GetSizeProc(Handle handle) {
    return current != nullptr ? current->Size(handle) : 0;
}

OSErr HostHandles::SetSizeProc(Handle handle, int32_t newSize) {
    Block* block = current != nullptr ? current->Find(handle) : nullptr;
    if (block == nullptr || newSize < 0)
        return nilHandleErr;
    if (block->locks > 0)
        return memWZErr;
    char* data = static_cast<char*>(std::realloc(block->data, size_t(newSize) + 1));
    if (data == nullptr)
        return memFullErr;
    if (newSize > block->size)
        std::memset(data + block->size, 0, size_t(newSize - block->size));
    block->data = data;
    block->size = newSize;
    return noErr;
}

Ptr HostHandles::LockProc(Handle handle, Boolean) {
    Block* block = current != nullptr ? current->Find(handle) : nullptr;
    if (block == nullptr || current->failLock)
        return nullptr;
    ++block->locks;
    return block->data;
}

void HostHandles::UnlockProc(Handle handle) {
    Block* block = current != nullptr ? current->Find(handle) : nullptr;
    if (block != nullptr && block->locks > 0)
        --block->locks;
}

void HostHandles::RecoverSpaceProc(int32_t) {}

void HostHandles::DisposeRegularHandleProc(Handle handle) {
    DisposeProc(handle);
}

} // namespace host
