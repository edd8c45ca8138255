// The worker threads, per call or kept between calls: every item once, progress on the calling
// thread only.
#include "EngineTestSupport.h"

#include "engine/WorkerThreads.h"
#include "platform/Platform.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

struct Tally {
    std::vector<std::atomic<int>> done;
    std::vector<int> progress;
    std::thread::id caller = std::this_thread::get_id();
    bool progressOnOtherThread = false;
    explicit Tally(int items) : done(static_cast<size_t>(items)) {}
};

void Work(void* context, int item) {
    static_cast<Tally*>(context)->done[static_cast<size_t>(item)].fetch_add(1);
}

void Progress(void* context, int itemsDone) {
    Tally& run = *static_cast<Tally*>(context);
    run.progress.push_back(itemsDone);
    run.progressOnOtherThread |= std::this_thread::get_id() != run.caller;
}

void EveryItemRunsOnce() {
    for (int threads : {1, 2, 3, 8, 100}) {
        for (int items : {0, 1, 2, 7, 64, 500}) {
            Tally run(items);
            RunWorkItems(items, threads, &Work, &Progress, &run);
            for (int k = 0; k < items; ++k)
                ASSERT_EQ(run.done[static_cast<size_t>(k)].load(), 1) << threads << " " << items << " " << k;
            EXPECT_FALSE(run.progressOnOtherThread);
            if (items == 0) {
                EXPECT_TRUE(run.progress.empty());
                continue;
            }
            ASSERT_FALSE(run.progress.empty());
            EXPECT_EQ(run.progress.back(), items);
            EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
        }
    }
}

TEST(WorkerThreads, EveryItemRunsOnceAndProgressStaysOnTheCallingThread) {
    EveryItemRunsOnce();
}

// Kept workers serve call after call (more of them when a call wants more), each item still
// once; ending them joins every one, and the calls after that start their own again.
TEST(WorkerThreads, KeptWorkersServeManyCallsAndEnd) {
    KeepWorkerThreads(true);
    for (int round = 0; round < 20; ++round)
        EveryItemRunsOnce();
    EXPECT_GE(KeptWorkerThreads(), 1);
    EXPECT_LE(KeptWorkerThreads(), 99);
    KeepWorkerThreads(false);
    EXPECT_EQ(KeptWorkerThreads(), 0);
    EveryItemRunsOnce();
    EXPECT_EQ(KeptWorkerThreads(), 0);
}

TEST(WorkerThreads, SmallRendersStayOnOneThread) {
    EXPECT_EQ(RenderThreadCount(0), 1);
    EXPECT_EQ(RenderThreadCount(100 * 100), 1);
    const int many = RenderThreadCount(4096LL * 4096);
    EXPECT_GE(many, 1);
    EXPECT_LE(many, static_cast<int>(platform::ProcessorCount()));
}

} // namespace
