// The classic double-precision Whetstone module set, repeated until a pass lasts long enough.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/progress.h"

// The iteration count stops doubling here: 899 x 2,097,152 still fits a module count.
constexpr int32_t kWhetstoneMaxIterations = 2097152;

// The module variables, process-wide as the modules share them.
struct WhetstoneState {
    double T, T1, T2;
    double E1[5];
    int32_t J, K, L;
};
extern WhetstoneState g_Whetstone;

// Score in Megaflops units for `processors` processors; progress texts go to `progress`
// (set, not repainted) when given.
uint32_t RunWhetstone(uint32_t duration, ProgressTarget* progress, int processors, Clock& clock = SystemClock());

// True when a pass of `iterations` lasting `elapsedMs` is the last: it lasted the limit,
// or the count may not double again.
bool WhetstonePassesEnd(int32_t iterations, uint32_t elapsedMs, uint32_t limitMs);

// The score of a pass of `loop` iterations lasting `elapsedMs`.
uint32_t WhetstoneScore(int32_t loop, uint32_t elapsedMs, int processors);

void WhetstonePA(double* E);
void WhetstoneP0();
void WhetstoneP3(double x, double y, double* z);
