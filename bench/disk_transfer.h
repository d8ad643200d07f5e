// Unbuffered writes of doubling size into a temporary file, in 1.2 x MiB per second.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/disk_ops.h"
#include "platform/memory_status.h"
#include "platform/progress.h"

constexpr uint32_t kDiskMinimumFreeMiB = 32;
constexpr uint32_t kDiskBufferRequest = 268435456;  // 256 MiB
// The error code of a run that failed in no system call but measured 0: too slow.
constexpr uint32_t kDiskTooSlowToMeasure = 0xFFFFFFFF;
// The code of a run that found no room for a buffer of one whole MiB.
constexpr uint32_t kDiskNoBuffer = 0xFFFFFFFE;

struct DiskRun {
    uint32_t figure;     // 1.2 x MiB per second; 0: no result
    uint32_t errorCode;  // with figure 0: why (a system code, or kDiskTooSlowToMeasure)
    uint64_t totalMiB;   // written successfully
    uint32_t elapsedMs;
    char writtenIn[kDiskPathSize];  // the directory written in; empty before one was chosen
};

// The first buffer asked for: 256 MiB, halved while it exceeds the memory this process may
// still use, so that a container's limit is met by a smaller buffer, not by the kernel's
// killer. Unknown room (0) leaves the request as it is.
uint32_t FirstDiskBufferRequest(MemoryStatusSource& memory = SystemMemoryStatus());

// Free MiB for the user on `drive`, truncated to 32 bits; 0 when unknown. `answered`, when
// given, tells a drive with no room from a query that failed (its code is the last error).
uint32_t GetFreeDiskMegabytes(const char* drive, DiskOps& ops = SystemDiskOps(),
                              bool* answered = nullptr);

// The buffer starts at 256 MiB but never exceeds the memory the process may still use (the
// memory benchmark's measure of it, with its reserve); a drive that goes away mid-run ends
// the run with no figure.
DiskRun MeasureDiskTransfer(const char* drive, uint32_t durationMs, ProgressTarget* progress,
                            DiskOps& ops = SystemDiskOps(), Clock& clock = SystemClock(),
                            MemoryStatusSource& memory = SystemMemoryStatus());
