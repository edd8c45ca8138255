// The fast path on eight pixels at a time (AVX2; this unit alone is compiled for it).
#include "engine/FastWarp.h"
#include "engine/LanesAvx2.h"

// Written over the lane type included above.
#include "engine/FastWarpKernel.h"

void WarpBlockAvx2(const FastWarpJob& job, int32_t rowBegin, int32_t rowEnd, int32_t columnBegin, int32_t columnEnd) {
    if (job.sampleBytes == 2)
        WarpBlockLanes<Lanes, uint16_t>(job, rowBegin, rowEnd, columnBegin, columnEnd);
    else
        WarpBlockLanes<Lanes, uint8_t>(job, rowBegin, rowEnd, columnBegin, columnEnd);
}
