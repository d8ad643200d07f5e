// The probes, benchmarks and clock the main-dialog controller calls; tests script them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bench/benchmarks.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "sysinfo/field_details.h"
#include "sysinfo/system_summary.h"

class ControllerServices {
public:
    virtual void ReadSummary(SystemSummary* summary) = 0;
    virtual void ReadDetails(FieldDetails* details) = 0;
    virtual void RunCpuClock(ProgressTarget& progress, BenchmarkResult* result) = 0;
    virtual void RunFlops(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) = 0;
    virtual void RunMemory(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) = 0;
    virtual void RunDisk(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                         BenchmarkResult* result) = 0;
    virtual LocalTime Now() = 0;
    // The full name of `month` (1..12) in the user's language.
    virtual void MonthName(int month, char* out, size_t capacity) = 0;

protected:
    ~ControllerServices() = default;
};

// The real probes and benchmarks of this build.
ControllerServices& SystemControllerServices();
