#include "bench/benchmarks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "bench/cpu_clock.h"
#include "bench/memory_bandwidth.h"
#include "bench/samples.h"
#include "bench/whetstone.h"
#include "bench/whetstone_kernel.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_system.h"

namespace {

using Texts = std::vector<std::string>;

// Records the progress texts, and whether subnormal values were flushed to zero while a
// text was set, which is during a run.
class RecordingProgress final : public ProgressTarget {
  public:
    std::vector<std::string> shown, set;
    bool flushedDuringRun = false;
    void Show(const char* text) override { shown.push_back(text); }
    void Set(const char* text) override {
        set.push_back(text);
        flushedDuringRun = Halved(DBL_MIN) == 0.0;
    }
    static double Halved(double value) {
        volatile double v = value;
        return v / 2;
    }
};

// A clock for the scripts below; what a script does not override stands still.
class StillClock : public Clock {
  public:
    uint32_t TickCount() override { return 0; }
    void Sleep(uint32_t) override {}
    bool CounterFrequency(uint64_t*) override { return false; }
    uint64_t Counter() override { return 0; }
    uint64_t TimeStampCounter() override { return 0; }
    LocalTime Now() override { return LocalTime{}; }
};

// Without a counter there is nothing to measure against: 0, at once.
TEST(CpuClockTest, CountsTicksOverOneSecondOrShowsZeroAtOnce) {
    for (uint64_t frequency : {1000000, 0}) {
        FakeClock clock;
        clock.frequency = frequency;
        clock.tscPerCount = 2993;  // 2993 MHz on a 1 MHz counter
        RecordingProgress progress;
        BenchmarkResult result;
        RunCpuClockBenchmark(progress, &result, clock);
        const bool counted = frequency != 0;
        EXPECT_EQ(std::make_tuple(progress.shown, clock.sleptMs, clock.timeStampReads > 0,
                                  result.ok, std::string(result.text)),
                  std::make_tuple(Texts{"Emitting RdTSC..."}, counted ? 500u : 0u, counted, counted,
                                  counted ? "2.993 GHz" : "0.00 GHz"));
        EXPECT_NEAR(MeasureCpuClock(clock), counted ? 2993 : 0, counted ? 2.993 : 0) << frequency;
    }
}

// A processor that runs at 2000 MHz but at 3100 MHz from 30 to 50 ms, long enough for one
// 10 ms trial window: the 1 MHz counter moves 1 ms a read, and the time stamp's low word
// wraps at 40 ms, inside that window.
class ChangingSpeedClock final : public StillClock {
  public:
    uint64_t counter = 0, stamp = (1ull << 32) - (30000 * 2000ull + 10000 * 3100ull);
    bool CounterFrequency(uint64_t* countsPerSecond) override {
        *countsPerSecond = 1000000;
        return true;
    }
    uint64_t Counter() override {
        stamp += 1000 * (counter >= 30000 && counter < 50000 ? 3100 : 2000);
        counter += 1000;
        return counter - 1000;
    }
    uint64_t TimeStampCounter() override { return stamp; }
};

TEST(CpuClockTest, FallbackTakesTheBestWindowAndAbsorbsAWrap) {
    ChangingSpeedClock clock;
    uint32_t mhz = MeasureCpuClockFallback(clock);
    // The window's reads run ahead of the counter by one step: within 10%. Every other
    // window measures at most 2400, and a wrap not absorbed would drop the best one.
    EXPECT_GT(mhz, 2700u);
    EXPECT_LT(mhz, 3500u);
}

// 131072 iterations in 4000 ms score 19270 for each processor (eight count as four). The
// limit ends a run, and so does the cap on a run whose clock stands.
TEST(WhetstoneTest, ScoreAndStopRule) {
    const std::pair<int, uint32_t> scores[] = {
        {2, 38540}, {8, 77080}, {16, 308320}, {0, 0}, {1, 19270}};
    for (const auto& [processors, score] : scores)
        EXPECT_EQ(WhetstoneScore(131072, 4000, processors), score) << processors;
    const std::tuple<int32_t, uint32_t, uint32_t, bool> ends[] = {
        {1, 2999, 3000, false},   {1, 3000, 3000, true},     {64, 9999, 10000, false},
        {64, 10000, 10000, true}, {1048576, 0, 3000, false}, {2097152, 0, 3000, true}};
    for (const auto& [iterations, elapsed, limit, last] : ends)
        EXPECT_EQ(WhetstonePassesEnd(iterations, elapsed, limit), last) << iterations;
}

// The text a result field shows of `value`.
template <typename T>
std::string Text(void (*format)(T, char*), T value) {
    char out[kBenchmarkTextSize];
    format(value, out);
    return out;
}

TEST(ResultTextTest, ClockFlopsAndRates) {
    Texts texts;
    for (double mhz : {3100.0, 2993.0, 2992.5432187, 500.0, 0.0})
        texts.push_back(Text(FormatCpuClock, mhz));
    for (uint32_t f : {0u, 999u, 1000u, 999999u, 1000000u, 2500000u})
        texts.push_back(Text(FormatFlops, f));
    for (uint32_t r : {0u, 999u, 1000u, 1999u}) texts.push_back(Text(FormatRate, r));
    EXPECT_EQ(texts,
              (Texts{"3.10 GHz", "2.993 GHz", "2.9925432 GHz", "0.50 GHz", "0.00 GHz",
                     "0 Megaflops", "999 Megaflops", "1 Gigaflops", "999 Gigaflops", "1 Teraflops",
                     "2 Teraflops", "0 MB/second", "999 MB/second", "1 GB/second", "1 GB/second"}));
}

// Subnormal values are flushed during the run, where later passes would slow down on
// them, and the caller's floating-point mode is restored after it.
TEST(WhetstoneTest, APassLastingTheLimitEndsTheRun) {
    ASSERT_NE(RecordingProgress::Halved(DBL_MIN), 0.0);
    for (uint32_t duration : {0u, 3000u}) {
        FakeClock clock;
        clock.tickStep = 3000;  // start and finish of a pass lie 3000 ms apart
        RecordingProgress progress;
        WhetstoneRun run = RunWhetstone(duration, &progress, 2, clock);
        EXPECT_EQ(progress.set, Texts{"Whetstone 1 iterations...\n"});
        EXPECT_TRUE(progress.shown.empty()) << "the Whetstone text is set without a repaint";
        EXPECT_EQ(std::make_tuple(run.score, run.iterations, run.elapsedMs),
                  std::make_tuple(WhetstoneScore(1, 3000, 2), 1, 3000u));
        EXPECT_TRUE(progress.flushedDuringRun);
        EXPECT_NE(RecordingProgress::Halved(DBL_MIN), 0.0);
    }
}

// The modules' last values follow from their counts alone, so they show that each module
// ran the number of times the score counts. Every iteration of a pass starts the modules
// from the same values: run as one long module set, module 7's angles would decay to where
// sine and cosine are cheapest and long passes would score higher than short ones.
TEST(WhetstoneTest, ModulesLeaveTheValuesTheirCountsGive) {
    const double oneIteration = std::pow(0.75, std::pow(1.0 / (2 * 0.50025), 93.0));
    for (int32_t loop : {1, 3}) {
        WhetstoneState s = {}, pass = {};
        StartWhetstonePass(s);
        RunWhetstoneModules(s, loop);
        StartWhetstonePass(pass);
        RunWhetstonePass(pass, loop);
        EXPECT_NEAR(pass.X, oneIteration, 1e-12) << "each iteration starts afresh";
        // Module 9 swaps 1, 2, 3 an even number of times (616 x loop); module 10 sets J, K.
        EXPECT_EQ((std::vector<double>{s.E1[1], s.E1[2], s.E1[3], double(s.J), double(s.K),
                                       double(s.L), s.X1, s.X4}),
                  (std::vector<double>{3, 2, 3, 2, 3, 3, 1, -1}));
        // Module 11: x <- x^(1 / (2 T1)), 93 x loop times.
        EXPECT_NEAR(s.X, std::pow(0.75, std::pow(1.0 / (2 * 0.50025), 93.0 * loop)), 1e-12);
        // Module 8 with X = Y = 1: Z = (T x 2 + T x (T x 2 + 1)) / 2.
        const double T = 0.499975;
        EXPECT_DOUBLE_EQ(s.Z, (T * 2 + T * (T * 2 + 1)) / 2) << loop;
    }
}

// The blocks halve from what is free until both fit (none below 1 MiB); then batches of 10
// cycles of three transfers, one tick step each, for at least a second.
TEST(MemoryBandwidthTest, AllocationHalvesAndTheFigureDividesByTheLoopsMilliseconds) {
    const struct {
        const char* name;
        uint64_t available;
        uint32_t durationMs, tickStart, tickStep;
        const char* text;  // nullptr: no result
        uint32_t blockBytes, movedMiB, elapsedMs, figure;
    } cases[] = {
        {"less than two blocks of 1 MiB", (2ull << 20) - 1, 500, 0, 300, nullptr, 0, 0, 0, 0},
        {"two blocks of 1 MiB, a whole second", 2ull << 20, 500, 0, 300, "2 MB memory copy test...",
         1u << 20, 4 * 30, 1200, 100},
        {"blocks of 1.75 MiB, counted in whole MiB", (7ull << 20) / 2, 500, 0, 300,
         "3 MB memory copy test...", (7u << 20) / 4, 4 * 30, 1200, 100},
        {"the tick wraps during the loop", 4ull << 20, 6000, 0xFFFFFFFFu - 1500, 100,
         "4 MB memory copy test...", 2u << 20, 60 * 60, 6000, 600},
        {"three batches end at 6999 ms (whole seconds would read 30)", 4ull << 20, 6000, 0, 2333,
         "4 MB memory copy test...", 2u << 20, 3 * 60, 6999, 25}};
    for (const auto& c : cases) {
        FakeClock clock;
        clock.tickStart = c.tickStart;
        clock.tickStep = c.tickStep;
        FakeMemoryStatus memory;
        memory.status.availPhys = c.available;
        RecordingProgress progress;
        MemoryRun run = {};
        const uint32_t figure = MeasureMemoryBandwidth(c.durationMs, &progress, clock, memory,
                                                       SystemBlockAllocator(), &run);
        Texts shown = {"Checking Allocation Limit..."};
        if (c.text) shown.push_back(c.text);
        EXPECT_EQ(std::make_tuple(progress.shown, figure, clock.sleptMs, run.blockBytes,
                                  run.movedMiB, run.elapsedMs),
                  std::make_tuple(shown, c.figure, 1000u, c.blockBytes, c.movedMiB, c.elapsedMs))
            << c.name;
    }
}

// Hands out blocks and checks, when the clock is first read for the timed loop, that both
// have been written already: the page faults of their first touch are not timed.
class TouchCheck final : public BlockAllocator, public StillClock {
  public:
    std::vector<unsigned char*> blocks;
    size_t bytes = 0;
    uint32_t reads = 0;
    bool touchedBeforeFirstTick = false;
    void* Allocate(size_t size) override {
        bytes = size;
        blocks.push_back(static_cast<unsigned char*>(std::calloc(size, 1)));
        return blocks.back();
    }
    void Release(void* block) override { std::free(block); }
    uint32_t TickCount() override {
        if (reads++ == 0) {
            touchedBeforeFirstTick = !blocks.empty();
            for (unsigned char* b : blocks)
                if (b[0] != 0x18 || b[bytes / 2] != 0x18 || b[bytes - 1] != 0x18)
                    touchedBeforeFirstTick = false;
        }
        return reads * 600;
    }
};

TEST(MemoryBandwidthTest, BlocksAreTouchedBeforeTheClockStarts) {
    TouchCheck check;
    FakeMemoryStatus memory;
    memory.status.availPhys = 8ull << 20;
    EXPECT_GT(MeasureMemoryBandwidth(1000, nullptr, check, memory, check), 0u);
    EXPECT_TRUE(check.touchedBeforeFirstTick);
}

TEST(MemoryBandwidthTest, ReserveOnLargeMachinesAndThirtyTwoBitCut) {
    FakeMemoryStatus memory;
    std::vector<uint32_t> available;
    for (uint64_t bytes : {40ull << 30, 1ull << 30, 60ull << 20, 2ull << 20}) {
        memory.status.availPhys = bytes;
        available.push_back(GetAvailablePhysicalMemory(memory));
    }
    // A 64 MiB container keeps a quarter back; small figures stay exact.
    EXPECT_EQ(available,
              (std::vector<uint32_t>{UINT32_MAX, (1u << 30) - (1u << 27), 45u << 20, 2u << 20}));
    memory.extended = false;
    memory.basicAvailable = 0;
    EXPECT_EQ(GetAvailablePhysicalMemory(memory), 0u) << "zero totals: no result, no division";
}

}  // namespace

TEST(SamplesTest, TheMedianIsARunAndTheSpreadIsAgainstIt) {
    // The figures, which sample is the median, the spread.
    const std::tuple<std::vector<double>, int, double> cases[] = {
        {{77, 81, 87, 92}, 1, 15.0 / 81 * 100},  // even: the lower middle run
        {{92, 77, 87}, 2, 15.0 / 87 * 100},
        {{5, 5, 5}, 1, 0},  // equal figures keep their order
        {{42}, 0, 0},
        {{0, 0}, 0, 0},  // no division by a median of 0
    };
    for (const auto& [figures, median, spread] : cases) {
        SampleSummary s = SummarizeSamples(figures.data(), static_cast<int>(figures.size()));
        EXPECT_EQ(s.medianIndex, median) << figures.size();
        EXPECT_EQ(s.median, figures[static_cast<size_t>(median)]);
        EXPECT_DOUBLE_EQ(s.spreadPercent, spread) << figures[0];
        EXPECT_EQ(s.minimum, *std::min_element(figures.begin(), figures.end()));
        EXPECT_EQ(s.maximum, *std::max_element(figures.begin(), figures.end()));
    }
    EXPECT_EQ(SummarizeSamples(nullptr, 0).medianIndex, -1);
}
