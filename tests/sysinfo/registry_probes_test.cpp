#include "sysinfo/registry_probes.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sched.h>
#endif

#include <cstring>
#include <memory>
#include <string>

#include "fakes/fake_system.h"
#include "platform/processors.h"
#include "sysinfo/processor_count.h"
#include "sysinfo/system_summary.h"

namespace {

int ReadName(char* out, FakeRegistry& registry) {
    return RegReadString(RegistryRoot::kLocalMachine, kProcessorZeroKey, "ProcessorNameString", out,
                         registry);
}

TEST(RegistryReaderTest, StringLimitsAndTermination) {
    const struct {
        std::string data;
        int result;
        std::string text;
    } cases[] = {
        {std::string("Intel CPU", 10), 1, "Intel CPU"},
        {"no terminator", 1, "no terminator"},
        {std::string("embedded\0nul", 12), 1, "embedded"},
        {std::string(254, 'x') + '\0', 1, std::string(254, 'x')},  // 255 bytes: read
        {std::string(255, 'x') + '\0', 0, ""},                     // 256 bytes: too long
        {std::string(255, 'y'), 1, std::string(254, 'y')},         // full, no terminator
        {"\xC3\xA9t\xE9", 1, "\xC3\xA9t\xE9"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.SetProcessorZero("ProcessorNameString", c.data);
        char out[260];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(ReadName(out, registry), c.result) << c.text;
        EXPECT_EQ(std::string(out), c.text);
        EXPECT_EQ(registry.openKeys, 0) << "every key is closed";
    }
}

TEST(RegistryReaderTest, MissingKeysAndValues) {
    FakeRegistry registry;
    char out[260] = "untouched";
    EXPECT_EQ(ReadName(out, registry), 0);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(RegReadDword(RegistryRoot::kLocalMachine, kProcessorZeroKey, "~MHz", registry), 0u);
    EXPECT_EQ(RegValueSize(RegistryRoot::kLocalMachine, kProcessorZeroKey, "Vendor", registry), 0u);
    registry.SetProcessorZero("Other", "x");
    EXPECT_EQ(RegValueSize(RegistryRoot::kLocalMachine, kProcessorZeroKey, "Vendor", registry), 4u)
        << "an existing key without the value still counts";
}

// The Cores field and the Whetstone multiplier from Windows' affinity masks: the masks
// cover one processor group, at most 32 processors in a 32-bit process, so only a narrowed
// process is counted by them; otherwise the registry's keys up to the first gap, at most 256.
TEST(CountProcessorsTest, ANarrowedProcessByItsMaskElseTheKeys) {
    const struct {
        uint64_t process, system;
        int keys, cores;
    } cases[] = {
        {0xFFFFFFFF, 0xFFFFFFFF, 64, 64},  // 64 processors seen from a 32-bit process
        {0x3, 0xFF, 8, 2},                 // start /affinity 3
        {0x0, 0xFF, 8, 8},                 // spread over groups: the mask says nothing
        {0x0, 0x0, 0, 0},
        {0x0, 0x0, 300, 256},
        {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 300, 256},
        {0x8000000000000001, 0xFFFFFFFFFFFFFFFF, 128, 2},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.AddProcessors(c.keys);
        EXPECT_EQ(CountProcessorsFrom(CountNarrowedProcessors(c.process, c.system), registry),
                  c.cores)
            << std::hex << c.process << " of " << c.system << std::dec << ", " << c.keys;
    }
    FakeRegistry gap;
    gap.AddProcessors(4);
    gap.keys.erase("hardware\\description\\system\\centralprocessor\\2");
    EXPECT_EQ(CountProcessorsIn(gap), 2);
}

#ifndef _WIN32
// The Cores field counts the processors this process may run on (a cpuset, taskset), not
// the machine's: narrowed to one, the summary says 1. (Windows' affinity mask:
// processor_information_win32_test.cpp.)
TEST(CountProcessorsTest, CoresFieldFollowsTheAffinity) {
    cpu_set_t saved, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    CPU_ZERO(&one);
    for (int i = 0; CPU_COUNT(&one) == 0 && i < CPU_SETSIZE; ++i)
        if (CPU_ISSET(i, &saved)) CPU_SET(i, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    std::unique_ptr<SystemSummary> summary(new SystemSummary());
    ReadSystemSummary(summary.get());
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(summary->processorCount, 1);
    EXPECT_STREQ(summary->cores, "1");
    EXPECT_GE(summary->onlineProcessorCount, CPU_COUNT(&saved)) << "the machine's stays";
}
#endif

TEST(CpuDetailsTest, NameIdentifierBlanksAndLimits) {
    const std::string id = "x86 Family 6 Model 58 Stepping 9, GenuineIntel";
    const std::string name250(250, 'n'), id200(200, 'i');
    const struct {
        std::string name, identifier;  // "": no value
        std::string expected;
    } cases[] = {
        {"Intel(R)     Core(TM)  i7", id, "Intel(R) Core(TM) i7\n" + id},
        {"a         b", "", "a  b\n"},  // nine blanks: two
        {"a        b", "", "a b\n"},    // eight: one
        {"a\tb", "", "a b\n"},
        {"a\t b", "", "a  b\n"},  // a tab next to a blank stays two
        {"   leading", "", " leading\n"},
        {"", id, id},
        {"", "", ""},
        // 300 characters do not fit the registry's 255-byte read: the name is empty.
        {std::string(300, 'n'), id200, id200},
        // A name that fits the read but not the field beside the identifier is cut.
        {name250, id200, std::string(58, 'n') + "\n" + id200},
        // An identifier too long for its 258-character buffer contributes nothing.
        {name250, std::string(300, 'i'), name250 + "\n"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.AddProcessors(1);
        if (!c.name.empty()) registry.SetProcessorZero("ProcessorNameString", c.name + '\0');
        if (!c.identifier.empty()) registry.environment["PROCESSOR_IDENTIFIER"] = c.identifier;
        char out[260];
        FormatCpuDetails(out, registry);
        EXPECT_EQ(std::string(out), c.expected) << c.name.size() << " " << c.name.substr(0, 20);
    }
}

// Ordinary figures: the machine trees' cpu_speed.
TEST(NominalSpeedTest, GigahertzWithTwoDecimals) {
    const std::pair<uint32_t, const char*> cases[] = {
        {800, "0.80 GHz"}, {2596, "2.59 GHz"}, {0, "0.00 GHz"}, {4294967295u, "4294967.29 GHz"}};
    for (const auto& c : cases) {
        char out[260];
        FormatNominalSpeed(c.first, out);
        EXPECT_STREQ(out, c.second);
    }
}

}  // namespace
