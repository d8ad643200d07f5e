// Scripted probes and benchmarks for the dialog controller: each benchmark shows one
// progress text, then hands back the result the test set up.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/controller_services.h"

class FakeControllerServices final : public ControllerServices {
  public:
    SystemSummary summary = {};
    FieldDetails details = {};
    BenchmarkResult disk = Result("512 MB/second");
    // "cpu", "flops 3000", "memory 6000", "disk C: 6000", in call order.
    std::vector<std::string> runs;
    // Called at the start of every run, so a test can look at the dialog mid-run.
    void (*duringRun)(void* context) = nullptr;
    void* context = nullptr;

    static BenchmarkResult Result(const char* text, bool ok = true) {
        BenchmarkResult result = {ok, ok ? 1.0 : 0.0};
        std::snprintf(result.text, sizeof result.text, "%s", text);
        return result;
    }

    void ReadSummary(SystemSummary* out) override { *out = summary; }
    void ReadDetails(FieldDetails* out) override { *out = details; }
    void RunCpuClock(ProgressTarget& progress, BenchmarkResult* result) override {
        Run("cpu", progress, Result("2.99 GHz"), result);
    }
    void RunFlops(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) override {
        Run("flops " + std::to_string(durationMs), progress, Result("1.23 Gigaflops"), result);
    }
    void RunMemory(uint32_t durationMs, ProgressTarget& progress,
                   BenchmarkResult* result) override {
        Run("memory " + std::to_string(durationMs), progress, Result("9 GB/second"), result);
    }
    void RunDisk(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                 BenchmarkResult* result) override {
        Run("disk " + std::string(drive) + " " + std::to_string(durationMs), progress, disk,
            result);
    }
    LocalTime Now() override { return {2009, 4, 3, 18, 33, 49}; }
    void MonthName(int month, char* out, size_t capacity) override {
        std::snprintf(out, capacity, "%s", month == 4 ? "April" : "");  // Now()'s month
    }

  private:
    void Run(const std::string& what, ProgressTarget& progress, const BenchmarkResult& scripted,
             BenchmarkResult* result) {
        runs.push_back(what);
        if (duringRun) duringRun(context);
        progress.Show(("running " + what).c_str());
        *result = scripted;
    }
};
