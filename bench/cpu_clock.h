// The processor's time-stamp counter against the high-resolution counter.
#pragma once

#include <cstdint>

#include "platform/clock.h"

// Start of the fallback's current trial, and the seconds the last check measured.
extern uint64_t g_TrialStart;
extern double g_TrialSeconds;

// Time-stamp ticks over one second of the counter, in MHz; 0.0 when there is no counter.
double MeasureCpuClock(Clock& clock = SystemClock());
double ElapsedSeconds(Clock& clock = SystemClock());
// The best of ten 10 ms windows, whole MHz.
uint32_t MeasureCpuClockFallback(Clock& clock = SystemClock());
