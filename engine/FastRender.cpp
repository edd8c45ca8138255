#include "engine/FastRender.h"

#include "engine/FastWarp.h"
#include "engine/Noise.h"
#include "engine/NoiseConstants.h"
#include "engine/WorkerThreads.h"

#include <cstdint>
#include <cstring>

namespace {

// Enough blocks per thread that threads finishing early find more work, and that the progress
// steps come on time.
constexpr int kBlocksPerThread = 16;

// Reported when a quarter, half, three quarters and all of the warp is done: where the one
// plane after another warp reports after each plane.
constexpr float kWarpProgress[4] = {30.0f, 55.0f, 80.0f, 95.0f};

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct BlockPlan {
    const FastWarpJob* job;
    WarpBlockFunction warp;
    int32_t rowsPerBlock;    // blocks of whole rows, or
    int32_t columnsPerBlock; //   pieces of single rows when there are few rows
    int32_t blocksPerRow;
    RenderProgress progress;
    int reported; // progress steps reported so far (0 to 4)
};

void WarpBlock(void* context, int block) {
    const BlockPlan& plan = *static_cast<const BlockPlan*>(context);
    const int32_t width = plan.job->width;
    const int32_t height = plan.job->height;
    if (plan.blocksPerRow == 1) {
        const int32_t rowBegin = block * plan.rowsPerBlock;
        const int32_t rowEnd = height - rowBegin < plan.rowsPerBlock ? height : rowBegin + plan.rowsPerBlock;
        plan.warp(*plan.job, rowBegin, rowEnd, 0, width);
        return;
    }
    const int32_t row = block / plan.blocksPerRow;
    const int32_t columnBegin = (block % plan.blocksPerRow) * plan.columnsPerBlock;
    const int32_t columnEnd = width - columnBegin < plan.columnsPerBlock ? width : columnBegin + plan.columnsPerBlock;
    plan.warp(*plan.job, row, row + 1, columnBegin, columnEnd);
}

int BlockCount(const BlockPlan& plan) {
    const int64_t height = plan.job->height;
    if (plan.blocksPerRow == 1)
        return static_cast<int>((height + plan.rowsPerBlock - 1) / plan.rowsPerBlock);
    return static_cast<int>(height * plan.blocksPerRow);
}

void ReportWarpProgress(void* context, int blocksDone) {
    BlockPlan& plan = *static_cast<BlockPlan*>(context);
    const long long total = BlockCount(plan);
    while (plan.reported < 4 && blocksDone * 4LL >= (plan.reported + 1) * total) {
        const float step = kWarpProgress[plan.reported++];
        if (plan.progress != nullptr)
            plan.progress(step, 100.0f);
    }
}

BlockPlan PlanBlocks(const FastWarpJob& job, int threadCount) {
    BlockPlan plan{};
    plan.job = &job;
    const int64_t wanted = static_cast<int64_t>(threadCount) * kBlocksPerThread;
    const int64_t height = job.height;
    const int64_t width = job.width;
    if (height >= wanted || threadCount == 1) {
        plan.blocksPerRow = 1;
        plan.rowsPerBlock = static_cast<int32_t>((height + wanted - 1) / wanted);
        plan.columnsPerBlock = job.width;
        return plan;
    }
    // Few rows: cut each row into pieces whose width is a multiple of every vector width.
    const int64_t piecesPerRow = (wanted + height - 1) / height;
    const int64_t columns = ((width + piecesPerRow - 1) / piecesPerRow + 7) / 8 * 8;
    plan.rowsPerBlock = 1;
    plan.columnsPerBlock = static_cast<int32_t>(columns);
    plan.blocksPerRow = static_cast<int32_t>((width + columns - 1) / columns);
    return plan;
}

WarpBlockFunction BlockFunction(EngineVariant variant, int32_t width, size_t planeSize) {
    // The vector variants number the columns of a whole vector of lanes in 32 bits.
    if (width > INT32_MAX - 64)
        return &WarpBlockScalar;
    switch (variant) {
    case EngineVariant::Avx2:
        // Its gathers address a plane with 32-bit offsets.
        if (planeSize <= static_cast<size_t>(INT32_MAX))
            return &WarpBlockAvx2;
        return &WarpBlockSse2;
    case EngineVariant::Sse2:
        return &WarpBlockSse2;
    default:
        return &WarpBlockScalar;
    }
}

} // namespace

void WarpPlanesFast(DistortionContext& context, const FilterParameters& parameters, const float strengths[4],
                    bool warpTransparency, const uint8_t* sourcePlanes, uint8_t* destinationPlanes,
                    EngineVariant variant, RenderProgress progress, bool copyTransparency, int sampleBytes,
                    int colorPlanes) {
    const int32_t width = context.bufferWidth;
    const int32_t height = context.bufferHeight;
    int warped[4] = {0, 1, 2, 3};
    int planeCount = colorPlanes == 1 ? 1 : 3;
    if (warpTransparency)
        warped[planeCount++] = 3;
    context.strength = strengths[warped[planeCount - 1]];
    const size_t planeSize = static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(height > 0 ? height : 0);
    const size_t planeBytes = planeSize * static_cast<size_t>(sampleBytes);
    if (!warpTransparency && copyTransparency && planeSize > 0)
        std::memcpy(destinationPlanes + 3 * planeBytes, sourcePlanes + 3 * planeBytes, planeBytes);
    if (planeSize == 0) {
        for (float step : kWarpProgress)
            if (progress != nullptr)
                progress(step, 100.0f);
        return;
    }

    FastWarpJob job{};
    job.width = width;
    job.height = height;
    job.planeSize = planeSize;
    job.sampleBytes = sampleBytes;
    job.source = sourcePlanes;
    job.destination = destinationPlanes;
    job.permutation = PermutationPairs.data();
    job.method = parameters.method <= Swirl ? parameters.method : static_cast<uint8_t>(Radial);
    job.zoom = context.zoom;
    job.offsetX = context.offsetX;
    job.offsetY = context.offsetY;
    job.seedX = kSeedFactorX * parameters.randomSeed;
    job.seedY = kSeedFactorY * parameters.randomSeed;
    for (int w = 0; w < planeCount; ++w) {
        const int plane = warped[w];
        int g = 0;
        while (g < job.groupCount && !SameBits(strengths[job.groups[g].planes[0]], strengths[plane]))
            ++g;
        FastWarpGroup& group = job.groups[g];
        if (g == job.groupCount) {
            ++job.groupCount;
            DistortionContext planeContext = context;
            planeContext.strength = strengths[plane];
            group.cartesian = CartesianFrameOf(planeContext, parameters);
            group.polar = PolarFrameOf(planeContext, parameters);
        }
        group.planes[group.planeCount++] = plane;
    }

    const int threadCount = RenderThreadCount(static_cast<long long>(planeSize));
    BlockPlan plan = PlanBlocks(job, threadCount);
    plan.progress = progress;
    plan.warp = BlockFunction(variant, width, planeSize);
    RunWorkItems(BlockCount(plan), threadCount, &WarpBlock, &ReportWarpProgress, &plan);
}
