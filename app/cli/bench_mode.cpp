// kelvane-cli bench: each probe and benchmark next to an independent reference measured
// in the same process, so their figures can be checked on this machine.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/cli/cli.h"
#include "app/duration.h"
#include "bench/cpu_clock.h"
#include "bench/disk_transfer.h"
#include "bench/memory_bandwidth.h"
#include "platform/kernel_tsc.h"
#include "sysinfo/system_summary.h"
#include "text/decimal.h"

namespace {

using Steady = std::chrono::steady_clock;

double SecondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

double PercentOff(double measured, double reference) {
    return reference > 0 ? (measured - reference) / reference * 100 : NAN;
}

void BenchProbes(std::FILE* out) {
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    const int runs = 20;
    Steady::time_point start = Steady::now();
    for (int i = 0; i < runs; ++i) ReadSystemSummary(summary.get());
    std::fprintf(out, "probes:  %.2f ms for all System Information fields (mean of %d)\n",
                 SecondsSince(start) * 1000 / runs, runs);
}

void BenchCpuClock(std::FILE* out) {
    double reference = 0;
    if (const char* given = std::getenv("KELVANE_TSC_MHZ")) reference = ReadDecimal(given);
    if (reference <= 0) reference = KernelTscMhz();
    double measured = MeasureCpuClock();
    std::fprintf(out, "cpu:     %.3f MHz; kernel TSC %.3f MHz; %+.3f%%\n", measured, reference,
                 PercentOff(measured, reference));
}

// The block size the benchmark ends up with: halved until two blocks can be had (a
// 32-bit process runs out of addresses long before memory).
uint32_t BenchmarkBlockSize() {
    uint32_t size = GetAvailablePhysicalMemory() >> 1;
    for (; size >= (1u << 20); size >>= 1) {
        void* a = std::malloc(size);
        void* b = a ? std::malloc(size) : nullptr;
        std::free(a);
        std::free(b);
        if (a && b) return size;
    }
    return 0;
}

// Fill, fill, copy of two blocks of the benchmark's size, timed by the standard clock.
double ReferenceMemoryRate(uint32_t blockSize, double seconds) {
    std::unique_ptr<unsigned char[]> fill(new unsigned char[blockSize]);
    std::unique_ptr<unsigned char[]> copy(new unsigned char[blockSize]);
    uint64_t transfers = 0;
    Steady::time_point start = Steady::now();
    while (SecondsSince(start) < seconds) {
        std::memset(fill.get(), 0x81, blockSize);
        std::memset(fill.get(), 0x18, blockSize);
        std::memcpy(copy.get(), fill.get(), blockSize);
        transfers += 3;
    }
    volatile unsigned char keep = copy[blockSize - 1];
    (void)keep;
    return static_cast<double>(transfers) * (blockSize >> 20) / SecondsSince(start);
}

void BenchMemory(uint32_t durationMs, std::FILE* out) {
    uint32_t blockSize = BenchmarkBlockSize();
    if (blockSize == 0) {
        std::fprintf(out, "memory:  no two blocks of 1 MiB to be had\n");
        return;
    }
    // A first touch of that much memory makes the system reclaim its caches: let the
    // warm-up pay for it, not whichever of the two runs comes first.
    ReferenceMemoryRate(blockSize, 0.5);
    uint32_t measured = MeasureMemoryBandwidth(durationMs, nullptr);
    double reference = ReferenceMemoryRate(blockSize, durationMs / 1000.0);
    std::fprintf(out,
                 "memory:  %u MiB/s; plain fill-fill-copy of 2 x %u MiB: %.0f MiB/s; %+.1f%%\n",
                 measured, blockSize >> 20, reference, PercentOff(measured, reference));
}

// One file kept open, 64 MiB unbuffered writes, one flush at the end.
double ReferenceDiskRate(const char* drive, double seconds, DiskOps& ops) {
    char path[4096];
    intptr_t file = kNoFile;
    for (uint32_t n = 900000000; file == kNoFile && n < 900001000; ++n) {
        if (!ops.TemporaryPath(drive, n, path, sizeof path)) return 0;
        file = ops.CreateNew(path);
        if (file == kNoFile && ops.LastError() != ops.FileExistsCode()) return 0;
    }
    if (file == kNoFile) return 0;
    const uint32_t block = 64u << 20;
    void* buffer = ops.AllocateBuffer(block);
    uint64_t written = 0;
    Steady::time_point start = Steady::now();
    while (buffer && SecondsSince(start) < seconds) {
        int64_t n = ops.Write(file, buffer, block);
        if (n <= 0) break;
        written += static_cast<uint64_t>(n);
    }
    ops.Flush(file);
    double elapsed = SecondsSince(start);
    ops.Close(file);
    ops.Remove(path);
    if (buffer) ops.ReleaseBuffer(buffer, block);
    return static_cast<double>(written) / 1048576.0 / elapsed;
}

void BenchDisk(const char* drive, uint32_t durationMs, std::FILE* out) {
    DiskRun run = MeasureDiskTransfer(drive, durationMs, nullptr);
    double reference = ReferenceDiskRate(drive, durationMs / 1000.0, SystemDiskOps());
    double rate = run.figure / 1.2;
    std::fprintf(out,
                 "disk:    figure %u (%.0f MiB/s, %llu MiB in %u ms) on %s; plain unbuffered "
                 "writes: %.0f MiB/s; "
                 "%+.1f%%\n",
                 run.figure, rate, static_cast<unsigned long long>(run.totalMiB), run.elapsedMs,
                 drive, reference, PercentOff(rate, reference));
}

}  // namespace

int RunBenchMode(const CliOptions& options, std::FILE* out, std::FILE*) {
    RemoveTemporaryFileOnInterrupt();
    char drive[kFieldTextSize];
    ChooseDrive(options, drive, sizeof drive);
    const uint32_t duration = 2 * static_cast<uint32_t>(g_TestDuration);
    BenchProbes(out);
    BenchCpuClock(out);
    BenchMemory(duration, out);
    BenchDisk(drive, duration, out);
    return kExitOk;
}
