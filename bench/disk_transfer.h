// Unbuffered writes of doubling size into a temporary file, in 1.2 x MiB per second.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/disk_ops.h"
#include "platform/progress.h"

constexpr uint32_t kDiskMinimumFreeMiB = 32;
constexpr uint32_t kDiskBufferRequest = 268435456;  // 256 MiB
// The error code of a run that failed in no system call but measured 0: too slow.
constexpr uint32_t kDiskTooSlowToMeasure = 0xFFFFFFFF;

struct DiskRun {
    uint32_t figure;     // 1.2 x MiB per second; 0: no result
    uint32_t errorCode;  // with figure 0: why (a system code, or kDiskTooSlowToMeasure)
    uint64_t totalMiB;   // written successfully
    uint32_t elapsedMs;
    char writtenIn[kDiskPathSize];  // the directory written in; empty before one was chosen
};

// Free MiB for the user on `drive`, truncated to 32 bits; 0 when unknown.
uint32_t GetFreeDiskMegabytes(const char* drive, DiskOps& ops = SystemDiskOps());

DiskRun MeasureDiskTransfer(const char* drive, uint32_t durationMs, ProgressTarget* progress,
                            DiskOps& ops = SystemDiskOps(), Clock& clock = SystemClock());
