#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/processors.h"
#include "sysinfo/processor_count.h"

namespace {

int CountBits(DWORD_PTR mask) {
    int count = 0;
    for (; mask; mask &= mask - 1) ++count;
    return count;
}

// A process started with a narrower affinity (start /affinity 1) counts only those
// processors, for the "Cores" field and the Whetstone score alike.
TEST(AllowedProcessorsWin32Test, FollowsTheProcessAffinityMask) {
    HANDLE self = GetCurrentProcess();
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(self, &process, &system));
    EXPECT_EQ(CountAllowedProcessors(), CountBits(process));
    EXPECT_EQ(CountProcessors(), CountBits(process));
    if (CountBits(process) < 2) GTEST_SKIP() << "one processor: nothing to narrow";
    DWORD_PTR lowest = process & (~process + 1);
    ASSERT_TRUE(SetProcessAffinityMask(self, lowest));
    int allowed = CountAllowedProcessors();
    int cores = CountProcessors();
    ASSERT_TRUE(SetProcessAffinityMask(self, process));
    EXPECT_EQ(allowed, 1);
    EXPECT_EQ(cores, 1);
}

TEST(AllowedProcessorsWin32Test, NominalClockComesFromTheRegistry) {
    const char* source = NominalClockSource();
    EXPECT_TRUE(std::strcmp(source, "registry") == 0 || std::strcmp(source, "none") == 0) << source;
    EXPECT_EQ(CountOnlineProcessors(), 0) << "the registry's keys give the machine's count";
}

}  // namespace
