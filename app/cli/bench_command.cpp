// kelvane-cli cpu|flops|memory|disk|all: the benchmarks on a console, progress on stderr.
#include <cstring>
#include <memory>

#include "app/cli/cli.h"
#include "app/duration.h"
#include "bench/benchmarks.h"
#include "platform/disk_ops.h"
#include "platform/drives.h"
#include "sysinfo/memory_video_os.h"
#include "text/json_writer.h"

namespace {

// Progress texts as lines on stderr; the dialog's own line feeds are dropped.
class ConsoleProgress final : public ProgressTarget {
public:
    explicit ConsoleProgress(std::FILE* err) : err_(err) {}
    void Show(const char* text) override { Set(text); }
    void Set(const char* text) override {
        size_t length = std::strlen(text);
        while (length && text[length - 1] == '\n') --length;
        std::fprintf(err_, "  %.*s\n", static_cast<int>(length), text);
        std::fflush(err_);
    }

private:
    std::FILE* err_;
};

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
    char drive[kDiskPathSize];  // a --drive path cut short could name another directory
    ChooseDrive(options, drive, sizeof drive);

    const uint32_t duration = static_cast<uint32_t>(g_TestDuration);
    ConsoleProgress progress(err);
    JsonWriter json;
    json.BeginObject();
    json.Field("duration_ms", static_cast<int64_t>(g_TestDuration));
    json.Key("results");
    json.BeginObject();
    int status = kExitOk;
    for (const BenchmarkInfo& info : kBenchmarks) {
        if (!Selected(options.command, info.benchmark)) continue;
        std::fprintf(err, "%s\n", info.label);
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
        if (!result.ok) {
            std::fprintf(err, "kelvane-cli: %s %s\n", info.label, result.text);
            status = kExitNoResult;
        }
        if (options.json) {
            json.Key(info.key);
            json.BeginObject();
            json.Field("text", result.text);
            json.Field("figure", result.figure);
            json.Key("ok");
            json.Bool(result.ok);
            if (info.benchmark == Benchmark::kDisk) json.Field("drive", drive);
            if (info.benchmark == Benchmark::kDisk && result.writtenIn[0])
                json.Field("written_in", result.writtenIn);
            if (!result.ok && result.errorCode) json.Field("error_code", static_cast<uint64_t>(result.errorCode));
            json.EndObject();
        } else if (info.benchmark == Benchmark::kDisk && result.writtenIn[0] &&
                   std::strcmp(result.writtenIn, drive) != 0) {
            // The user may not write on the drive itself: say where the file went instead.
            std::fprintf(out, "%-14s %s (written in %s)\n", info.label, result.text,
                         result.writtenIn);
            std::fflush(out);
        } else {
            std::fprintf(out, "%-14s %s\n", info.label, result.text);
            std::fflush(out);
        }
    }
    json.EndObject();
    json.EndObject();
    if (options.json) std::fprintf(out, "%s\n", json.Text().c_str());
    return status;
}
