#include "engine/WorkerThreads.h"

#include "engine/FloatMode.h"
#include "platform/Platform.h"

#include <atomic>

namespace {

constexpr int kMaximumThreads = 64;
// Below this many pixels per thread a render is over before the threads would be.
constexpr long long kPixelsPerThread = 16384;

struct WorkQueue {
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    int itemCount = 0;
    void (*work)(void* context, int item) = nullptr;
    void* context = nullptr;

    // Takes and runs one item; false when none is left.
    bool RunOne() {
        const int item = next.fetch_add(1, std::memory_order_relaxed);
        if (item >= itemCount)
            return false;
        work(context, item);
        done.fetch_add(1, std::memory_order_release);
        return true;
    }
};

void RunWorker(void* argument) {
    auto* queue = static_cast<WorkQueue*>(argument);
    UseEngineFloatMode();
    while (queue->RunOne()) {
    }
}

} // namespace

void RunWorkItems(int itemCount, int threadCount, void (*work)(void* context, int item),
                  void (*progress)(void* context, int itemsDone), void* context) {
    if (itemCount < 1)
        return;
    WorkQueue queue;
    queue.itemCount = itemCount;
    queue.work = work;
    queue.context = context;

    if (threadCount > kMaximumThreads)
        threadCount = kMaximumThreads;
    if (threadCount > itemCount)
        threadCount = itemCount;
    platform::ThreadHandle workers[kMaximumThreads];
    int workerCount = 0;
    for (int k = 1; k < threadCount; ++k) {
        platform::ThreadHandle worker = platform::StartThread(&RunWorker, &queue);
        if (worker == nullptr)
            break;
        workers[workerCount++] = worker;
    }

    while (queue.RunOne()) {
        if (progress != nullptr)
            progress(context, queue.done.load(std::memory_order_acquire));
    }
    for (int k = 0; k < workerCount; ++k)
        platform::JoinThread(workers[k]);
    if (progress != nullptr)
        progress(context, itemCount);
}

int RenderThreadCount(long long pixels) {
    const long long byWork = pixels / kPixelsPerThread;
    long long count = static_cast<long long>(platform::ProcessorCount());
    if (count > byWork)
        count = byWork;
    if (count > kMaximumThreads)
        count = kMaximumThreads;
    return count < 1 ? 1 : static_cast<int>(count);
}
