// Graphics adapters: names from the PCI ID database read line by line, the names given
// where the system has none, and the text of one adapter.
#include "sysinfo/graphics_adapters.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sysinfo/pci_ids.h"

namespace {

// A small database in the system file's shape, with its pitfalls: comments between blocks,
// subsystem lines whose ids look like a device's, a name with spaces and brackets, a vendor
// with no devices, a CRLF line and the device classes after the vendors.
const char* const kDatabase[] = {
    "#\tList of PCI ID's\n",
    "# vendor  vendor_name\n",
    "#\tdevice  device_name\n",
    "\n",
    "0001  SafeNet (wrong ID)\n",
    "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n",
    "\t1636  Renoir [Radeon RX Vega 6 (Ryzen 4000/5000 Mobile Series)]\n",
    "\t\t1043 1681  Subsystem named like a device\n",
    "\t1681  Rembrandt [Radeon 680M]\r\n",
    "# a comment inside a vendor's block\n",
    "\t73ff  Navi 23 [Radeon RX 6600/6600 XT/6600M]   \n",
    "102b  Matrox Electronics Systems Ltd.\n",
    "10de  NVIDIA Corporation\n",
    "\t2560  GA106M [GeForce RTX 3060 Mobile / Max-Q]\n",
    "\t\t10de 2684  Subsystem of 2560 only\n",
    "\t2704  AD103 [GeForce RTX 4080]\n",
    "1af4  Red Hat, Inc.\n",
    "\t1050  Virtio 1.0 GPU\n",
    "ffff  Illegal Vendor ID\n",
    "C 03  Display controller\n",
    "\t00  VGA compatible controller\n",
    "\t80  Display controller\n",
};
const int kLines = sizeof kDatabase / sizeof kDatabase[0];

// Feeds the database to `queries` as a reader would; returns how many lines it took.
int Stream(std::vector<PciIdsQuery>& queries) {
    for (int i = 0; i < kLines; ++i)
        if (!FeedPciIdsLine(kDatabase[i], queries.data(), static_cast<int>(queries.size())))
            return i + 1;
    return kLines;
}

int LineOf(const char* start) {
    for (int i = 0; i < kLines; ++i)
        if (std::string(kDatabase[i]).rfind(start, 0) == 0) return i + 1;
    return -1;
}

TEST(PciIdsTest, NamesOfOneAdapter) {
    const struct {
        uint32_t vendor, device;
        const char *vendorName, *deviceName;
        const char* lastLine;  // the line after which the reader may stop
    } cases[] = {
        {0x1002, 0x1681, "Advanced Micro Devices, Inc. [AMD/ATI]", "Rembrandt [Radeon 680M]",
         "\t1681"},
        {0x1002, 0x73ff, "Advanced Micro Devices, Inc. [AMD/ATI]",
         "Navi 23 [Radeon RX 6600/6600 XT/6600M]", "\t73ff"},
        // The subsystem "10de 2684" under 2560 is no device 2684.
        {0x10de, 0x2684, "NVIDIA Corporation", "", "1af4"},
        {0x10de, 0x2560, "NVIDIA Corporation", "GA106M [GeForce RTX 3060 Mobile / Max-Q]",
         "\t2560"},
        {0x102b, 0x0536, "Matrox Electronics Systems Ltd.", "", "10de"},  // no devices listed
        {0x1a03, 0x2000, "", "", "1af4"},  // absent, between two vendors
        {0xfffe, 0x0001, "", "", "ffff"},
    };
    for (const auto& c : cases) {
        std::vector<PciIdsQuery> queries = {MakePciIdsQuery(c.vendor, c.device)};
        const int lines = Stream(queries);  // the reader reads no further than it must
        EXPECT_EQ(std::make_tuple(std::string(queries[0].vendorName),
                                  std::string(queries[0].deviceName), queries[0].done, lines),
                  std::make_tuple(std::string(c.vendorName), std::string(c.deviceName), true,
                                  LineOf(c.lastLine)))
            << std::hex << c.vendor << ":" << c.device;
    }
    // All in one pass, in no order of the database's: each finds what it found alone.
    std::vector<PciIdsQuery> all;
    for (const auto& c : cases) all.push_back(MakePciIdsQuery(c.vendor, c.device));
    EXPECT_EQ(Stream(all), LineOf("ffff"));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_STREQ(all[i].vendorName, cases[i].vendorName) << i;
        EXPECT_STREQ(all[i].deviceName, cases[i].deviceName) << i;
    }
}

TEST(PciIdsTest, OverlongNamesAreCut) {
    std::string line = "\t1681  " + std::string(300, 'x') + "\n";
    std::vector<PciIdsQuery> queries = {MakePciIdsQuery(0x1002, 0x1681)};
    FeedPciIdsLine("1002  AMD\n", queries.data(), 1);
    EXPECT_FALSE(FeedPciIdsLine(line.c_str(), queries.data(), 1));
    EXPECT_EQ(std::string(queries[0].deviceName),
              std::string(sizeof queries[0].deviceName - 1, 'x'));
}

TEST(GraphicsAdapterTextTest, OneLineEach) {
    const std::pair<GraphicsAdapter, const char*> cases[] = {
        {{0x10de, 0x2684, "NVIDIA Corporation", "AD102 [GeForce RTX 4090]", 24ull << 30, true},
         "AD102 [GeForce RTX 4090] (NVIDIA Corporation, 10de:2684), 24 GiB dedicated, primary "
         "display"},
        // Without a database (the machine trees show names from the built-in table): the
        // device by its id, an unknown vendor by its own.
        {{0x1ed0, 0x0001, "", "", 512ull << 20, false},
         "device 0x0001 (vendor 0x1ed0, 1ed0:0001), 512 MiB dedicated"},
        // A platform device without PCI ids.
        {{0, 0, "", "simple-framebuffer.0 (simpledrm)", 0, true},
         "simple-framebuffer.0 (simpledrm), no dedicated memory reported, primary display"},
        {{0, 0, "", "", 0, false}, "display device, no dedicated memory reported"},
    };
    for (auto [adapter, expected] : cases) {
        CompleteAdapterNames(&adapter);
        char text[512];
        FormatGraphicsAdapter(adapter, text, sizeof text);
        EXPECT_STREQ(text, expected);
    }
}

TEST(GraphicsAdapterTextTest, MemoryFigures) {
    const std::pair<uint64_t, const char*> cases[] = {
        {1ull << 20, "1 MiB"},      {(1ull << 30) - 1, "1023.99 MiB"},
        {1536ull << 20, "1.5 GiB"}, {17163091968ull, "15.98 GiB"},
        {0x100000000ull, "4 GiB"},
    };
    for (const auto& [bytes, expected] : cases) {
        char text[32];
        FormatAdapterMemory(bytes, text, sizeof text);
        EXPECT_STREQ(text, expected) << bytes;
    }
}

}  // namespace
