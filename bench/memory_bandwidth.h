// Whole-block fills and copies of two large heap blocks, in MiB per second.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "platform/memory_status.h"
#include "platform/progress.h"

// Where the two blocks come from; tests hand in one that runs out.
class BlockAllocator {
public:
    virtual void* Allocate(size_t bytes) = 0;
    virtual void Release(void* block) = 0;

protected:
    ~BlockAllocator() = default;
};
BlockAllocator& SystemBlockAllocator();

// Physical memory free for use now, in bytes, cut to 32 bits. A reserve is kept back on
// large machines, so the run never pushes the system into swap.
uint32_t GetAvailablePhysicalMemory(MemoryStatusSource& memory = SystemMemoryStatus());

// How long the timed loop runs at least: max(duration, 1000) ms, so the figure never
// divides by less than one whole second.
uint32_t MemoryLoopMinimumMs(uint32_t durationMs);

// MiB moved per second of `elapsedMs` (0 counts as 1), cut to 32 bits. Per millisecond: one
// batch of two 2 GiB blocks moves 60 GiB, and whole seconds as the divisor would move the
// figure by up to a sixth with where the batches happen to end.
uint32_t MemoryFigure(uint64_t movedMiB, uint32_t elapsedMs);

// What a run measured, for those who want to recompute its figure.
struct MemoryRun {
    uint32_t blockBytes;  // each of the two blocks
    uint64_t movedMiB;    // whole blocks moved in the timed loop, counted in whole MiB
    uint32_t elapsedMs;   // of the timed loop
};

// Runs whole batches of 10 cycles until at least max(duration, 1000) ms have passed; MiB
// moved per second of that loop. `run`, when given, receives what was measured.
uint32_t MeasureMemoryBandwidth(uint32_t durationMs, ProgressTarget* progress, Clock& clock = SystemClock(),
                                MemoryStatusSource& memory = SystemMemoryStatus(),
                                BlockAllocator& allocator = SystemBlockAllocator(), MemoryRun* run = nullptr);
