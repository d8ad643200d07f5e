#include "bench/all_core.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "bench/memory_bandwidth.h"
#include "bench/memory_kernel.h"
#include "bench/whetstone.h"
#include "bench/whetstone_kernel.h"
#include "platform/cpu_topology.h"
#include "platform/float_mode.h"
#include "platform/thread_affinity.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr uint32_t kMiB = 1048576;

uint32_t MsBetween(Steady::time_point from, Steady::time_point to) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
    return ms < 0 ? 0 : static_cast<uint32_t>(ms);
}

int Bounded(int threads) {
    if (threads < 1) return 1;
    if (threads > kMaxBenchmarkThreads) return kMaxBenchmarkThreads;
    return threads;
}

// Starts one more thread in `pool`; false where the system gives no more (an address-space
// limit, a cgroup's pids.max): the run goes on with the threads it has.
template <typename Work>
bool StartThread(std::vector<std::thread>* pool, Work work) {
    try {
        pool->emplace_back(work);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Releases the workers into a pass together and waits for all of them to finish it.
class PassGate {
  public:
    explicit PassGate(int workers) : workers_(workers) {}
    // Before the first pass: the workers that really started.
    void SetWorkers(int workers) {
        std::lock_guard<std::mutex> lock(mutex_);
        workers_ = workers;
    }
    // Main thread: starts pass `iterations` (0: the workers leave), returns when all are done.
    void RunPass(int32_t iterations) {
        std::unique_lock<std::mutex> lock(mutex_);
        iterations_ = iterations;
        done_ = 0;
        ++generation_;
        wake_.notify_all();
        finished_.wait(lock, [this] { return done_ == workers_; });
    }
    // Worker: waits for the next pass; its iteration count, 0 to leave.
    int32_t Next(uint64_t* seen) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return generation_ != *seen; });
        *seen = generation_;
        return iterations_;
    }
    void Done() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (++done_ == workers_) finished_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    int workers_;
    int done_ = 0;
    uint64_t generation_ = 0;
    int32_t iterations_ = 0;
};

// The kind of core behind each processor number, from the system's topology records; a
// thread that was not pinned, or a processor the records do not list, stays unknown.
void ReadCoreKinds(const std::vector<int>& processors, int8_t* kinds) {
    std::vector<LogicalCpuRecord> cpus;
    std::vector<CacheRecord> caches;
    const bool known = ReadCpuTopologyRecords(&cpus, &caches);
    for (size_t t = 0; t < processors.size(); ++t) {
        kinds[t] = kCoreUnknown;
        if (!known) continue;
        for (const LogicalCpuRecord& cpu : cpus) {
            if (cpu.cpu != processors[t]) continue;
            if (cpu.coreType == 1) kinds[t] = kCorePerformance;
            if (cpu.coreType == 2) kinds[t] = kCoreEfficiency;
            break;
        }
    }
}

}  // namespace

CoreKindTotals TotalByCoreKind(const int8_t* kinds, const uint32_t* figures, int threads) {
    CoreKindTotals totals = {};
    for (int t = 0; t < threads; ++t) {
        const int kind = kinds[t] == kCorePerformance || kinds[t] == kCoreEfficiency ? kinds[t] : 0;
        ++totals.threads[kind];
        totals.figure[kind] += figures[t];
    }
    totals.hybrid = totals.threads[kCorePerformance] > 0 && totals.threads[kCoreEfficiency] > 0;
    return totals;
}

void RunWhetstoneThreads(int threads, uint32_t duration, ProgressTarget* progress,
                         ThreadedWhetstoneRun* run) {
    threads = Bounded(threads);
    const uint32_t limit = WhetstonePassLimitMs(duration);
    std::vector<uint32_t> passMs(static_cast<size_t>(threads), 0);
    std::vector<int> processor(static_cast<size_t>(threads), -1);
    PassGate gate(threads);
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        const bool started = StartThread(&workers, [&, t] {
            PinThreadToProcessor(t, &processor[static_cast<size_t>(t)]);
            // The floating-point mode belongs to each thread: each flushes its own subnormals.
            const uint32_t floatMode = FlushSubnormalsToZero();
            WhetstoneState state = {};
            uint64_t seen = 0;
            for (int32_t n; (n = gate.Next(&seen)) != 0;) {
                Steady::time_point start = Steady::now();
                StartWhetstonePass(state);
                RunWhetstonePass(state, n);
                passMs[static_cast<size_t>(t)] = MsBetween(start, Steady::now());
                gate.Done();
            }
            RestoreFloatMode(floatMode);
            gate.Done();
        });
        if (!started) break;
    }
    *run = ThreadedWhetstoneRun{};
    run->requested = threads;
    threads = static_cast<int>(workers.size());
    if (threads == 0) return;
    gate.SetWorkers(threads);
    passMs.resize(static_cast<size_t>(threads));
    processor.resize(static_cast<size_t>(threads));
    int32_t n = 1;
    uint32_t slowest = 0;
    for (;;) {
        if (progress) {
            char text[256];
            std::snprintf(text, sizeof text, "Whetstone %d iterations on %d threads...\n", n,
                          threads);
            progress->Set(text);
        }
        gate.RunPass(n);
        slowest = 0;
        for (uint32_t ms : passMs) slowest = ms > slowest ? ms : slowest;
        if (WhetstonePassesEnd(n, slowest, limit)) break;
        n *= 2;
    }
    gate.RunPass(0);
    for (std::thread& worker : workers) worker.join();

    run->threads = threads;
    run->iterations = n;
    run->slowestMs = slowest;
    for (int t = 0; t < threads; ++t) {
        run->threadScore[t] = WhetstoneScore(n, passMs[static_cast<size_t>(t)], 1);
        run->totalScore += run->threadScore[t];
    }
    ReadCoreKinds(processor, run->threadCore);
}

