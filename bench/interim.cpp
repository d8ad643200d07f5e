// Stand-ins until the benchmarks land; they keep the programs linkable.
#include <cstring>

#include "bench/benchmarks.h"

namespace {
void NoResult(BenchmarkResult* result) {
    *result = BenchmarkResult{};
}
}  // namespace

void RunCpuClockBenchmark(ProgressTarget&, BenchmarkResult* result) { NoResult(result); }
void RunFlopsBenchmark(uint32_t, ProgressTarget&, BenchmarkResult* result) { NoResult(result); }
void RunMemoryBenchmark(uint32_t, ProgressTarget&, BenchmarkResult* result) { NoResult(result); }
void RunDiskBenchmark(const char*, uint32_t, ProgressTarget&, BenchmarkResult* result) {
    NoResult(result);
}
