// kelvane-cli bench: each probe and benchmark next to an independent reference measured
// in the same process, so their figures can be checked on this machine.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "app/cli/cli.h"
#include "app/duration.h"
#include "bench/all_core.h"
#include "bench/cpu_clock.h"
#include "bench/disk_transfer.h"
#include "bench/memory_bandwidth.h"
#include "bench/memory_kernel.h"
#include "platform/kernel_tsc.h"
#include "sysinfo/system_summary.h"
#include "text/decimal.h"

namespace {

using Steady = std::chrono::steady_clock;

double SecondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

void BenchProbes(std::FILE* out) {
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    const int runs = 20;
    Steady::time_point start = Steady::now();
    for (int i = 0; i < runs; ++i) ReadSystemSummary(summary.get());
    std::fprintf(out, "probes:  %.2f ms for all System Information fields (mean of %d)\n",
                 SecondsSince(start) * 1000 / runs, runs);
}

// "+1.2%", or "no reference" where there is none to compare with.
void DescribeDifference(double measured, double reference, char* out, size_t capacity) {
    if (reference > 0)
        std::snprintf(out, capacity, "%+.1f%%", (measured - reference) / reference * 100);
    else
        std::snprintf(out, capacity, "no reference");
}

void BenchCpuClock(std::FILE* out) {
    double reference = 0;
    if (const char* given = std::getenv("KELVANE_TSC_MHZ")) reference = ReadDecimal(given);
    if (!(reference > 0)) reference = KernelTscMhz();
    double measured = MeasureCpuClock();
    char difference[64];
    DescribeDifference(measured, reference, difference, sizeof difference);
    if (reference > 0)
        std::fprintf(out, "cpu:     %.3f MHz; kernel TSC %.3f MHz; %s\n", measured, reference, difference);
    else
        std::fprintf(out,
                     "cpu:     %.3f MHz; no reference (the kernel's TSC figure cannot be read here; "
                     "KELVANE_TSC_MHZ gives it)\n",
                     measured);
}

// Fill, fill, copy of two blocks of the benchmark's size, warmed first as the benchmark's
// own are, and timed by the standard clock.
double ReferenceMemoryRate(uint32_t blockSize, double seconds) {
    std::unique_ptr<unsigned char[]> fill(new (std::nothrow) unsigned char[blockSize]);
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[blockSize]);
    if (!fill || !copy) return 0;
    RunPlainFillCopy(fill.get(), copy.get(), blockSize);
    uint64_t transfers = 0;
    Steady::time_point start = Steady::now();
    while (SecondsSince(start) < seconds) {
        RunPlainFillCopy(fill.get(), copy.get(), blockSize);
        transfers += 3;
    }
    return static_cast<double>(transfers) * (blockSize >> 20) / SecondsSince(start);
}

void BenchMemory(uint32_t durationMs, std::FILE* out) {
    MemoryRun run = {};
    uint32_t measured = MeasureMemoryBandwidth(durationMs, nullptr, SystemClock(), SystemMemoryStatus(),
                                               SystemBlockAllocator(), &run);
    if (measured == 0) {
        std::fprintf(out, "memory:  no result: no two blocks of 1 MiB to be had\n");
        return;
    }
    // The same block size, in the same process, right after: what differs is the
    // benchmark's own loop and clock.
    double reference = ReferenceMemoryRate(run.blockBytes, run.elapsedMs / 1000.0);
    char difference[64];
    DescribeDifference(measured, reference, difference, sizeof difference);
    std::fprintf(out,
                 "memory:  %u MiB/s (2 x %u MiB, %llu MiB in %u ms); plain fill-fill-copy of the same blocks: "
                 "%.0f MiB/s; %s\n",
                 measured, run.blockBytes >> 20, static_cast<unsigned long long>(run.movedMiB), run.elapsedMs,
                 reference, difference);
}

// All threads' fill-fill-copy against the same cycle in a plain loop on as many threads,
// with blocks of the same size, right after.
void BenchMemoryThreads(int threads, uint32_t durationMs, std::FILE* out) {
    std::unique_ptr<ThreadedMemoryRun> run(new ThreadedMemoryRun());
    if (!MeasureMemoryBandwidthThreads(threads, durationMs, nullptr, run.get())) {
        std::fprintf(out, "memory:  %d threads: no result: no pair of 1 MiB blocks for each thread\n", threads);
        return;
    }
    double reference = ReferenceMemoryRateThreads(threads, run->blockBytes, run->elapsedMs);
    char difference[64];
    DescribeDifference(run->mibPerSecond, reference, difference, sizeof difference);
    std::fprintf(out,
                 "memory:  %d threads: %u MiB/s (2 x %u MiB each, %llu MiB in %u ms); plain fill-fill-copy on %d "
                 "threads of the same blocks: %.0f MiB/s; %s\n",
                 threads, run->mibPerSecond, run->blockBytes >> 20, static_cast<unsigned long long>(run->movedMiB),
                 run->elapsedMs, threads, reference, difference);
}

// As a direct, flush-per-write measurement would do it: a new file per pass, one unbuffered
// write of 256 MiB and a flush, on the benchmark's file system. Only the write and its flush
// are timed; the benchmark also times creating, closing and deleting its files.
double ReferenceDiskRate(const char* drive, double seconds, DiskOps& ops) {
    const uint32_t block = 256u << 20;
    void* buffer = ops.AllocateBuffer(block);
    if (!buffer) return 0;
    uint64_t written = 0;
    double timed = 0;
    Steady::time_point start = Steady::now();
    char directory[kDiskPathSize];
    if (!ops.ChooseDirectory(drive, directory, sizeof directory)) {
        ops.ReleaseBuffer(buffer, block);
        return 0;
    }
    uint32_t number = 900000000;
    while (SecondsSince(start) < seconds) {
        intptr_t file = kNoFile;
        for (int attempt = 0; file == kNoFile && attempt < 1000; ++attempt, ++number) {
            file = ops.CreateNew(directory, number);
            if (file == kNoFile && ops.LastError() != ops.FileExistsCode()) break;
        }
        if (file == kNoFile) break;
        Steady::time_point pass = Steady::now();
        int64_t n = ops.Write(file, buffer, block);
        bool flushed = n > 0 && ops.Flush(file);
        timed += SecondsSince(pass);
        ops.Close(file);  // the file goes with its handle
        if (!flushed) break;
        written += static_cast<uint64_t>(n);
    }
    ops.ReleaseBuffer(buffer, block);
    return timed > 0 ? static_cast<double>(written) / 1048576.0 / timed : 0;
}

void BenchDisk(const char* drive, uint32_t durationMs, std::FILE* out) {
    DiskRun run = MeasureDiskTransfer(drive, durationMs, nullptr);
    double reference = run.figure ? ReferenceDiskRate(drive, durationMs / 1000.0, SystemDiskOps()) : 0;
    double rate = run.figure / 1.2;
    char difference[64];
    DescribeDifference(rate, reference, difference, sizeof difference);
    std::fprintf(out,
                 "disk:    figure %u (%.0f MiB/s, %llu MiB in %u ms) on %s; new file, 256 MiB direct write and "
                 "flush per pass: %.0f MiB/s; %s\n",
                 run.figure, rate, static_cast<unsigned long long>(run.totalMiB), run.elapsedMs, drive, reference,
                 difference);
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
    if (options.threads) BenchMemoryThreads(ThreadCount(options), duration, out);
    BenchDisk(drive, duration, out);
    return kExitOk;
}
