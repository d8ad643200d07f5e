// The classic double-precision Whetstone module set, repeated until a pass lasts long enough.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/progress.h"

// The iteration count stops doubling here: 899 x 2,097,152 still fits a module count.
constexpr int32_t kWhetstoneMaxIterations = 2097152;

struct WhetstoneRun {
    uint32_t score;       // in the unit the display calls Megaflops, for all processors
    int32_t iterations;   // of the last pass, the one the score counts
    uint32_t elapsedMs;   // of the last pass
};

// Runs passes of 1, 2, 4, ... iterations until one lasts max(duration, 3000) ms and scores
// it for `processors` processors; progress texts go to `progress` (set, not repainted)
// when given.
WhetstoneRun RunWhetstone(uint32_t duration, ProgressTarget* progress, int processors,
                          Clock& clock = SystemClock());

// How long the last pass must last at least: max(duration, 3000) ms.
uint32_t WhetstonePassLimitMs(uint32_t duration);

// True when a pass of `iterations` lasting `elapsedMs` is the last: it lasted the limit,
// or the count may not double again.
bool WhetstonePassesEnd(int32_t iterations, uint32_t elapsedMs, uint32_t limitMs);

// The score of a pass of `loop` iterations lasting `elapsedMs`.
uint32_t WhetstoneScore(int32_t loop, uint32_t elapsedMs, int processors);
