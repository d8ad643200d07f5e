// The SSE control register, the one place that knows its bits. Both builds do their double
// arithmetic in SSE registers (the 32-bit one with -mfpmath=sse), so this mode covers it.
#include "platform/float_mode.h"

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#define KELVANE_HAS_SSE 1
#else
#define KELVANE_HAS_SSE 0
#endif

namespace {

constexpr uint32_t kFlushToZero = 1u << 15;
constexpr uint32_t kDenormalsAreZero = 1u << 6;

#if KELVANE_HAS_SSE
// The earliest SSE2 processors lack denormals-are-zero, and setting it there faults. The
// processor says which bits it takes in the MXCSR mask that FXSAVE stores at byte 28
// (0 there means the default mask, without that bit).
uint32_t SupportedMxcsrBits() {
    alignas(16) unsigned char area[512] = {};
    asm volatile("fxsave %0" : "=m"(area));
    uint32_t mask = static_cast<uint32_t>(area[28]) | static_cast<uint32_t>(area[29]) << 8 |
                    static_cast<uint32_t>(area[30]) << 16 | static_cast<uint32_t>(area[31]) << 24;
    return mask ? mask : 0xFFBFu;
}
#endif

}  // namespace

uint32_t FlushSubnormalsToZero() {
#if KELVANE_HAS_SSE
    static const uint32_t supported = SupportedMxcsrBits();
    uint32_t saved = _mm_getcsr();
    _mm_setcsr(saved | ((kFlushToZero | kDenormalsAreZero) & supported));
    return saved;
#else
    return 0;
#endif
}

void RestoreFloatMode(uint32_t saved) {
#if KELVANE_HAS_SSE
    _mm_setcsr(saved);
#else
    (void)saved;
#endif
}
