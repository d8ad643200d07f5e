#include "bench/disk_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "bench/benchmarks.h"
#include "fakes/fake_disk_ops.h"
#include "fakes/fake_system.h"

namespace {

class DiskTest : public ::testing::Test {
  protected:
    FakeClock clock;
    FakeDiskOps disk;
    FakeMemoryStatus memory;
    NullProgress progress;
    BenchmarkResult result;
    void SetUp() override {
        clock.tickStep = 0;
        clock.tickStart = 123456;
        disk.clock = &clock;
        memory.status.availPhys = 16ull << 30;
    }
    DiskRun Run(uint32_t durationMs) {
        return MeasureDiskTransfer("C:", durationMs, nullptr, disk, clock, memory);
    }
    void ExpectNothingLeft(const FakeDiskOps& ops, const std::string& what = "") {
        EXPECT_TRUE(ops.present.empty()) << "a temporary file was left behind " << what;
        EXPECT_EQ(ops.buffersHeld, 0) << what;
        EXPECT_EQ(ops.directoriesHeld, 0) << what;
    }
};

TEST_F(DiskTest, ChunksDoubleToTheBufferAndTheFigureIsTwelveTenths) {
    DiskRun run = Run(6000);
    ASSERT_GE(disk.writes.size(), 10u);
    const std::vector<uint32_t> start = {1, 2, 4, 8, 16, 32, 64, 128, 256, 256};
    EXPECT_EQ(std::vector<uint32_t>(disk.writes.begin(), disk.writes.begin() + 10), start);
    EXPECT_GE(run.elapsedMs, 6000u);
    EXPECT_EQ(run.figure, run.totalMiB * 1200 / run.elapsedMs);
    EXPECT_EQ(disk.created.front(), "C:\\123556.bin")
        << "named from the tick after the 100 ms wait";
    ExpectNothingLeft(disk);
}

TEST_F(DiskTest, ExistingFileIsNeverTouchedAndTheNextNumberIsUsed) {
    disk.existing = {"C:\\123556.bin", "C:\\123557.bin"};
    EXPECT_GT(Run(1000).figure, 0u);
    for (const std::string& name : disk.created) EXPECT_EQ(name, "C:\\123558.bin");
    for (const std::string& name : disk.removed) EXPECT_EQ(name, "C:\\123558.bin");
    ExpectNothingLeft(disk);
}

TEST_F(DiskTest, FailuresNeverReportSuccess) {
    const struct {
        const char* what;
        void (*script)(FakeDiskOps&);
        uint32_t error;
        std::vector<uint32_t> writes;  // MiB each; only a drive that goes mid-run saw any
    } cases[] = {
        {"drive in memory", [](FakeDiskOps& d) { d.refuseDrive = d.kNotADisk; },
         FakeDiskOps::kNotADisk},
        {"31 MiB free", [](FakeDiskOps& d) { d.freeBytes = 31ull << 20; }, FakeDiskOps::kFull},
        {"free space unknown", [](FakeDiskOps& d) { d.freeQueryFails = true; },
         FakeDiskOps::kNoDrive},
        {"file cannot be made", [](FakeDiskOps& d) { d.createError = d.kDenied; },
         FakeDiskOps::kDenied},
        {"buffer below 1 MiB", [](FakeDiskOps& d) { d.largestBuffer = 1u << 19; }, kDiskNoBuffer},
        {"no buffer at all", [](FakeDiskOps& d) { d.largestBuffer = 0; }, kDiskNoBuffer},
        // The name probe's file and two passes; nothing written after it went.
        {"drive gone", [](FakeDiskOps& d) { d.goneAfterFiles = 3; }, FakeDiskOps::kGone, {1, 2}}};
    for (const auto& c : cases) {
        FakeDiskOps fresh;
        fresh.clock = &clock;
        c.script(fresh);
        RunDiskBenchmark("C:", 6000, progress, &result, fresh, clock, memory);
        EXPECT_EQ(std::make_tuple(result.ok, result.showErrorBox, result.errorCode),
                  std::make_tuple(false, true, c.error))
            << c.what;
        EXPECT_EQ(fresh.writes, c.writes) << c.what;
        if (fresh.refuseDrive) {
            EXPECT_TRUE(fresh.created.empty()) << c.what;
            EXPECT_TRUE(fresh.freeQueriedFor.empty()) << "refused before anything else";
        }
        ExpectNothingLeft(fresh, c.what);
        if (c.error != kDiskNoBuffer) {
            EXPECT_EQ(std::string(result.text), "system text " + std::to_string(c.error)) << c.what;
        }
    }
}

// Room as the memory benchmark counts it: 80 MiB keeps 32 back, leaving 48 for a 32 MiB
// buffer; 1 MiB is still enough; half a MiB is not. One MiB in a 7 s pass: 1200 / 7000 is 0.
TEST_F(DiskTest, TheBufferFitsTheMemoryLeftAndARunWithoutAFigureSaysWhy) {
    const struct {
        uint64_t room;
        uint32_t msPerMiB, largestWrite, error;
        const char* text;  // a part of the result's text
    } cases[] = {{80ull << 20, 1, 32, 0, "/second"},
                 {1ull << 20, 1, 1, 0, "/second"},
                 {1ull << 19, 1, 0, kDiskNoBuffer, "memory"},
                 {16ull << 30, 7000, 1, kDiskTooSlowToMeasure, "too little"}};
    for (const auto& c : cases) {
        FakeDiskOps fresh;
        fresh.clock = &clock;
        fresh.msPerMiB = c.msPerMiB;
        memory.status.availPhys = c.room;
        RunDiskBenchmark("C:", 3000, progress, &result, fresh, clock, memory);
        const std::string what = std::to_string(c.room >> 10) + " KiB free: " + result.text;
        const auto largest = std::max_element(fresh.writes.begin(), fresh.writes.end());
        EXPECT_EQ(largest == fresh.writes.end() ? 0 : *largest, c.largestWrite) << what;
        EXPECT_EQ(std::make_tuple(result.ok, result.errorCode), std::make_tuple(!c.error, c.error))
            << what;
        EXPECT_NE(std::string(result.text).find(c.text), std::string::npos) << what;
        ExpectNothingLeft(fresh, what);
    }
}

TEST_F(DiskTest, AFileWrittenElsewhereSaysWhere) {
    // The mount point is root's: the ops write in the user's home on the same disk.
    disk.writeElsewhere = "/home/u";
    RunDiskBenchmark("/", 1000, progress, &result, disk, clock, memory);
    // Written in the home folder, whose free space is the one asked for.
    EXPECT_EQ(std::make_tuple(result.ok, std::string(result.writtenIn), disk.freeQueriedFor),
              std::make_tuple(true, std::string("/home/u"), std::string("/home/u")));
    ASSERT_FALSE(disk.created.empty());
    for (const std::string& name : disk.created) EXPECT_EQ(name.rfind("/home/u\\", 0), 0u) << name;
    ExpectNothingLeft(disk);
}

TEST_F(DiskTest, FullDiskHalvesTheChunkAndKeepsItDown) {
    disk.fillsAfterMiB = 255;  // 1+2+...+128 = 255 fit; the first 256 MiB write does not
    DiskRun run = Run(3000);
    ASSERT_GE(disk.writes.size(), 11u);
    EXPECT_EQ(std::make_pair(disk.writes[8], disk.writes[9]), std::make_pair(256u, 128u));
    for (size_t i = 10; i < disk.writes.size(); ++i) EXPECT_LE(disk.writes[i], disk.writes[i - 1]);
    EXPECT_EQ(run.totalMiB, 255u);
    ExpectNothingLeft(disk);
}

TEST_F(DiskTest, TotalsAreSixtyFourBit) {
    // 3,579,140 MiB at 1 ms per 256 MiB would wrap 32 bits in T x 1200.
    disk.msPerMiB = 0;
    clock.tickStep = 1;
    DiskRun run = Run(60000);
    ASSERT_GT(run.totalMiB, 3579139u);
    EXPECT_EQ(run.figure, run.totalMiB * 1200 / run.elapsedMs);
}

}  // namespace
