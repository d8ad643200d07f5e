// Scripted probes and benchmarks for the dialog controller: each benchmark shows one
// progress text, then hands back the result the test set up.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/controller_services.h"

class FakeControllerServices final : public ControllerServices {
public:
    SystemSummary summary = {};
    FieldDetails details = {};
    BenchmarkResult cpu = Result("2.99 GHz");
    BenchmarkResult flops = Result("1.23 Gigaflops");
    BenchmarkResult memory = Result("9 GB/second");
    BenchmarkResult disk = Result("512 MB/second");
    LocalTime now = {2009, 4, 3, 18, 33, 49};
    // "cpu", "flops 3000", "memory 6000", "disk C: 6000", in call order.
    std::vector<std::string> runs;
    // Called at the start of every run, so a test can look at the dialog mid-run.
    void (*duringRun)(void* context) = nullptr;
    void* context = nullptr;

    static BenchmarkResult Result(const char* text, bool ok = true) {
        BenchmarkResult result = {};
        result.ok = ok;
        result.figure = ok ? 1 : 0;
        std::snprintf(result.text, sizeof result.text, "%s", text);
        return result;
    }

    void ReadSummary(SystemSummary* out) override { *out = summary; }
    void ReadDetails(FieldDetails* out) override { *out = details; }
    void RunCpuClock(ProgressTarget& progress, BenchmarkResult* result) override {
        Run("cpu", progress, cpu, result);
    }
    void RunFlops(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) override {
        Run("flops " + std::to_string(durationMs), progress, flops, result);
    }
    void RunMemory(uint32_t durationMs, ProgressTarget& progress, BenchmarkResult* result) override {
        Run("memory " + std::to_string(durationMs), progress, memory, result);
    }
    void RunDisk(const char* drive, uint32_t durationMs, ProgressTarget& progress,
                 BenchmarkResult* result) override {
        Run("disk " + std::string(drive) + " " + std::to_string(durationMs), progress, disk, result);
    }
    LocalTime Now() override { return now; }
    void MonthName(int month, char* out, size_t capacity) override {
        static const char* const kNames[] = {"January", "February", "March",     "April",
                                             "May",     "June",     "July",      "August",
                                             "September", "October", "November", "December"};
        std::snprintf(out, capacity, "%s", month >= 1 && month <= 12 ? kNames[month - 1] : "");
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
