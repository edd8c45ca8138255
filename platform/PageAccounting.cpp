#include "platform/PlatformInternal.h"

namespace platform {
std::atomic<size_t> gPagesInUse{0};
std::atomic<int> gFailPageAllocations{0};

size_t PagesInUse() {
    return gPagesInUse.load();
}
void FailNextPageAllocations(int count) {
    gFailPageAllocations.store(count);
}
} // namespace platform
