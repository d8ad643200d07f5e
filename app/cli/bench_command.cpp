// kelvane-cli cpu|flops|memory|disk|all: the benchmarks on a console, progress on stderr.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/console_progress.h"
#include "app/duration.h"
#include "bench/all_core.h"
#include "bench/benchmarks.h"
#include "bench/samples.h"
#include "platform/disk_ops.h"
#include "platform/drives.h"
#include "sysinfo/cpu_topology.h"
#include "sysinfo/cpuid_leaves.h"
#include "sysinfo/memory_video_os.h"
#include "sysinfo/processor_count.h"
#include "sysinfo/system_summary.h"
#include "text/json_writer.h"

namespace {

enum class Benchmark { kCpu, kFlops, kMemory, kDisk };

struct BenchmarkInfo {
    Benchmark benchmark;
    const char* label;  // as the dialog shows it
    const char* key;
};

constexpr BenchmarkInfo kBenchmarks[] = {
    {Benchmark::kCpu, "CPU Speed:", "cpu"},
    {Benchmark::kFlops, "CPU FLOPS:", "flops"},
    {Benchmark::kMemory, "Mem Bandwidth:", "memory"},
    {Benchmark::kDisk, "Disk Transfer:", "disk"},
};

bool Selected(CliCommand command, Benchmark benchmark) {
    switch (command) {
        case CliCommand::kCpu:
            return benchmark == Benchmark::kCpu;
        case CliCommand::kFlops:
            return benchmark == Benchmark::kFlops;
        case CliCommand::kMemory:
            return benchmark == Benchmark::kMemory;
        case CliCommand::kDisk:
            return benchmark == Benchmark::kDisk;
        default:
            return true;
    }
}

// How long a step takes at test duration `d`, for the progress bar: the clock's 0.5 s wait
// and 1 s count; Whetstone's doubling passes, about twice the last one's max(d, 3 s); the
// memory run's 1 s wait, warm-up and at least max(2d, 1 s); the disk's passes for 2d.
uint32_t ExpectedMs(Benchmark benchmark, uint32_t d) {
    switch (benchmark) {
        case Benchmark::kCpu:
            return 1500;
        case Benchmark::kFlops:
            return 2 * (d > 3000 ? d : 3000);
        case Benchmark::kMemory:
            return 2000 + (2 * d > 1000 ? 2 * d : 1000);
        case Benchmark::kDisk:
            return 500 + (2 * d > 1000 ? 2 * d : 1000);
    }
    return 0;
}

// The all-core runs that follow the dialog's figure of flops and memory with --threads.
struct ThreadedRuns {
    ThreadedWhetstoneRun flops;
    ThreadedMemoryRun memory;
    bool memoryOk;
};

const char* CoreKindName(int kind) {
    return kind == kCorePerformance  ? "performance"
           : kind == kCoreEfficiency ? "efficiency"
                                     : "unknown";
}

// On a hybrid processor, the threads of each kind of core and what they did together;
// nothing elsewhere. `unit` follows each figure; flops scores are shown in Gigaflops.
void WriteCoreKindLine(const int8_t* kinds, const uint32_t* figures, int threads, bool flops,
                       std::FILE* out) {
    const CoreKindTotals totals = TotalByCoreKind(kinds, figures, threads);
    if (!totals.hybrid) return;
    std::fprintf(out, "  by core kind:");
    const char* separator = " ";
    for (int kind : {kCorePerformance, kCoreEfficiency, kCoreUnknown}) {
        if (!totals.threads[kind]) continue;
        std::fprintf(out, "%s%s %d thread%s, ", separator, CoreKindName(kind), totals.threads[kind],
                     totals.threads[kind] == 1 ? "" : "s");
        if (flops)
            std::fprintf(out, "%.1f Gigaflops", totals.figure[kind] / 1000.0);
        else
            std::fprintf(out, "%llu MiB/s", static_cast<unsigned long long>(totals.figure[kind]));
        separator = "; ";
    }
    std::fprintf(out, "\n");
}

void WriteCoreKindJson(const int8_t* kinds, const uint32_t* figures, int threads,
                       const char* figureKey, JsonWriter& json) {
    json.Key("per_thread_core_kinds");
    json.BeginArray();
    for (int t = 0; t < threads; ++t) json.String(CoreKindName(kinds[t]));
    json.EndArray();
    const CoreKindTotals totals = TotalByCoreKind(kinds, figures, threads);
    if (!totals.hybrid) return;
    json.Key("by_core_kind");
    json.BeginObject();
    for (int kind : {kCorePerformance, kCoreEfficiency, kCoreUnknown}) {
        if (!totals.threads[kind]) continue;
        json.Key(CoreKindName(kind));
        json.BeginObject();
        json.Field("threads", static_cast<int64_t>(totals.threads[kind]));
        json.Field(figureKey, totals.figure[kind]);
        json.EndObject();
    }
    json.EndObject();
}

// Where the system started fewer threads than were asked for, the figures are of those.
void WriteFewerThreads(int requested, int started, std::FILE* out) {
    if (started < requested)
        std::fprintf(out, "  (%d threads asked for; the system started only %d)\n", requested,
                     started);
}

void WriteThreadedFlops(const BenchmarkResult& single, const ThreadedWhetstoneRun& run,
                        std::FILE* out) {
    if (run.threads == 0) {
        std::fprintf(out, "  %d threads:   no result: the system started no thread\n",
                     run.requested);
        return;
    }
    WriteFewerThreads(run.requested, run.threads, out);
    const uint32_t one = WhetstoneScore(single.flops.iterations, single.flops.elapsedMs, 1);
    std::fprintf(out, "  %d threads:   %.1f Gigaflops together (", run.threads,
                 run.totalScore / 1000.0);
    for (int t = 0; t < run.threads; ++t)
        std::fprintf(out, "%s%.1f", t ? " + " : "", run.threadScore[t] / 1000.0);
    std::fprintf(out, " each); one thread %.1f Gigaflops; scaling %.2f x\n", one / 1000.0,
                 one ? static_cast<double>(run.totalScore) / one : 0.0);
    WriteCoreKindLine(run.threadCore, run.threadScore, run.threads, true, out);
}

void WriteThreadedMemory(const ThreadedMemoryRun& run, bool ok, std::FILE* out) {
    if (!ok) {
        std::fprintf(out, "  %d threads:   no result: %s\n", run.requested,
                     run.threads ? "no pair of 1 MiB blocks for each thread"
                                 : "the system started no thread");
        return;
    }
    WriteFewerThreads(run.requested, run.threads, out);
    std::fprintf(out, "  %d threads:   %u MiB/s together (", run.threads, run.mibPerSecond);
    for (int t = 0; t < run.threads; ++t)
        std::fprintf(out, "%s%u", t ? " + " : "", run.threadMibPerSecond[t]);
    std::fprintf(out, " MiB/s each, 2 x %u MiB blocks each)\n", run.blockBytes >> 20);
    WriteCoreKindLine(run.threadCore, run.threadMibPerSecond, run.threads, false, out);
}

void RunOne(Benchmark benchmark, uint32_t duration, const char* drive, ConsoleProgress& progress,
            BenchmarkResult* result) {
    switch (benchmark) {
        case Benchmark::kCpu:
            RunCpuClockBenchmark(progress, result);
            break;
        case Benchmark::kFlops:
            RunFlopsBenchmark(duration, progress, result);
            break;
        case Benchmark::kMemory:
            RunMemoryBenchmark(2 * duration, progress, result);
            break;
        case Benchmark::kDisk:
            RunDiskBenchmark(drive, 2 * duration, progress, result);
            break;
    }
}

// A run's figure in the unit of its JSON key: MHz, the Whetstone score, MiB/s (the disk's
// plain rate, not the dialog's 1.2 x).
double SampleFigure(Benchmark benchmark, const BenchmarkResult& result) {
    return benchmark == Benchmark::kDisk ? result.figure / 1.2 : result.figure;
}

struct Repeats {
    Benchmark benchmark;
    std::vector<double> figures;
    SampleSummary summary;
};

const char* SampleUnitKey(Benchmark benchmark) {
    switch (benchmark) {
        case Benchmark::kCpu:
            return "mhz";
        case Benchmark::kFlops:
            return "whetstone_score";
        default:
            return "mib_per_second";
    }
}

// A sample as the text writes it: MHz, Gigaflops, MiB/s.
void AppendSample(Benchmark benchmark, double figure, std::string* text) {
    char number[32];
    if (benchmark == Benchmark::kFlops)
        std::snprintf(number, sizeof number, "%.1f", figure / 1000);
    else if (benchmark == Benchmark::kCpu)
        std::snprintf(number, sizeof number, "%.1f", figure);
    else
        std::snprintf(number, sizeof number, "%.0f", figure);
    *text += number;
}

void WriteRepeats(const Repeats& repeats, std::FILE* out) {
    const char* unit = repeats.benchmark == Benchmark::kCpu     ? "MHz"
                       : repeats.benchmark == Benchmark::kFlops ? "Gigaflops"
                                                                : "MiB/s";
    std::string line = "  " + std::to_string(repeats.figures.size()) + " runs:      median ";
    AppendSample(repeats.benchmark, repeats.summary.median, &line);
    line += ", minimum ";
    AppendSample(repeats.benchmark, repeats.summary.minimum, &line);
    line += ", maximum ";
    AppendSample(repeats.benchmark, repeats.summary.maximum, &line);
    char spread[64];
    std::snprintf(spread, sizeof spread, " %s; spread %.1f %%\n  samples:      ", unit,
                  repeats.summary.spreadPercent);
    line += spread;
    for (size_t i = 0; i < repeats.figures.size(); ++i) {
        if (i) line += ", ";
        AppendSample(repeats.benchmark, repeats.figures[i], &line);
    }
    std::fprintf(out, "%s\n", line.c_str());
}

void WriteRepeatsJson(const Repeats& repeats, JsonWriter& json) {
    json.Key("repeat");
    json.BeginObject();
    json.Field("count", static_cast<int64_t>(repeats.figures.size()));
    json.Field("unit", SampleUnitKey(repeats.benchmark));
    json.Key("samples");
    json.BeginArray();
    for (double figure : repeats.figures) json.Number(figure);
    json.EndArray();
    json.Field("median", repeats.summary.median);
    json.Field("minimum", repeats.summary.minimum);
    json.Field("maximum", repeats.summary.maximum);
    json.Field("spread_percent", repeats.summary.spreadPercent);
    json.Field("median_sample", static_cast<int64_t>(repeats.summary.medianIndex));
    json.EndObject();
}

// The last level of cache, all its instances together; 0 where no cache is known.
uint64_t LastLevelCacheBytes() {
    CpuidLeaves leaves;
    ReadCpuidLeaves(&leaves);
    CpuTopology topology;
    ReadCpuTopology(leaves, &topology);
    for (const CpuTopology::CacheLevel* level : {&topology.l3, &topology.l2})
        if (level->totalBytes) return level->totalBytes;
    return 0;
}

// Blocks that fit four times in the last cache level measure the cache, not the memory:
// what an address-space or cgroup limit leaves may be that small.
bool CacheSizedBlocks(const BenchmarkResult& result, uint64_t cacheBytes) {
    return result.ok && cacheBytes && uint64_t{result.memory.blockBytes} < 4 * cacheBytes;
}

// What the dialog's rule hides of a figure, for the text beside it: the disk's MiB/s (the
// dialog counts 1.2 x MiB/s), one thread's Whetstone score before the processor count,
// the memory's MiB/s under a whole number of GB/second. Empty where the text is exact.
void DescribeExactFigure(Benchmark benchmark, const BenchmarkResult& result, const char* drive,
                         char* out, size_t capacity) {
    out[0] = '\0';
    if (!result.ok) return;
    switch (benchmark) {
        case Benchmark::kCpu:
            return;
        case Benchmark::kFlops: {
            const uint32_t one = WhetstoneScore(result.flops.iterations, result.flops.elapsedMs, 1);
            const int n = result.processors;
            if (one >= 1000)
                std::snprintf(out, capacity, " (one thread %.1f Gigaflops x %d processor%s)",
                              one / 1000.0, n, n == 1 ? "" : "s");
            else
                std::snprintf(out, capacity, " (one thread %u Megaflops x %d processor%s)", one, n,
                              n == 1 ? "" : "s");
            return;
        }
        case Benchmark::kMemory: {
            char cache[64] = "";
            if (CacheSizedBlocks(result, LastLevelCacheBytes()))
                std::snprintf(cache, sizeof cache, "cache-sized blocks: %u MiB",
                              result.memory.blockBytes >> 20);
            if (result.figure >= 1000)
                std::snprintf(out, capacity, " (%.0f MiB/s%s%s)", result.figure,
                              cache[0] ? "; " : "", cache);
            else if (cache[0])
                std::snprintf(out, capacity, " (%s)", cache);
            return;
        }
        case Benchmark::kDisk: {
            // The user may not write on the drive itself: then it says where the file went.
            const bool elsewhere = result.writtenIn[0] && std::strcmp(result.writtenIn, drive) != 0;
            std::snprintf(out, capacity, " (%.0f MiB/s written%s%s, %u ms)", result.figure / 1.2,
                          elsewhere ? " in " : "", elsewhere ? result.writtenIn : "",
                          result.diskMs);
            return;
        }
    }
}

void WriteThreadedJson(Benchmark benchmark, const BenchmarkResult& single, const ThreadedRuns& runs,
                       JsonWriter& json) {
    json.Key("threads");
    json.BeginObject();
    if (benchmark == Benchmark::kFlops) {
        const ThreadedWhetstoneRun& run = runs.flops;
        const uint32_t one = WhetstoneScore(single.flops.iterations, single.flops.elapsedMs, 1);
        json.Field("count", static_cast<int64_t>(run.threads));
        json.Field("requested", static_cast<int64_t>(run.requested));
        json.Field("all_core_whetstone_score", run.totalScore);
        json.Key("per_thread_whetstone_scores");
        json.BeginArray();
        for (int t = 0; t < run.threads; ++t)
            json.Number(static_cast<uint64_t>(run.threadScore[t]));
        json.EndArray();
        json.Field("single_thread_whetstone_score", static_cast<uint64_t>(one));
        json.Field("scaling", one ? static_cast<double>(run.totalScore) / one : 0.0);
        json.Field("last_pass_iterations", static_cast<int64_t>(run.iterations));
        json.Field("last_pass_slowest_ms", static_cast<uint64_t>(run.slowestMs));
        WriteCoreKindJson(run.threadCore, run.threadScore, run.threads, "whetstone_score", json);
    } else {
        const ThreadedMemoryRun& run = runs.memory;
        json.Field("count", static_cast<int64_t>(run.threads));
        json.Field("requested", static_cast<int64_t>(run.requested));
        json.Key("ok");
        json.Bool(runs.memoryOk);
        json.Field("all_core_mib_per_second", static_cast<uint64_t>(run.mibPerSecond));
        json.Key("per_thread_mib_per_second");
        json.BeginArray();
        for (int t = 0; t < run.threads; ++t)
            json.Number(static_cast<uint64_t>(run.threadMibPerSecond[t]));
        json.EndArray();
        json.Field("block_bytes", static_cast<uint64_t>(run.blockBytes));
        json.Field("moved_mib", run.movedMiB);
        json.Field("elapsed_ms", static_cast<uint64_t>(run.elapsedMs));
        WriteCoreKindJson(run.threadCore, run.threadMibPerSecond, run.threads, "mib_per_second",
                          json);
    }
    json.EndObject();
}

void WriteResultJson(Benchmark benchmark, const BenchmarkResult& result, const char* drive,
                     const ThreadedRuns* runs, const Repeats* repeats, JsonWriter& json) {
    json.BeginObject();
    json.Field("text", result.text);
    json.Key("ok");
    json.Bool(result.ok);
    switch (benchmark) {
        case Benchmark::kCpu:
            json.Field("mhz", result.figure);
            break;
        case Benchmark::kFlops:
            json.Field("whetstone_score", static_cast<uint64_t>(result.flops.score));
            // Enough to recompute the score: iterations x 100 / ms, x 1000 / 170, x processors.
            json.Field("last_pass_iterations", static_cast<int64_t>(result.flops.iterations));
            json.Field("last_pass_ms", static_cast<uint64_t>(result.flops.elapsedMs));
            break;
        case Benchmark::kMemory:
            json.Field("mib_per_second", result.figure);
            json.Field("block_bytes", static_cast<uint64_t>(result.memory.blockBytes));
            json.Field("moved_mib", result.memory.movedMiB);
            json.Field("timed_ms", static_cast<uint64_t>(result.memory.elapsedMs));
            {
                // Read once: it walks the topology records and CPUID.
                const uint64_t cache = LastLevelCacheBytes();
                json.Field("last_level_cache_bytes", cache);
                json.Key("cache_sized_blocks");
                json.Bool(CacheSizedBlocks(result, cache));
            }
            break;
        case Benchmark::kDisk:
            // The figure the dialog shows counts 1.2 x MiB per second; the rate is beside it.
            json.Field("mib_per_second", result.figure / 1.2);
            json.Field("figure_1_2_mib_per_second", result.figure);
            json.Field("drive", drive);
            if (result.writtenIn[0]) json.Field("written_in", result.writtenIn);
            json.Field("written_mib", result.writtenMiB);
            json.Field("timed_ms", static_cast<uint64_t>(result.diskMs));
            break;
    }
    if (!result.ok && result.errorCode)
        json.Field("error_code", static_cast<uint64_t>(result.errorCode));
    if (runs) WriteThreadedJson(benchmark, result, *runs, json);
    if (repeats) WriteRepeatsJson(*repeats, json);
    json.EndObject();
}

}  // namespace

