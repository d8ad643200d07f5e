// Every DRM card as a graphics adapter, from small sysfs trees: ids from the device's
// files or its uevent (a virtio card's from its PCI parent), names from a PCI ID database
// in the tree where it has one.
#include "platform/graphics_adapters.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/system_root.h"
#include "scratch_directory.h"

namespace {

const std::string kTrees = std::string(KELVANE_TEST_DATA_DIR) + "/video/";

struct Expected {
    uint32_t vendor, device;
    const char *vendorName, *name;
    uint64_t bytes;
    bool primary;
};

class GraphicsTreeTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSystemRoot(nullptr); }
};

TEST_F(GraphicsTreeTest, EveryCardWithADevice) {
    const struct {
        const char* tree;
        int count;
        Expected adapters[2];
    } cases[] = {
        // hwdata's database; the NVIDIA card is missing from it, and a tree never asks
        // this machine's NVIDIA library.
        {"amd-apu-nvidia",
         2,
         {{0x1002, 0x1681, "Advanced Micro Devices, Inc. [AMD/ATI]", "Rembrandt [Radeon 680M]",
           512ull << 20, false},
          {0x10de, 0x2560, "NVIDIA Corporation", "", 0, true}}},
        // Ids from uevent only; no database.
        {"two-nvidia", 2, {{0x10de, 0x2204, "", "", 0, false}, {0x10de, 0x2684, "", "", 0, true}}},
        // The PCI parent's ids, not virtio's own numbering.
        {"virtio-guest", 1, {{0x1af4, 0x1050, "Red Hat, Inc.", "Virtio 1.0 GPU", 0, true}}},
        // No ids at all: the bus device and driver stand for a name.
        {"intel-integrated", 1, {{0, 0, "", "0000:00:02.0 (i915)", 0, true}}},
        {"no-drm", 0, {}},
        {".", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tree);
        ASSERT_TRUE(SetSystemRoot((kTrees + c.tree).c_str()));
        GraphicsAdapter adapters[kMaxGraphicsAdapters];
        ASSERT_EQ(ListGraphicsAdapters(adapters, kMaxGraphicsAdapters), c.count);
        for (int i = 0; i < c.count; ++i) {
            const Expected& want = c.adapters[i];
            EXPECT_EQ(adapters[i].vendorId, want.vendor) << i;
            EXPECT_EQ(adapters[i].deviceId, want.device) << i;
            EXPECT_STREQ(adapters[i].vendorName, want.vendorName) << i;
            EXPECT_STREQ(adapters[i].name, want.name) << i;
            EXPECT_EQ(adapters[i].dedicatedBytes, want.bytes) << i;
            EXPECT_EQ(adapters[i].primary, want.primary) << i;
        }
    }
}

TEST_F(GraphicsTreeTest, CapacityIsKept) {
    ASSERT_TRUE(SetSystemRoot((kTrees + "amd-apu-nvidia").c_str()));
    GraphicsAdapter adapters[2] = {};
    adapters[1].vendorId = 0xbeef;
    EXPECT_EQ(ListGraphicsAdapters(adapters, 1), 1);
    EXPECT_EQ(adapters[0].vendorId, 0x1002u);
    EXPECT_EQ(adapters[1].vendorId, 0xbeefu) << "nothing written past the capacity";
    EXPECT_EQ(ListGraphicsAdapters(adapters, 0), 0);
}

// A database line longer than any read block is skipped whole: no piece of it is taken
// for a vendor, and the lines after it still count.
class GraphicsDatabaseTest : public ScratchDirectory {
  protected:
    void TearDown() override {
        SetSystemRoot(nullptr);
        ScratchDirectory::TearDown();
    }
    void Write(const std::string& path, const std::string& text) {
        std::system(("mkdir -p '" + directory + path.substr(0, path.rfind('/')) + "'").c_str());
        std::ofstream(directory + path, std::ios::binary) << text;
    }
};

TEST_F(GraphicsDatabaseTest, OverlongLinesAreSkippedWhole) {
    Write("/sys/class/drm/card0/device/vendor", "0x1002\n");
    Write("/sys/class/drm/card0/device/device", "0x1681\n");
    Write("/sys/class/drm/card0/device/boot_vga", "1\n");
    std::string longLine = "#";
    for (int i = 0; i < 60000; ++i) longLine += "1002 ";  // any cut of it reads as a vendor
    Write("/usr/share/misc/pci.ids", "0001  SafeNet\n" + longLine + "\n" + longLine +
                                         "\r\n1002  AMD\n\t1681  Rembrandt\n" + longLine);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));
    GraphicsAdapter adapters[kMaxGraphicsAdapters];
    ASSERT_EQ(ListGraphicsAdapters(adapters, kMaxGraphicsAdapters), 1);
    EXPECT_STREQ(adapters[0].vendorName, "AMD");
    EXPECT_STREQ(adapters[0].name, "Rembrandt");
    EXPECT_TRUE(adapters[0].primary);
}

TEST_F(GraphicsDatabaseTest, ADatabaseWithoutEndIsNotReadOn) {
    Write("/sys/class/drm/card0/device/vendor", "0x10de\n");
    Write("/sys/class/drm/card0/device/device", "0x2684\n");
    Write("/usr/share/misc/placeholder", "");
    ASSERT_EQ(symlink("/dev/zero", (directory + "/usr/share/misc/pci.ids").c_str()), 0);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));
    GraphicsAdapter adapters[kMaxGraphicsAdapters];
    ASSERT_EQ(ListGraphicsAdapters(adapters, kMaxGraphicsAdapters), 1);
    EXPECT_STREQ(adapters[0].name, "");
    EXPECT_TRUE(adapters[0].primary) << "the only card drives the display";
}

}  // namespace
