#include "engine/FloatMode.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
// MXCSR: all exceptions masked, round to nearest, neither flush-to-zero nor denormals-are-zero.
constexpr uint32_t kEngineMode = 0x1F80;
} // namespace

uint32_t UseEngineFloatMode() {
#if defined(__SSE__)
    const uint32_t previous = _mm_getcsr();
    _mm_setcsr(kEngineMode);
    return previous;
#else
    return 0;
#endif
}

void RestoreFloatMode(uint32_t previous) {
#if defined(__SSE__)
    _mm_setcsr(previous);
#else
    (void)previous;
#endif
}
