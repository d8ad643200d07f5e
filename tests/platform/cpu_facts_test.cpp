#include "platform/linux/cpu_facts.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <clocale>
#include <cstring>
#include <string>

#include "platform/processors.h"
#include "platform/system_root.h"

namespace {

class NominalClockTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSystemRoot(""); }
    static bool UseTree(const char* name) {
        return SetSystemRoot((std::string(KELVANE_TEST_DATA_DIR) + "/linux/" + name).c_str());
    }
};

TEST_F(NominalClockTest, NominalClockFromTheFirstSourceThatExists) {
    CpuinfoFacts facts{};
    std::strcpy(facts.modelName, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
    facts.mhz = 4300.112;
    const struct {
        const char* tree;
        const char* modelName;  // nullptr: the one above
        uint32_t mhz;
        const char* source;
    } cases[] = {
        {"sys-cppc", nullptr, 2900, "cppc"},  // before base_frequency, which it has too
        {"sys-cpufreq", nullptr, 3500, "base_frequency"},
        {"sys-maxfreq", nullptr, 3200, "model_name"},  // before cpuinfo_max_freq
        {"sys-none", "Some CPU @ 2400MHz", 2400, "model_name"},
        {"sys-maxfreq", "AMD EPYC 7B13", 4700, "cpuinfo_max_freq"},  // before cpu MHz
        {"sys-none", "AMD EPYC 7B13", 4300, "cpu_mhz"},
        {"sys-none", "Some CPU @ GHz", 4300, "cpu_mhz"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(UseTree(c.tree));
        if (c.modelName) std::strcpy(facts.modelName, c.modelName);
        const char* source = nullptr;
        EXPECT_EQ(ReadNominalMhz(facts, &source), c.mhz) << c.tree << " " << facts.modelName;
        EXPECT_STREQ(source, c.source) << c.tree << " " << facts.modelName;
    }
    facts.mhz = 0;
    const char* source = nullptr;
    EXPECT_EQ(ReadNominalMhz(facts, &source), 0u);
    EXPECT_STREQ(source, "none");
}

// A process narrowed to one processor counts one, as a container's cpuset makes it.
TEST(AllowedProcessorsTest, FollowsTheAffinity) {
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(CountAllowedProcessors(), CPU_COUNT(&saved));
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int i = 0; i < CPU_SETSIZE; ++i) {
        if (CPU_ISSET(i, &saved)) {
            CPU_SET(i, &one);
            break;
        }
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    int narrowed = CountAllowedProcessors();
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(narrowed, 1);
    EXPECT_GE(CountOnlineProcessors(), CPU_COUNT(&saved));
}

}  // namespace
