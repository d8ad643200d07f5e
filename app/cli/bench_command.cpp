// kelvane-cli cpu|flops|memory|disk|all: the benchmarks on a console, progress on stderr.
#include <cstring>
#include <memory>

#include "app/cli/cli.h"
#include "app/cli/console_progress.h"
#include "app/duration.h"
#include "bench/benchmarks.h"
#include "platform/disk_ops.h"
#include "platform/drives.h"
#include "sysinfo/memory_video_os.h"
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

void WriteResultJson(Benchmark benchmark, const BenchmarkResult& result, const char* drive, JsonWriter& json) {
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
            break;
        case Benchmark::kDisk:
            // The figure the dialog shows counts 1.2 x MiB per second; the rate is beside it.
            json.Field("mib_per_second", result.figure / 1.2);
            json.Field("figure_1_2_mib_per_second", result.figure);
            json.Field("drive", drive);
            break;
    }
    if (!result.ok && result.errorCode) json.Field("error_code", static_cast<uint64_t>(result.errorCode));
    json.EndObject();
}

}  // namespace

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
    char drive[kFieldTextSize];
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
    for (const BenchmarkInfo& info : kBenchmarks) {
        if (!Selected(options.command, info.benchmark)) continue;
        progress.BeginStep(info.label, ExpectedMs(info.benchmark, duration));
        BenchmarkResult result = {};
        switch (info.benchmark) {
            case Benchmark::kCpu:
                RunCpuClockBenchmark(progress, &result);
                break;
            case Benchmark::kFlops:
                RunFlopsBenchmark(duration, progress, &result);
                break;
            case Benchmark::kMemory:
                RunMemoryBenchmark(2 * duration, progress, &result);
                break;
            case Benchmark::kDisk:
                RunDiskBenchmark(drive, 2 * duration, progress, &result);
                break;
        }
        progress.EndStep();
        if (!result.ok) {
            std::fprintf(err, "kelvane-cli: %s %s\n", info.label, result.text);
            status = kExitNoResult;
        }
        if (options.json) {
            json.Key(info.key);
            WriteResultJson(info.benchmark, result, drive, json);
        } else {
            std::fprintf(out, "%-14s %s\n", info.label, result.text);
            std::fflush(out);
        }
    }
    if (options.json) {
        json.EndObject();
        json.EndObject();
        std::fprintf(out, "%s\n", json.Text().c_str());
    }
    return status;
}
