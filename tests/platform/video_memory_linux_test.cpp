// Every DRM card as a graphics adapter, and the primary display adapter's memory, from
// small sysfs trees of real machine shapes: ids from the device's files or its uevent (a
// virtio card's from its PCI parent), names from a PCI ID database in the tree where it has
// one; NVIDIA cards are answered by a stand-in management library built with the tests.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/graphics_adapters.h"
#include "platform/linux/video_adapter.h"
#include "scratch_directory.h"

namespace {

TEST(PrimaryCardTest, BootVgaElseFirstWithDevice) {
    // Number, device, boot_vga, driver.
    const DrmCard noBoot[] = {
        {0, false, false, ""}, {1, true, false, "virtio_gpu"}, {2, true, false, "bochs"}};
    EXPECT_EQ(ChoosePrimaryCard(noBoot, 3), 1) << "a card without a device drives nothing";
    const DrmCard deviceless[] = {{0, false, true, ""}};
    EXPECT_EQ(ChoosePrimaryCard(deviceless, 1), -1);
    EXPECT_EQ(ChoosePrimaryCard(nullptr, 0), -1);
}

TEST(VideoTreeTest, MemoryOfThePrimaryAdapter) {
    const std::string nvml = KELVANE_FAKE_NVML;
    // An APU's carve-out as the primary, an integrated card and no DRM at all: the machine
    // trees dual-gpu-laptop, hybrid-laptop and container-cpuset.
    const struct {
        const char* tree;
        uint64_t bytes;
    } cases[] = {
        {"amd-apu-nvidia", 8ull << 30},      // the NVIDIA card drives the display
        {"amd-discrete", 17163091968ull},    // the AMD card, not the enabled iGPU
        {"intel-xe-discrete", 12ull << 30},  // xe's tile VRAM
        {"two-nvidia", 24ull << 30},         // the boot_vga card, not the first
        {"virtio-guest", 0},                 // virtio gives no figure
        {".", 0},                            // the trees' own folder: no /sys at all
    };
    for (const auto& c : cases) {
        TreeRoot root(std::string("video/") + c.tree);
        EXPECT_EQ(ReadPrimaryAdapterMemory(nvml.c_str()), c.bytes) << c.tree;
    }
    void* fake = dlopen(nvml.c_str(), RTLD_NOW);
    ASSERT_NE(fake, nullptr);
    auto sessions = reinterpret_cast<int (*)()>(dlsym(fake, "fakeNvmlOpenSessions"));
    ASSERT_NE(sessions, nullptr);
    TreeRoot root("video/two-nvidia");
    EXPECT_EQ(ReadPrimaryAdapterMemory(nvml.c_str()), 24ull << 30);
    EXPECT_EQ(sessions(), 0) << "every start is shut down";
    dlclose(fake);
    EXPECT_EQ(ReadPrimaryAdapterMemory(nullptr), 0u) << "NVIDIA without its library";
    EXPECT_EQ(ReadPrimaryAdapterMemory("/nonexistent/libnvidia-ml.so.1"), 0u);
}

// Each adapter as "vendor:device vendor name|name|bytes", " primary" after it where it is.
std::vector<std::string> Adapters() {
    GraphicsAdapter adapters[kMaxGraphicsAdapters];
    std::vector<std::string> out;
    for (int i = 0, count = ListGraphicsAdapters(adapters, kMaxGraphicsAdapters); i < count; ++i) {
        const GraphicsAdapter& a = adapters[i];
        char text[512];
        std::snprintf(text, sizeof text, "%04x:%04x %s|%s|%llu%s", a.vendorId, a.deviceId,
                      a.vendorName, a.name, static_cast<unsigned long long>(a.dedicatedBytes),
                      a.primary ? " primary" : "");
        out.push_back(text);
    }
    return out;
}

// Ids and names from a database, a card missing from it: the machine tree dual-gpu-laptop.
TEST(GraphicsTreeTest, EveryCardWithADeviceUpToTheCapacity) {
    const struct {
        const char* tree;
        std::vector<std::string> adapters;
    } cases[] = {
        // Ids from uevent only; no database.
        {"two-nvidia", {"10de:2204 ||0", "10de:2684 ||0 primary"}},
        // The PCI parent's ids, not virtio's own numbering.
        {"virtio-guest", {"1af4:1050 Red Hat, Inc.|Virtio 1.0 GPU|0 primary"}},
        // No ids at all: the bus device and driver stand for a name.
        {"intel-integrated", {"0000:0000 |0000:00:02.0 (i915)|0 primary"}},
        {".", {}},
    };
    for (const auto& c : cases) {
        TreeRoot root(std::string("video/") + c.tree);
        EXPECT_EQ(Adapters(), c.adapters) << c.tree;
    }

    TreeRoot root("video/amd-apu-nvidia");  // two cards, room for one
    GraphicsAdapter adapters[2] = {};
    adapters[1].vendorId = 0xbeef;
    EXPECT_EQ(ListGraphicsAdapters(adapters, 1), 1);
    EXPECT_EQ(adapters[0].vendorId, 0x1002u);
    EXPECT_EQ(adapters[1].vendorId, 0xbeefu) << "nothing written past the capacity";
    EXPECT_EQ(ListGraphicsAdapters(adapters, 0), 0);
    DrmCard cards[1];
    ASSERT_EQ(ListDrmCards(cards, 1), 1);
    EXPECT_EQ(cards[0].number, 0) << "a full list keeps the lowest numbers";
}

// A database line longer than any read block is skipped whole: no piece of it is taken
// for a vendor, and the lines after it still count. One that never ends is not read on.
class GraphicsDatabaseTest : public ScratchDirectory {};

TEST_F(GraphicsDatabaseTest, OverlongLinesAreSkippedWhole) {
    Write("/sys/class/drm/card0/device/vendor", "0x1002\n");
    Write("/sys/class/drm/card0/device/device", "0x1681\n");
    Write("/sys/class/drm/card0/device/boot_vga", "1\n");
    std::string longLine = "#";
    for (int i = 0; i < 60000; ++i) longLine += "1002 ";  // any cut of it reads as a vendor
    Write("/usr/share/misc/pci.ids", "0001  SafeNet\n" + longLine + "\n" + longLine +
                                         "\r\n1002  AMD\n\t1681  Rembrandt\n" + longLine);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));
    EXPECT_EQ(Adapters(), std::vector<std::string>{"1002:1681 AMD|Rembrandt|0 primary"});
}

TEST_F(GraphicsDatabaseTest, ADatabaseWithoutEndIsNotReadOn) {
    Write("/sys/class/drm/card0/device/vendor", "0x10de\n");
    Write("/sys/class/drm/card0/device/device", "0x2684\n");
    Write("/usr/share/misc/placeholder", "");
    ASSERT_EQ(symlink("/dev/zero", (directory + "/usr/share/misc/pci.ids").c_str()), 0);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));
    // The only card drives the display.
    EXPECT_EQ(Adapters(), std::vector<std::string>{"10de:2684 ||0 primary"});
}

}  // namespace
