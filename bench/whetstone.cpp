#include "bench/whetstone.h"

#include <cstdio>

#include "bench/whetstone_kernel.h"
#include "platform/float_mode.h"

uint32_t WhetstoneScore(int32_t loop, uint32_t elapsedMs, int processors) {
    if (elapsedMs == 0) elapsedMs = 1;
    double w = static_cast<double>(loop) * 100.0 * 1 / elapsedMs;
    uint64_t scaled = static_cast<uint64_t>(static_cast<uint32_t>(static_cast<int64_t>(w))) * 1000 / 170;
    uint64_t p = processors == 8 ? 4 : processors < 0 ? 0 : static_cast<uint64_t>(processors);
    uint64_t score = scaled * p;
    return score > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(score);
}

uint32_t WhetstonePassLimitMs(uint32_t duration) {
    return duration > 3000 ? duration : 3000;
}

bool WhetstonePassesEnd(int32_t iterations, uint32_t elapsedMs, uint32_t limitMs) {
    return elapsedMs >= limitMs || iterations >= kWhetstoneMaxIterations;
}

WhetstoneRun RunWhetstone(uint32_t duration, ProgressTarget* progress, int processors, Clock& clock) {
    const uint32_t limit = WhetstonePassLimitMs(duration);
    WhetstoneState state = {};
    // The module values decay into subnormals in long passes; flushed to zero, every pass
    // costs the same per iteration, whichever pass ends the run.
    const uint32_t floatMode = FlushSubnormalsToZero();
    int32_t n = 1;
    uint32_t elapsed = 0;
    for (;;) {
        if (progress) {
            char text[256];
            std::snprintf(text, sizeof text, "Whetstone %d iterations...\n", n);
            progress->Set(text);
        }
        uint32_t start = clock.TickCount();
        StartWhetstonePass(state);
        RunWhetstonePass(state, n);
        uint32_t finish = clock.TickCount();
        elapsed = finish - start;
        if (WhetstonePassesEnd(n, elapsed, limit)) break;
        n *= 2;
    }
    RestoreFloatMode(floatMode);
    return WhetstoneRun{WhetstoneScore(n, elapsed, processors), n, elapsed};
}
