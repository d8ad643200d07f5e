#include "bench/all_core.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_system.h"

namespace {

// Two threads share the single run's budget: 8 MiB available (kept exact below 64 MiB)
// gives each thread two blocks of 2 MiB; every thread moves data, the sum is the whole, and
// each records the kind of core it ran on. Less than 1 MiB a block for each is no result.
TEST(AllCoreMemoryTest, ThreadsShareTheBudgetAndTooLittleIsNoResult) {
    FakeMemoryStatus memory;
    memory.status.availPhys = 8ull << 20;
    ThreadedMemoryRun run = {};
    ASSERT_TRUE(MeasureMemoryBandwidthThreads(2, 0, nullptr, &run, memory));
    EXPECT_EQ(run.threads, 2);
    EXPECT_EQ(run.blockBytes, 2u << 20);
    EXPECT_GE(run.elapsedMs, 1000u) << "a short duration still runs a whole second";
    for (int t = 0; t < 2; ++t) {
        EXPECT_GT(run.threadMibPerSecond[t], 0u) << "thread " << t;
        EXPECT_TRUE(run.threadCore[t] == kCoreUnknown || run.threadCore[t] == kCorePerformance ||
                    run.threadCore[t] == kCoreEfficiency)
            << "thread " << t << ": " << int{run.threadCore[t]};
    }
    EXPECT_EQ(run.mibPerSecond, run.movedMiB * 1000 / run.elapsedMs);
    EXPECT_EQ(run.movedMiB % 6, 0u) << "whole cycles of three 2 MiB transfers";

    memory.status.availPhys = 3ull << 20;
    run = {};
    EXPECT_FALSE(MeasureMemoryBandwidthThreads(2, 0, nullptr, &run, memory));
    EXPECT_EQ(run.mibPerSecond, 0u);
}

// Figures add up per kind of core; only both kinds together make a hybrid split, and kinds
// outside the enumeration count as unknown rather than indexing past the totals.
TEST(CoreKindTotalsTest, AddsFiguresByKind) {
    const struct {
        std::vector<int8_t> kinds;
        std::vector<uint32_t> figures;
        int performance, efficiency, unknown;
        uint64_t performanceFigure, efficiencyFigure;
        bool hybrid;
    } cases[] = {{{0, 0}, {10, 20}, 0, 0, 2, 0, 0, false},
                 {{1, 1, 2, 2, 2}, {40, 41, 20, 21, 22}, 2, 3, 0, 81, 63, true},
                 {{1, 1}, {40, 41}, 2, 0, 0, 81, 0, false},
                 {{2, 0, 1}, {20, 5, 40}, 1, 1, 1, 40, 20, true},
                 {{7, -1}, {3, 4}, 0, 0, 2, 0, 0, false},
                 {{}, {}, 0, 0, 0, 0, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        CoreKindTotals totals =
            TotalByCoreKind(c.kinds.data(), c.figures.data(), static_cast<int>(c.kinds.size()));
        EXPECT_EQ(totals.threads[kCorePerformance], c.performance);
        EXPECT_EQ(totals.threads[kCoreEfficiency], c.efficiency);
        EXPECT_EQ(totals.threads[kCoreUnknown], c.unknown);
        EXPECT_EQ(totals.figure[kCorePerformance], c.performanceFigure);
        EXPECT_EQ(totals.figure[kCoreEfficiency], c.efficiencyFigure);
        EXPECT_EQ(totals.hybrid, c.hybrid);
    }
}

}  // namespace
