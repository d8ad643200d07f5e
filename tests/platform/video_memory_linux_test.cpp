// The primary display adapter's memory from small sysfs trees of real machine shapes;
// NVIDIA cards are answered by a stand-in management library built with the tests.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/linux/video_adapter.h"
#include "platform/system_root.h"
#include "platform/video_memory.h"

namespace {

const std::string kTrees = std::string(KELVANE_TEST_DATA_DIR) + "/video/";

class VideoTreeTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSystemRoot(nullptr); }
    static void Use(const char* tree) { ASSERT_TRUE(SetSystemRoot((kTrees + tree).c_str())); }
};

DrmCard Card(int number, const char* driver, bool bootVga, bool hasDevice = true) {
    DrmCard card = {};
    card.number = number;
    card.hasDevice = hasDevice;
    card.bootVga = bootVga;
    std::snprintf(card.driver, sizeof card.driver, "%s", driver);
    return card;
}

TEST(PrimaryCardTest, BootVgaElseFirstWithDevice) {
    const DrmCard bootSecond[] = {Card(0, "amdgpu", false), Card(1, "nvidia", true)};
    EXPECT_EQ(ChoosePrimaryCard(bootSecond, 2), 1);
    const DrmCard noBoot[] = {Card(0, "", false, false), Card(1, "virtio_gpu", false),
                              Card(2, "bochs", false)};
    EXPECT_EQ(ChoosePrimaryCard(noBoot, 3), 1) << "a card without a device drives nothing";
    const DrmCard deviceless[] = {Card(0, "", true, false)};
    EXPECT_EQ(ChoosePrimaryCard(deviceless, 1), -1);
    EXPECT_EQ(ChoosePrimaryCard(nullptr, 0), -1);
}

TEST_F(VideoTreeTest, CardsAreListedInOrderWithTheirFacts) {
    Use("amd-apu-nvidia");
    DrmCard cards[kMaxDrmCards];
    ASSERT_EQ(ListDrmCards(cards, kMaxDrmCards), 2)
        << "connectors and the version file are no cards";
    EXPECT_EQ(cards[0].number, 0);
    EXPECT_STREQ(cards[0].driver, "amdgpu");
    EXPECT_STREQ(cards[0].busId, "0000:05:00.0");
    EXPECT_FALSE(cards[0].bootVga);
    EXPECT_STREQ(cards[1].driver, "nvidia");
    EXPECT_STREQ(cards[1].busId, "0000:01:00.0");
    EXPECT_TRUE(cards[1].bootVga);
    ASSERT_EQ(ListDrmCards(cards, 1), 1) << "a full list keeps the lowest numbers";
    EXPECT_EQ(cards[0].number, 0);
}

TEST_F(VideoTreeTest, MemoryOfThePrimaryAdapter) {
    const std::string nvml = KELVANE_FAKE_NVML;
    const struct {
        const char* tree;
        uint64_t bytes;
    } cases[] = {
        {"amd-apu-nvidia", 8ull << 30},      // the NVIDIA card drives the display
        {"amd-apu-primary", 512ull << 20},   // the APU does: its carve-out
        {"intel-integrated", 0},             // no dedicated memory
        {"amd-discrete", 17163091968ull},    // the AMD card, not the enabled iGPU
        {"intel-xe-discrete", 12ull << 30},  // xe's tile VRAM
        {"two-nvidia", 24ull << 30},         // the boot_vga card, not the first
        {"virtio-guest", 0},                 // virtio gives no figure
        {"no-drm", 0},
        {".", 0},  // the trees' own folder: no /sys at all
    };
    for (const auto& c : cases) {
        Use(c.tree);
        EXPECT_EQ(ReadPrimaryAdapterMemory(nvml.c_str()), c.bytes) << c.tree;
    }
    void* fake = dlopen(nvml.c_str(), RTLD_NOW);
    ASSERT_NE(fake, nullptr);
    auto sessions = reinterpret_cast<int (*)()>(dlsym(fake, "fakeNvmlOpenSessions"));
    ASSERT_NE(sessions, nullptr);
    Use("two-nvidia");
    EXPECT_EQ(ReadPrimaryAdapterMemory(nvml.c_str()), 24ull << 30);
    EXPECT_EQ(sessions(), 0) << "every start is shut down";
    dlclose(fake);
}

TEST_F(VideoTreeTest, NvidiaWithoutItsLibraryReadsZero) {
    Use("amd-apu-nvidia");
    EXPECT_EQ(ReadPrimaryAdapterMemory(nullptr), 0u);
    EXPECT_EQ(ReadPrimaryAdapterMemory("/nonexistent/libnvidia-ml.so.1"), 0u);
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), 0u)
        << "a machine tree never asks this machine's library";
    Use("amd-discrete");
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), 17163091968ull);
}

}  // namespace
