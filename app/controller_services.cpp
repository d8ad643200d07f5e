#include "app/controller_services.h"

#include "platform/month_name.h"

namespace {

class SystemServices final : public ControllerServices {
public:
    void ReadSummary(SystemSummary* summary) override { ReadSystemSummary(summary); }
    void ReadDetails(FieldDetails* details) override { ReadFieldDetails(details); }
    void RunCpuClock(ProgressTarget& progress, BenchmarkResult* result) override {
        RunCpuClockBenchmark(progress, result);
    }
    void RunFlops(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) override {
        RunFlopsBenchmark(durationMs, progress, result);
    }
    void RunMemory(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) override {
        RunMemoryBenchmark(durationMs, progress, result);
    }
    void RunDisk(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                 BenchmarkResult* result) override {
        RunDiskBenchmark(drive, durationMs, progress, result);
    }
    LocalTime Now() override { return SystemClock().Now(); }
    void MonthName(int month, char* out, size_t capacity) override {
        GetMonthName(month, out, capacity);
    }
};

}  // namespace

ControllerServices& SystemControllerServices() {
    static SystemServices services;
    return services;
}
