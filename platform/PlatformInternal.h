#pragma once
// Shared between the two implementations of the platform layer.
#include "platform/Platform.h"

#include <atomic>

namespace platform {
void RecordMessage(const std::string& caption, const std::string& text);
bool MessageBoxesShown();
ShellRequestHandler CurrentShellRequestHandler();

// Page accounting, common to both allocators.
extern std::atomic<size_t> gPagesInUse;
extern std::atomic<int> gFailPageAllocations;
inline bool ShouldFailPageAllocation() {
    int pending = gFailPageAllocations.load();
    while (pending > 0) {
        if (gFailPageAllocations.compare_exchange_weak(pending, pending - 1))
            return true;
    }
    return false;
}
} // namespace platform
