#include "bench/disk_transfer.h"

#include <cstdio>

#include "bench/memory_bandwidth.h"
#include "text/bounded_copy.h"

namespace {

constexpr uint32_t kMiB = 1048576;
constexpr int kNameAttempts = 1000;

// A free temporary name: a file that exists, whoever made it, is left alone and the next
// number is tried. The probe creates and deletes the file once.
bool ProbeTemporaryFile(intptr_t directory, uint32_t* number, DiskOps& ops) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt, ++*number) {
        intptr_t file = ops.CreateNew(directory, *number);
        if (file != kNoFile) {
            ops.Close(file);
            return true;
        }
        if (ops.LastError() != ops.FileExistsCode()) return false;
    }
    return false;
}

}  // namespace

uint32_t FirstDiskBufferRequest(MemoryStatusSource& memory) {
    const uint32_t room = GetAvailablePhysicalMemory(memory);
    uint32_t request = kDiskBufferRequest;
    while (room && request > room && request >= kMiB) request >>= 1;
    return request;
}

uint32_t GetFreeDiskMegabytes(const char* drive, DiskOps& ops, bool* answered) {
    uint64_t freeBytes = 0;
    const bool known = ops.FreeBytes(drive, &freeBytes);
    if (answered) *answered = known;
    return known ? static_cast<uint32_t>(freeBytes >> 20) : 0;
}

DiskRun MeasureDiskTransfer(const char* drive, uint32_t durationMs, ProgressTarget* progress, DiskOps& ops,
                            Clock& clock, MemoryStatusSource& memory) {
    DiskRun run = {};
    char text[256];
    if (progress) {
        std::snprintf(text, sizeof text, "Checking Disk %s ...", drive ? drive : "");
        progress->Show(text);
    }
    ops.Pause(100);

    // A drive that is no disk, or no directory, is refused before anything is written.
    char path[kDiskPathSize];
    if (!ops.ChooseDirectory(drive, path, sizeof path)) {
        run.errorCode = ops.LastError();
        return run;
    }
    CopyBounded(run.writtenIn, path, sizeof run.writtenIn);

    bool answered = false;
    if (GetFreeDiskMegabytes(path, ops, &answered) < kDiskMinimumFreeMiB) {
        // Where no call failed, the reason is the lack of room, in the system's words.
        run.errorCode = answered ? ops.DiskFullCode() : ops.LastError();
        return run;
    }

    const intptr_t directory = ops.OpenDirectory(path);
    if (directory == kNoFile) {
        run.errorCode = ops.LastError();
        return run;
    }
    uint32_t number = clock.TickCount();
    if (!ProbeTemporaryFile(directory, &number, ops)) {
        run.errorCode = ops.LastError();
        ops.CloseDirectory(directory);
        return run;
    }

    void* buffer = nullptr;
    uint32_t bufferSize = 0;
    for (uint32_t request = FirstDiskBufferRequest(memory); !buffer && request > 8; request >>= 1) {
        bufferSize = request > 4096 ? request : 4096;
        buffer = ops.AllocateBuffer(bufferSize);
    }
    if (!buffer || bufferSize < kMiB) {
        // Every write is a whole MiB: a smaller buffer could not give one.
        if (buffer) ops.ReleaseBuffer(buffer, bufferSize);
        run.errorCode = kDiskNoBuffer;
        ops.CloseDirectory(directory);
        return run;
    }
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    for (uint32_t k = 1; k < bufferSize; ++k) bytes[k] = static_cast<unsigned char>(bytes[k - 1] + 1);

    uint32_t chunk = 1;
    uint32_t chunkLimit = bufferSize >> 20;
    uint64_t total = 0;
    int64_t lastWritten = 0;
    uint32_t lastFailure = 0;
    bool driveGone = false;
    const uint32_t minimum = durationMs < 1000 ? 1000 : durationMs;
    const uint32_t start = clock.TickCount();
    uint32_t last = start;
    while (last - start < minimum) {
        if (progress) {
            std::snprintf(text, sizeof text, "%lu MB write test...", static_cast<unsigned long>(chunk));
            progress->Show(text);
        }
        intptr_t file = ops.CreateNew(directory, number);
        if (file != kNoFile && !ops.StillOnDrive(directory, file)) {
            // Writes now would land on another file system and be counted for this drive.
            lastFailure = ops.LastError();
            ops.Close(file);
            driveGone = true;
            break;
        }
        if (file != kNoFile) {
            lastWritten = ops.Write(file, buffer, chunk * kMiB);
            if (lastWritten > 0) total += chunk;
            if (lastWritten <= 0) lastWritten = 0;
            if (!ops.Flush(file)) lastFailure = ops.LastError();
            ops.Pause(1);
            ops.Pause(0);
            ops.Close(file);
        }
        if (file == kNoFile || lastWritten == 0) lastFailure = ops.LastError();
        last = clock.TickCount();
        if (lastWritten == 0) chunkLimit = chunk >> 1 ? chunk >> 1 : 1;
        chunk = chunkLimit < 2 * chunk ? chunkLimit : 2 * chunk;
    }
    ops.ReleaseBuffer(buffer, bufferSize);
    ops.CloseDirectory(directory);

    run.totalMiB = total;
    run.elapsedMs = last - start;
    if (driveGone) {
        run.errorCode = lastFailure;
        return run;
    }
    uint64_t figure = (total ? total : 1) * 1200 / (run.elapsedMs ? run.elapsedMs : 1);
    run.figure = figure > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(figure);
    if (run.figure == 0) run.errorCode = lastFailure ? lastFailure : kDiskTooSlowToMeasure;
    return run;
}
