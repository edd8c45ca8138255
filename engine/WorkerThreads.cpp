#include "engine/WorkerThreads.h"

#include "engine/FloatMode.h"
#include "platform/Platform.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>

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

// Workers that stay between calls. Each call is one generation: every worker takes part in it
// (finding no item is taking part) before the call returns, so no worker touches a queue after
// its call.
struct KeptWorkers {
    std::mutex mutex;
    std::condition_variable wake;     // a new generation, or the end
    std::condition_variable finished; // a worker is done with the generation
    WorkQueue* queue = nullptr;
    unsigned generation = 0;
    int arrived = 0; // workers that took the current generation
    int running = 0; // of those, still working on it
    bool ending = false;
    platform::ThreadHandle threads[kMaximumThreads];
    unsigned firstGeneration[kMaximumThreads]; // the generation each worker was started in
    int count = 0;
    bool keep = false;
};

// Built in static storage and never destroyed: at the program's end a condition variable with
// waiting workers must not be (nor may unloading the library leave an allocation behind).
alignas(KeptWorkers) unsigned char keptStorage[sizeof(KeptWorkers)];
KeptWorkers& kept = *new (keptStorage) KeptWorkers;

void KeptWorkerLoop(void* argument) {
    UseEngineFloatMode();
    std::unique_lock<std::mutex> lock(kept.mutex);
    unsigned seen = *static_cast<const unsigned*>(argument);
    for (;;) {
        kept.wake.wait(lock, [&] { return kept.ending || kept.generation != seen; });
        if (kept.ending)
            return;
        seen = kept.generation;
        WorkQueue* queue = kept.queue;
        ++kept.arrived;
        ++kept.running;
        lock.unlock();
        while (queue->RunOne()) {
        }
        lock.lock();
        --kept.running;
        kept.finished.notify_all();
    }
}

void EndKeptWorkers() {
    {
        std::lock_guard<std::mutex> lock(kept.mutex);
        kept.ending = true;
    }
    kept.wake.notify_all();
    for (int k = 0; k < kept.count; ++k)
        platform::JoinThread(kept.threads[k]);
    std::lock_guard<std::mutex> lock(kept.mutex);
    kept.count = 0;
    kept.ending = false;
}

// Starts kept workers up to `wanted`; returns how many there are.
int EnsureKeptWorkers(int wanted) {
    std::lock_guard<std::mutex> lock(kept.mutex);
    while (kept.count < wanted) {
        // A new worker joins from the next generation on.
        kept.firstGeneration[kept.count] = kept.generation;
        platform::ThreadHandle worker = platform::StartThread(&KeptWorkerLoop, &kept.firstGeneration[kept.count]);
        if (worker == nullptr)
            break;
        kept.threads[kept.count++] = worker;
    }
    return kept.count;
}

// RunWorkItems on the kept workers (at least one exists).
void RunOnKeptWorkers(WorkQueue& queue, void (*progress)(void* context, int itemsDone), void* context) {
    {
        std::lock_guard<std::mutex> lock(kept.mutex);
        kept.queue = &queue;
        kept.arrived = 0;
        ++kept.generation;
    }
    kept.wake.notify_all();
    while (queue.RunOne()) {
        if (progress != nullptr)
            progress(context, queue.done.load(std::memory_order_acquire));
    }
    std::unique_lock<std::mutex> lock(kept.mutex);
    kept.finished.wait(lock, [] { return kept.arrived == kept.count && kept.running == 0; });
    kept.queue = nullptr;
}

} // namespace

void KeepWorkerThreads(bool keep) {
    kept.keep = keep;
    if (!keep)
        EndKeptWorkers();
}

int KeptWorkerThreads() {
    return kept.count;
}

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
    if (kept.keep && threadCount > 1 && EnsureKeptWorkers(threadCount - 1) > 0) {
        RunOnKeptWorkers(queue, progress, context);
        if (progress != nullptr)
            progress(context, itemCount);
        return;
    }
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
