#include "bench/benchmarks.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "bench/cpu_clock.h"
#include "bench/disk_transfer.h"
#include "bench/memory_bandwidth.h"
#include "bench/whetstone.h"
#include "sysinfo/processor_count.h"
#include "text/bounded_copy.h"
#include "text/decimal.h"

void FormatCpuClock(double mhz, char* out) {
    FormatNumber(out, CutToDecimals(mhz * 0.001, 7), 15);
    if (!std::strchr(out, '.')) std::strcat(out, ".");
    while (std::strlen(out) < 4) std::strcat(out, "0");
    std::strcat(out, " GHz");
}

void FormatFlops(uint32_t score, char* out) {
    if (score >= 1000000)
        std::snprintf(out, kBenchmarkTextSize, "%lu Teraflops",
                      static_cast<unsigned long>(score / 1000000));
    else if (score >= 1000)
        std::snprintf(out, kBenchmarkTextSize, "%lu Gigaflops",
                      static_cast<unsigned long>(score / 1000));
    else
        std::snprintf(out, kBenchmarkTextSize, "%lu Megaflops", static_cast<unsigned long>(score));
}

void FormatRate(uint32_t figure, char* out) {
    if (figure < 1000)
        std::snprintf(out, kBenchmarkTextSize, "%lu MB/second", static_cast<unsigned long>(figure));
    else
        std::snprintf(out, kBenchmarkTextSize, "%lu GB/second",
                      static_cast<unsigned long>(figure / 1000));
}

void RunCpuClockBenchmark(ProgressTarget& progress, BenchmarkResult* result, Clock& clock) {
    *result = BenchmarkResult{};
    progress.Show("Emitting RdTSC...");
    uint64_t frequency = 0;
    double mhz = 0;
    // Without a counter there is nothing to measure against: 0, at once.
    if (clock.CounterFrequency(&frequency) && frequency != 0) {
        clock.Sleep(500);
        mhz = MeasureCpuClock(clock);
        if (!(mhz >= 100)) mhz = static_cast<double>(MeasureCpuClockFallback(clock));
    }
    result->figure = mhz;
    result->ok = mhz > 0;
    FormatCpuClock(mhz, result->text);
}

void RunFlopsBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result,
                       Clock& clock) {
    *result = BenchmarkResult{};
    result->processors = CountProcessors();
    result->flops = RunWhetstone(durationMs, &progress, result->processors, clock);
    result->figure = result->flops.score;
    result->ok = result->flops.score > 0;
    FormatFlops(result->flops.score, result->text);
}

void RunMemoryBenchmark(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result,
                        Clock& clock, MemoryStatusSource& memory) {
    *result = BenchmarkResult{};
    uint32_t figure = MeasureMemoryBandwidth(durationMs, &progress, clock, memory,
                                             SystemBlockAllocator(), &result->memory);
    result->figure = figure;
    result->ok = figure > 0;
    FormatRate(figure, result->text);
}

void DescribeDiskError(uint32_t code, DiskOps& ops, char* out) {
    if (code == kDiskTooSlowToMeasure || code == 0) {
        CopyBounded(out, "The drive wrote too little in the time given to measure its rate.",
                    kBenchmarkTextSize);
        return;
    }
    if (code == kDiskNoBuffer) {
        CopyBounded(out, "Too little memory is free for a 1 MB write buffer.", kBenchmarkTextSize);
        return;
    }
    ops.ErrorText(code, out, kBenchmarkTextSize);
}

void RunDiskBenchmark(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                      BenchmarkResult* result, DiskOps& ops, Clock& clock,
                      MemoryStatusSource& memory) {
    *result = BenchmarkResult{};
    DiskRun run = MeasureDiskTransfer(drive, durationMs, &progress, ops, clock, memory);
    CopyBounded(result->writtenIn, run.writtenIn, sizeof result->writtenIn);
    result->figure = run.figure;
    result->writtenMiB = run.totalMiB;
    result->diskMs = run.elapsedMs;
    result->ok = run.figure > 0;
    if (result->ok) {
        FormatRate(run.figure, result->text);
        return;
    }
    result->errorCode = run.errorCode;
    result->showErrorBox = true;
    DescribeDiskError(run.errorCode, ops, result->text);
}
