// kelvane-cli bench: each probe and benchmark next to an independent reference measured
// in the same process, so their figures can be checked on this machine.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/cli/cli.h"
#include "app/cli/console_progress.h"
#include "app/duration.h"
#include "bench/all_core.h"
#include "bench/cpu_clock.h"
#include "bench/disk_transfer.h"
#include "bench/memory_bandwidth.h"
#include "bench/memory_kernel.h"
#include "platform/kernel_tsc.h"
#include "sysinfo/system_summary.h"
#include "text/decimal.h"
#include "text/json_writer.h"

namespace {

using Steady = std::chrono::steady_clock;

double SecondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

// One line of text, or one member of the document's "results".
struct BenchOutput {
    std::FILE* out;
    JsonWriter* json;  // nullptr: text
};

// The measured figure beside its reference, and their ratio (null without a reference).
void WriteComparisonJson(JsonWriter& json, const char* unit, double measured, double reference) {
    json.Field(unit, measured);
    json.Key((std::string("reference_") + unit).c_str());
    if (reference > 0)
        json.Number(reference);
    else
        json.Null();
    json.Key("ratio");
    if (reference > 0)
        json.Number(measured / reference);
    else
        json.Null();
}

void BenchProbes(const BenchOutput& output) {
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    const int runs = 20;
    Steady::time_point start = Steady::now();
    for (int i = 0; i < runs; ++i) ReadSystemSummary(summary.get());
    const double ms = SecondsSince(start) * 1000 / runs;
    if (output.json) {
        output.json->Key("probes");
        output.json->BeginObject();
        output.json->Field("mean_ms", ms);
        output.json->Field("runs", static_cast<int64_t>(runs));
        output.json->EndObject();
        return;
    }
    std::fprintf(output.out, "probes:  %.2f ms for all System Information fields (mean of %d)\n",
                 ms, runs);
}

// "+1.2%", or "no reference" where there is none to compare with.
void DescribeDifference(double measured, double reference, char* out, size_t capacity) {
    if (reference > 0)
        std::snprintf(out, capacity, "%+.1f%%", (measured - reference) / reference * 100);
    else
        std::snprintf(out, capacity, "no reference");
}

void BenchCpuClock(const BenchOutput& output) {
    double reference = 0;
    if (const char* given = std::getenv("KELVANE_TSC_MHZ")) reference = ReadDecimal(given);
    if (!(reference > 0)) reference = KernelTscMhz();
    double measured = MeasureCpuClock();
    if (output.json) {
        output.json->Key("cpu");
        output.json->BeginObject();
        WriteComparisonJson(*output.json, "mhz", measured, reference);
        output.json->Field("reference", "the kernel's time-stamp counter calibration");
        output.json->EndObject();
        return;
    }
    char difference[64];
    DescribeDifference(measured, reference, difference, sizeof difference);
    if (reference > 0)
        std::fprintf(output.out, "cpu:     %.3f MHz; kernel TSC %.3f MHz; %s\n", measured,
                     reference, difference);
    else
        std::fprintf(output.out,
                     "cpu:     %.3f MHz; no reference (the kernel's TSC figure cannot be read "
                     "here; KELVANE_TSC_MHZ gives it)\n",
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

void BenchMemory(uint32_t durationMs, ProgressTarget* progress, const BenchOutput& output) {
    MemoryRun run = {};
    uint32_t measured = MeasureMemoryBandwidth(durationMs, progress, SystemClock(),
                                               SystemMemoryStatus(), SystemBlockAllocator(), &run);
    // The same block size, in the same process, right after: what differs is the
    // benchmark's own loop and clock.
    if (progress) progress->Set("plain fill-fill-copy of the same blocks...");
    double reference = measured ? ReferenceMemoryRate(run.blockBytes, run.elapsedMs / 1000.0) : 0;
    if (output.json) {
        output.json->Key("memory");
        output.json->BeginObject();
        output.json->Key("ok");
        output.json->Bool(measured != 0);
        WriteComparisonJson(*output.json, "mib_per_second", measured, reference);
        output.json->Field("block_bytes", static_cast<uint64_t>(run.blockBytes));
        output.json->Field("moved_mib", run.movedMiB);
        output.json->Field("timed_ms", static_cast<uint64_t>(run.elapsedMs));
        output.json->EndObject();
        return;
    }
    if (measured == 0) {
        std::fprintf(output.out, "memory:  no result: no two blocks of 1 MiB to be had\n");
        return;
    }
    char difference[64];
    DescribeDifference(measured, reference, difference, sizeof difference);
    std::fprintf(output.out,
                 "memory:  %u MiB/s (2 x %u MiB, %llu MiB in %u ms); plain fill-fill-copy of the "
                 "same blocks: %.0f MiB/s; %s\n",
                 measured, run.blockBytes >> 20, static_cast<unsigned long long>(run.movedMiB),
                 run.elapsedMs, reference, difference);
}

// All threads' fill-fill-copy against the same cycle in a plain loop on as many threads,
// with blocks of the same size, right after.
void BenchMemoryThreads(int threads, uint32_t durationMs, ProgressTarget* progress,
                        const BenchOutput& output) {
    std::unique_ptr<ThreadedMemoryRun> run(new ThreadedMemoryRun());
    const bool ok = MeasureMemoryBandwidthThreads(threads, durationMs, progress, run.get());
    if (progress) progress->Set("plain fill-fill-copy on as many threads...");
    double reference =
        ok ? ReferenceMemoryRateThreads(threads, run->blockBytes, run->elapsedMs) : 0;
    if (output.json) {
        output.json->Key("memory_threads");
        output.json->BeginObject();
        output.json->Field("threads", static_cast<int64_t>(threads));
        output.json->Key("ok");
        output.json->Bool(ok);
        WriteComparisonJson(*output.json, "mib_per_second", ok ? run->mibPerSecond : 0, reference);
        output.json->Field("block_bytes", static_cast<uint64_t>(run->blockBytes));
        output.json->Field("moved_mib", run->movedMiB);
        output.json->Field("timed_ms", static_cast<uint64_t>(run->elapsedMs));
        output.json->EndObject();
        return;
    }
    if (!ok) {
        std::fprintf(output.out,
                     "memory:  %d threads: no result: no pair of 1 MiB blocks for each thread\n",
                     threads);
        return;
    }
    char difference[64];
    DescribeDifference(run->mibPerSecond, reference, difference, sizeof difference);
    std::fprintf(output.out,
                 "memory:  %d threads: %u MiB/s (2 x %u MiB each, %llu MiB in %u ms); plain "
                 "fill-fill-copy on %d threads of the same blocks: %.0f MiB/s; %s\n",
                 threads, run->mibPerSecond, run->blockBytes >> 20,
                 static_cast<unsigned long long>(run->movedMiB), run->elapsedMs, threads, reference,
                 difference);
}

// As a direct, flush-per-write measurement would do it: a new file per pass, one unbuffered
// write of the benchmark's first buffer (256 MiB where memory allows) and a flush, on the
// benchmark's file system. Only the write and its flush are timed; the benchmark also times
// creating, closing and deleting its files.
double ReferenceDiskRate(const char* drive, double seconds, DiskOps& ops) {
    const uint32_t block = FirstDiskBufferRequest();
    void* buffer = block >= (1u << 20) ? ops.AllocateBuffer(block) : nullptr;
    if (!buffer) return 0;
    uint64_t written = 0;
    double timed = 0;
    Steady::time_point start = Steady::now();
    char path[kDiskPathSize];
    const intptr_t directory =
        ops.ChooseDirectory(drive, path, sizeof path) ? ops.OpenDirectory(path) : kNoFile;
    if (directory == kNoFile) {
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
    ops.CloseDirectory(directory);
    ops.ReleaseBuffer(buffer, block);
    return timed > 0 ? static_cast<double>(written) / 1048576.0 / timed : 0;
}

void BenchDisk(const char* drive, uint32_t durationMs, ProgressTarget* progress,
               const BenchOutput& output) {
    DiskRun run = MeasureDiskTransfer(drive, durationMs, progress);
    if (progress) progress->Set("new file, 256 MiB direct write and flush per pass...");
    double reference =
        run.figure ? ReferenceDiskRate(drive, durationMs / 1000.0, SystemDiskOps()) : 0;
    double rate = run.figure / 1.2;
    if (output.json) {
        output.json->Key("disk");
        output.json->BeginObject();
        output.json->Key("ok");
        output.json->Bool(run.figure != 0);
        WriteComparisonJson(*output.json, "mib_per_second", rate, reference);
        output.json->Field("figure_1_2_mib_per_second", static_cast<uint64_t>(run.figure));
        output.json->Field("written_mib", run.totalMiB);
        output.json->Field("timed_ms", static_cast<uint64_t>(run.elapsedMs));
        output.json->Field("drive", drive);
        output.json->EndObject();
        return;
    }
    char difference[64];
    DescribeDifference(rate, reference, difference, sizeof difference);
    std::fprintf(output.out,
                 "disk:    figure %u (%.0f MiB/s, %llu MiB in %u ms) on %s; new file, 256 MiB "
                 "direct write and flush per pass: %.0f MiB/s; %s\n",
                 run.figure, rate, static_cast<unsigned long long>(run.totalMiB), run.elapsedMs,
                 drive, reference, difference);
}

}  // namespace

int RunBenchMode(const CliOptions& options, std::FILE* out, std::FILE* err) {
    RemoveTemporaryFileOnInterrupt();
    char drive[kFieldTextSize];
    ChooseDrive(options, drive, sizeof drive);
    const uint32_t duration = 2 * static_cast<uint32_t>(g_TestDuration);
    ConsoleProgress progress(err, ChooseProgressStyle(err, options.quiet));
    JsonWriter json;
    const BenchOutput output = {out, options.json ? &json : nullptr};
    if (options.json) {
        std::unique_ptr<SystemSummary> summary(new SystemSummary());
        ReadSystemSummary(summary.get());
        BeginJsonDocument(json, "bench");
        WriteMachineJson(*summary, json);
        json.Field("duration_ms", static_cast<int64_t>(g_TestDuration));
        json.Key("results");
        json.BeginObject();
    }
    // Each step as the benchmarks show it, with the reference's time in the expectation.
    progress.BeginStep("probes:", 100);
    BenchProbes(output);
    progress.BeginStep("cpu:", 1000);
    BenchCpuClock(output);
    progress.BeginStep("memory:", 2000 + 2 * (duration > 1000 ? duration : 1000));
    BenchMemory(duration, &progress, output);
    if (options.threads) {
        progress.BeginStep("memory:", 2000 + 2 * (duration > 1000 ? duration : 1000));
        BenchMemoryThreads(ThreadCount(options), duration, &progress, output);
    }
    progress.BeginStep("disk:", 2 * duration + 1000);
    BenchDisk(drive, duration, &progress, output);
    progress.EndStep();
    if (options.json) {
        json.EndObject();
        json.EndObject();
        std::fprintf(out, "%s\n", json.Text().c_str());
    }
    return kExitOk;
}
