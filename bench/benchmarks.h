// The four benchmarks as the front-ends run them: each measures, then composes the text
// of its result field. Progress texts go to `progress` while it runs.
#pragma once

#include <cstdint>

#include "platform/progress.h"

struct BenchmarkResult {
    bool ok;              // a figure was measured (figure != 0)
    double figure;        // MHz, the Whetstone score, MiB/s, or 1.2 x MiB/s for the disk
    uint32_t errorCode;   // disk only: the system's error code when !ok
    bool showErrorBox;    // disk only: show `text` in the "Disk Benchmark Error" box first
    char text[260];       // the result field's text (the error text when !ok)
};

void RunCpuClockBenchmark(ProgressTarget& progress, BenchmarkResult* result);
void RunFlopsBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result);
void RunMemoryBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result);
void RunDiskBenchmark(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                      BenchmarkResult* result);