int ThreadCount(const CliOptions& options) {
    if (options.threads == kAllThreads) {
        int processors = CountProcessors();
        return processors > 0 ? processors : 1;
    }
    return options.threads;
}

void ChooseDrive(const CliOptions& options, char* out, size_t capacity) {
    if (options.drive) {
        std::snprintf(out, capacity, "%s", options.drive);
        return;
    }
    std::unique_ptr<DriveList> list(new DriveList());
    BuildDriveList(SystemDrives(), list.get());
    std::snprintf(out, capacity, "%s", list->selected >= 0 ? list->names[list->selected] : "");
}

int RunBenchmarkCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
    if (options.command == CliCommand::kBench) return RunBenchMode(options, out, err);
    RemoveTemporaryFileOnInterrupt();
    char drive[kDiskPathSize];  // a --drive path cut short could name another directory
    ChooseDrive(options, drive, sizeof drive);

    const uint32_t duration = static_cast<uint32_t>(g_TestDuration);
    ConsoleProgress progress(err, ChooseProgressStyle(err, options.quiet));
    JsonWriter json;
    if (options.json) {
        std::unique_ptr<SystemSummary> summary(new SystemSummary());
        ReadSystemSummary(summary.get());
        BeginJsonDocument(json, CliCommandName(options.command));
        WriteMachineJson(*summary, json);
        json.Field("duration_ms", static_cast<int64_t>(g_TestDuration));
        json.Key("results");
        json.BeginObject();
    }
    int status = kExitOk;
    std::unique_ptr<BenchmarkResult> sample(new BenchmarkResult());
    for (const BenchmarkInfo& info : kBenchmarks) {
        if (!Selected(options.command, info.benchmark)) continue;
        // Each repetition is run whole; the median's run stands for them all.
        std::vector<BenchmarkResult> samples;
        std::vector<double> figures;
        for (int r = 0; r < options.repeat; ++r) {
            char step[64];
            if (options.repeat > 1)
                std::snprintf(step, sizeof step, "%s %d/%d", info.label, r + 1, options.repeat);
            else
                std::snprintf(step, sizeof step, "%s", info.label);
            progress.BeginStep(step, ExpectedMs(info.benchmark, duration));
            RunOne(info.benchmark, duration, drive, progress, sample.get());
            samples.push_back(*sample);
            figures.push_back(SampleFigure(info.benchmark, *sample));
            if (!sample->ok) break;  // a failure is reported as it is, not outvoted
        }
        Repeats repeats = {info.benchmark, figures,
                           SummarizeSamples(figures.data(), static_cast<int>(figures.size()))};
        const BenchmarkResult& result =
            samples.back().ok ? samples[static_cast<size_t>(repeats.summary.medianIndex)]
                              : samples.back();
        const bool threaded = options.threads && (info.benchmark == Benchmark::kFlops ||
                                                  info.benchmark == Benchmark::kMemory);
        std::unique_ptr<ThreadedRuns> runs(new ThreadedRuns());
        if (threaded) {
            const int threads = ThreadCount(options);
            if (info.benchmark == Benchmark::kFlops) {
                RunWhetstoneThreads(threads, duration, &progress, &runs->flops);
            } else {
                runs->memoryOk =
                    MeasureMemoryBandwidthThreads(threads, 2 * duration, &progress, &runs->memory);
            }
        }
        progress.EndStep();
        if (!result.ok) {
            std::fprintf(err, "kelvane-cli: %s %s\n", info.label, result.text);
            status = kExitNoResult;
        }
        if (threaded &&
            (info.benchmark == Benchmark::kFlops ? runs->flops.threads == 0 : !runs->memoryOk)) {
            std::fprintf(err, "kelvane-cli: %s on %d threads: no result\n", info.label,
                         ThreadCount(options));
            status = kExitNoResult;
        }
        const Repeats* repeated = options.repeat > 1 && result.ok ? &repeats : nullptr;
        if (options.json) {
            json.Key(info.key);
            WriteResultJson(info.benchmark, result, drive, threaded ? runs.get() : nullptr,
                            repeated, json);
        } else {
            char exact[kDiskPathSize + 64];
            DescribeExactFigure(info.benchmark, result, drive, exact, sizeof exact);
            std::fprintf(out, "%-14s %s%s\n", info.label, result.text, exact);
            if (repeated) WriteRepeats(*repeated, out);
            if (threaded && info.benchmark == Benchmark::kFlops)
                WriteThreadedFlops(result, runs->flops, out);
            if (threaded && info.benchmark == Benchmark::kMemory)
                WriteThreadedMemory(runs->memory, runs->memoryOk, out);
            // Nobody reads what follows: the benchmarks after this one would run for nothing.
            if (std::fflush(out) != 0 || std::ferror(out)) return FinishOutput(out, err, status);
        }
    }
    if (options.json) {
        json.EndObject();
        json.EndObject();
        std::fprintf(out, "%s\n", json.Text().c_str());
    }
    return status;
}
