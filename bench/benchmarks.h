// The four benchmarks as the front-ends run them: each measures, then composes the text
// of its result field. Progress texts go to `progress` while it runs.
#pragma once

#include <cstdint>

#include "bench/memory_bandwidth.h"
#include "bench/whetstone.h"
#include "platform/clock.h"
#include "platform/disk_ops.h"
#include "platform/memory_status.h"
#include "platform/progress.h"

constexpr int kBenchmarkTextSize = 260;

struct BenchmarkResult {
    bool ok;             // a figure was measured (figure != 0)
    double figure;       // MHz, the Whetstone score, MiB/s, or 1.2 x MiB/s for the disk
    uint32_t errorCode;  // disk only: the system's error code when !ok
    bool showErrorBox;   // disk only: show `text` in the "Disk Benchmark Error" box first
    char text[kBenchmarkTextSize];  // the result field's text (the error text when !ok)
    WhetstoneRun flops;             // the Whetstone run's last pass, the one its score counts
    MemoryRun memory;               // the memory run's blocks and timed loop
    char writtenIn[kDiskPathSize];  // disk only: the directory written in, once one was chosen
    int processors;                 // flops only: the count the one-thread score is multiplied by
    uint64_t writtenMiB;            // disk only: written in the timed passes
    uint32_t diskMs;                // disk only: the passes' time
};

// Durations as the dialog passes them: the test duration for the Whetstone run, twice it
// for the memory and disk runs. The CPU clock takes none.
void RunCpuClockBenchmark(ProgressTarget& progress, BenchmarkResult* result,
                          Clock& clock = SystemClock());
void RunFlopsBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result,
                       Clock& clock = SystemClock());
void RunMemoryBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result,
                        Clock& clock = SystemClock(),
                        MemoryStatusSource& memory = SystemMemoryStatus());
void RunDiskBenchmark(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                      BenchmarkResult* result, DiskOps& ops = SystemDiskOps(),
                      Clock& clock = SystemClock(),
                      MemoryStatusSource& memory = SystemMemoryStatus());

// The result texts: "2.9925432 GHz", "38 Gigaflops", "512 MB/second" / "9 GB/second".
// `out` holds kBenchmarkTextSize bytes.
void FormatCpuClock(double mhz, char* out);
void FormatFlops(uint32_t score, char* out);
void FormatRate(uint32_t figure, char* out);
// The disk's error text: the system's text for `code`, or ours when no call failed.
void DescribeDiskError(uint32_t code, DiskOps& ops, char* out);
