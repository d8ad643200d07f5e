// The Whetstone set and the memory cycle on several threads at once, for the command-line
// tool: what the machine does on every core, where the dialog's single-thread rules assume
// perfect scaling.
#pragma once

#include <cstdint>

#include "platform/memory_status.h"
#include "platform/progress.h"

constexpr int kMaxBenchmarkThreads = 256;

// The kind of core a thread ran on: the system tells them apart on hybrid processors only.
enum CoreKind : int8_t { kCoreUnknown = 0, kCorePerformance = 1, kCoreEfficiency = 2 };

// A run's threads and figures added up by kind of core.
struct CoreKindTotals {
    int threads[3];      // by CoreKind
    uint64_t figure[3];  // the threads' figures (score or MiB/s) added
    bool hybrid;         // threads ran on both performance and efficiency cores
};

CoreKindTotals TotalByCoreKind(const int8_t* kinds, const uint32_t* figures, int threads);

struct ThreadedWhetstoneRun {
    int requested;       // threads asked for
    int threads;         // that started: fewer where the system gave no more; 0, no result
    int32_t iterations;  // of the last pass, on each thread
    uint32_t slowestMs;  // the last pass's slowest thread
    uint32_t threadScore[kMaxBenchmarkThreads];  // each thread's score, one processor's unit
    int8_t threadCore[kMaxBenchmarkThreads];     // the CoreKind each thread ran on
    uint64_t totalScore;                         // their sum: the machine's score
};

// Passes of 1, 2, 4, ... iterations on `threads` threads at once, each with its own module
// state and on its own processor, doubling together until the slowest thread's pass lasts
// max(duration, 3000) ms. Progress texts go to `progress` when given.
void RunWhetstoneThreads(int threads, uint32_t duration, ProgressTarget* progress,
                         ThreadedWhetstoneRun* run);

struct ThreadedMemoryRun {
    int requested;        // threads asked for
    int threads;          // that started: fewer where the system gave no more
    uint32_t blockBytes;  // each thread's two blocks
    uint32_t threadMibPerSecond[kMaxBenchmarkThreads];
    int8_t threadCore[kMaxBenchmarkThreads];  // the CoreKind each thread ran on
    uint64_t movedMiB;                        // all threads together
    uint32_t elapsedMs;                       // from the common start to the last end
    uint32_t mibPerSecond;                    // movedMiB per second of elapsedMs
};

// The fill, fill and copy cycle on `threads` threads, each with its own pair of blocks, the
// pairs together within the single-thread run's budget. All start together, touched first,
// and run until at least max(duration, 1000) ms have passed. False when no pair of 1 MiB
// blocks per thread could be had.
bool MeasureMemoryBandwidthThreads(int threads, uint32_t durationMs, ProgressTarget* progress,
                                   ThreadedMemoryRun* run,
                                   MemoryStatusSource& memory = SystemMemoryStatus());

// The same cycle without the benchmark's batches and counter byte, for bench mode: MiB/s.
double ReferenceMemoryRateThreads(int threads, uint32_t blockBytes, uint32_t durationMs);
