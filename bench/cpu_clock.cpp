#include "bench/cpu_clock.h"

uint64_t g_TrialStart = 0;
double g_TrialSeconds = 0;

double MeasureCpuClock(Clock& clock) {
    uint64_t frequency = 0;
    if (!clock.CounterFrequency(&frequency)) return 0.0;
    uint64_t target = clock.Counter() + frequency;
    uint64_t start = clock.TimeStampCounter();
    while (clock.Counter() < target) {
    }
    uint64_t end = clock.TimeStampCounter();
    return (static_cast<double>(static_cast<int64_t>(end)) - static_cast<double>(static_cast<int64_t>(start))) /
           1000000.0;
}

double ElapsedSeconds(Clock& clock) {
    uint64_t elapsed = clock.Counter() - g_TrialStart;
    uint64_t frequency = 0;
    clock.CounterFrequency(&frequency);
    g_TrialSeconds = static_cast<double>(elapsed) / static_cast<double>(frequency);
    return g_TrialSeconds;
}

uint32_t MeasureCpuClockFallback(Clock& clock) {
    uint32_t best = 0;
    for (int trial = 0; trial < 10; ++trial) {
        g_TrialStart = clock.Counter();
        uint32_t start = static_cast<uint32_t>(clock.TimeStampCounter());
        uint32_t end = start;
        while (ElapsedSeconds(clock) < 0.01) {
            for (volatile int spin = 1000; spin > 0; spin = spin - 1) {
            }
            end = static_cast<uint32_t>(clock.TimeStampCounter());
        }
        uint32_t ticks = end - start;  // modulo 2^32: a wrap of the low word is absorbed
        double mhz = ticks / 1000000.0 / g_TrialSeconds + 0.5;
        uint32_t whole = mhz > 0 && mhz < 4294967295.0 ? static_cast<uint32_t>(mhz) : 0;
        if (whole > best) best = whole;
    }
    return best;
}