namespace {

// Each thread's blocks, allocated and first touched by the thread that uses them, so they
// lie near its processor; then all start together and stop at the same signal.
struct MemoryWorker {
    unsigned char* fill = nullptr;
    unsigned char* copy = nullptr;
    uint64_t movedMiB = 0;
    uint32_t elapsedMs = 0;
    int processor = -1;
};

// `*threads`: asked for, then the threads that started.
template <typename Cycle>
uint64_t RunThreads(int* threads, uint32_t blockBytes, uint32_t minimumMs,
                    std::vector<MemoryWorker>* workers, uint32_t* elapsedMs, bool* allocated,
                    Cycle cycle) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false}, stop{false}, failed{false};
    workers->assign(static_cast<size_t>(*threads), MemoryWorker{});
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(*threads));
    Steady::time_point start;
    for (int t = 0; t < *threads; ++t) {
        const bool started = StartThread(&pool, [&, t] {
            MemoryWorker& w = (*workers)[static_cast<size_t>(t)];
            PinThreadToProcessor(t, &w.processor);
            w.fill = static_cast<unsigned char*>(std::malloc(blockBytes));
            w.copy = static_cast<unsigned char*>(std::malloc(blockBytes));
            if (!w.fill || !w.copy)
                failed = true;
            else
                RunPlainFillCopy(w.fill, w.copy, blockBytes);  // first touch, untimed
            ++ready;
            while (!go) std::this_thread::yield();
            if (!failed) {
                uint32_t transfers = 0;
                Steady::time_point mine = Steady::now();
                // Whole cycles until the common stop: every thread moves data for the same time.
                do cycle(w.fill, w.copy, blockBytes, &transfers);
                while (!stop);
                w.elapsedMs = MsBetween(mine, Steady::now());
                w.movedMiB = uint64_t{transfers} * (blockBytes >> 20);
            }
            std::free(w.fill);
            std::free(w.copy);
        });
        if (!started) break;
    }
    *threads = static_cast<int>(pool.size());
    workers->resize(pool.size());
    if (*threads == 0) failed = true;
    while (ready < *threads) std::this_thread::yield();
    start = Steady::now();
    go = true;
    if (!failed) std::this_thread::sleep_for(std::chrono::milliseconds(minimumMs));
    stop = true;
    for (std::thread& worker : pool) worker.join();
    *elapsedMs = MsBetween(start, Steady::now());
    *allocated = !failed;
    uint64_t moved = 0;
    for (const MemoryWorker& w : *workers) moved += w.movedMiB;
    return moved;
}

void BenchmarkCycle(unsigned char* fill, unsigned char* copy, uint32_t bytes, uint32_t* transfers) {
    RunFillCopyCycles(fill, copy, bytes, 1, transfers);
}

void PlainCycle(unsigned char* fill, unsigned char* copy, uint32_t bytes, uint32_t* transfers) {
    RunPlainFillCopy(fill, copy, bytes);
    *transfers += 3;
}

}  // namespace

bool MeasureMemoryBandwidthThreads(int threads, uint32_t durationMs, ProgressTarget* progress,
                                   ThreadedMemoryRun* run, MemoryStatusSource& memory) {
    threads = Bounded(threads);
    *run = ThreadedMemoryRun{};
    run->threads = run->requested = threads;
    if (progress) progress->Show("Checking Allocation Limit...");
    // The single-thread run's budget, shared: two blocks a thread.
    uint64_t perBlock =
        GetAvailablePhysicalMemory(memory) / (2ull * static_cast<unsigned>(threads));
    const uint32_t minimum = MemoryLoopMinimumMs(durationMs);
    for (uint32_t block = static_cast<uint32_t>(perBlock & ~uint64_t{kMiB - 1}); block >= kMiB;
         block /= 2) {
        block &= ~(kMiB - 1);
        if (progress) {
            char text[256];
            std::snprintf(
                text, sizeof text, "%lu MB memory copy test on %d threads...",
                static_cast<unsigned long>((2ull * block * static_cast<unsigned>(threads)) >> 20),
                threads);
            progress->Show(text);
        }
        std::vector<MemoryWorker> workers;
        bool allocated = false;
        uint32_t elapsed = 0;
        int started = threads;
        uint64_t moved =
            RunThreads(&started, block, minimum, &workers, &elapsed, &allocated, BenchmarkCycle);
        if (started == 0) return false;
        if (!allocated) continue;
        threads = run->threads = started;
        run->blockBytes = block;
        run->movedMiB = moved;
        run->elapsedMs = elapsed ? elapsed : 1;
        run->mibPerSecond = MemoryFigure(moved, run->elapsedMs);
        for (int t = 0; t < threads; ++t) {
            const MemoryWorker& w = workers[static_cast<size_t>(t)];
            run->threadMibPerSecond[t] = w.elapsedMs ? MemoryFigure(w.movedMiB, w.elapsedMs) : 0;
        }
        std::vector<int> processors;
        processors.reserve(workers.size());
        for (const MemoryWorker& w : workers) processors.push_back(w.processor);
        ReadCoreKinds(processors, run->threadCore);
        return true;
    }
    return false;
}

double ReferenceMemoryRateThreads(int threads, uint32_t blockBytes, uint32_t durationMs) {
    std::vector<MemoryWorker> workers;
    bool allocated = false;
    uint32_t elapsed = 0;
    int started = Bounded(threads);
    uint64_t moved =
        RunThreads(&started, blockBytes, durationMs, &workers, &elapsed, &allocated, PlainCycle);
    return allocated && elapsed ? static_cast<double>(moved) * 1000.0 / elapsed : 0;
}
