#include "bench/memory_bandwidth.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/memory_kernel.h"

namespace {

class HeapAllocator final : public BlockAllocator {
public:
    void* Allocate(size_t bytes) override { return std::malloc(bytes); }
    void Release(void* block) override { std::free(block); }
};

constexpr uint32_t kMiB = 1048576;

}  // namespace

uint32_t MemoryLoopMinimumMs(uint32_t durationMs) {
    return durationMs > 1000 ? durationMs : 1000;
}

uint32_t MemoryFigure(uint64_t movedMiB, uint32_t elapsedMs) {
    const uint64_t figure = movedMiB * 1000 / (elapsedMs ? elapsedMs : 1);
    return figure > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(figure);
}

BlockAllocator& SystemBlockAllocator() {
    static HeapAllocator allocator;
    return allocator;
}

uint32_t GetAvailablePhysicalMemory(MemoryStatusSource& memory) {
    uint64_t total = 0, available = 0;
    MemoryStatus status = {};
    if (memory.QueryExtended(&status)) {
        available = status.availPhys;
    } else {
        memory.QueryBasic(&total, &available);
    }
    // An eighth (at least 32 MiB) stays for everything else once there is much to spare;
    // below that a quarter, as a container's limit is a wall the kernel enforces by killing.
    if (available > 64ull * kMiB) {
        uint64_t reserve = available / 8 > 32ull * kMiB ? available / 8 : 32ull * kMiB;
        available -= reserve;
    } else if (available > 16ull * kMiB) {
        available -= available / 4;
    }
    return available > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(available);
}

uint32_t MeasureMemoryBandwidth(uint32_t durationMs, ProgressTarget* progress, Clock& clock,
                                MemoryStatusSource& memory, BlockAllocator& allocator, MemoryRun* run) {
    if (progress) progress->Show("Checking Allocation Limit...");
    clock.Sleep(1000);
    uint32_t blockSize = GetAvailablePhysicalMemory(memory);

    unsigned char* fill = nullptr;
    unsigned char* copy = nullptr;
    while (!fill || !copy) {
        blockSize >>= 1;
        if (blockSize < kMiB) {
            if (fill) allocator.Release(fill);
            if (copy) allocator.Release(copy);
            return 0;
        }
        if (fill) allocator.Release(fill);
        fill = static_cast<unsigned char*>(allocator.Allocate(blockSize));
        if (copy) allocator.Release(copy);
        copy = static_cast<unsigned char*>(allocator.Allocate(blockSize));
    }

    // The first touch of fresh blocks costs a page fault per page, which is not bandwidth:
    // it is paid here, before the clock starts.
    uint32_t untimed = 0;
    RunFillCopyCycles(fill, copy, blockSize, 1, &untimed);

    if (progress) {
        char text[256];
        std::snprintf(text, sizeof text, "%lu MB memory copy test...",
                      static_cast<unsigned long>((uint64_t{2} * blockSize) >> 20));
        progress->Show(text);
    }

    uint32_t transfers = 0;
    const uint32_t minimum = MemoryLoopMinimumMs(durationMs);
    const uint32_t start = clock.TickCount();
    uint32_t elapsed = 0;
    // Elapsed time, not the tick itself, is compared: a wrap cannot end the loop early.
    do {
        RunFillCopyCycles(fill, copy, blockSize, 10, &transfers);
        elapsed = clock.TickCount() - start;
    } while (elapsed < minimum);

    const uint64_t moved = uint64_t{transfers} * (blockSize >> 20);
    allocator.Release(copy);
    allocator.Release(fill);
    if (run) *run = MemoryRun{blockSize, moved, elapsed};
    return MemoryFigure(moved, elapsed);
}
