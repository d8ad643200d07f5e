// The Windows video-memory source and adapter list: which adapter's 64-bit size record
// stands for a count capped at 32 bits, as plain data and with records written into the
// registry of the test's own Wine prefix.
#include "platform/video_memory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "platform/win32/adapter_memory.h"
#include "platform/win32/adapter_sources.h"
#include "sysinfo/graphics_adapters.h"

namespace {

TEST(AdapterIdsTest, DeviceIdTexts) {
    const std::tuple<const char*, bool, uint32_t, uint32_t> cases[] = {
        {"PCI\\VEN_10DE&DEV_2684&SUBSYS_16F110DE&REV_A1", true, 0x10de, 0x2684},
        {"pci\\ven_8086&dev_9a49", true, 0x8086, 0x9a49},
        {"ROOT\\BasicDisplay", false, 0, 0},
        {"PCI\\VEN_1002", false, 0, 0},
        {nullptr, false, 0, 0}};
    for (const auto& [text, parsed, vendor, device] : cases) {
        uint32_t v = 0, d = 0;
        EXPECT_EQ(ParseDeviceIds(text, &v, &d), parsed) << (text ? text : "null");
        if (parsed) {
            EXPECT_EQ(std::make_pair(v, d), std::make_pair(vendor, device)) << text;
        }
    }
}

TEST(AdapterChoiceTest, OnlyTheMeasuredAdaptersRecordBeyond32Bits) {
    const uint64_t counted = 4289724415ull;  // what DirectDraw says of a large card
    const AdapterRecord nvidia = {0x10de, 0x2684, 0}, intel = {0x8086, 0x9a49, 0};
    const AdapterRecord nvidia8 = {0x10de, 0x2684, 8ull << 30};
    const struct {
        const char* name;
        const AdapterRecord* measured;
        AdapterRecord records[2];
        int count;
        uint64_t expected;
    } cases[] = {
        {"the measured one", &nvidia, {intel, {0x10de, 0x2684, 24ull << 30}}, 2, 24ull << 30},
        {"two alike", &nvidia, {nvidia8, nvidia8}, 2, 8ull << 30},
        {"at 32 bits", &nvidia, {{0x10de, 0x2684, 0xFFFFFFFFull}}, 1, counted},
        {"past 32 bits", &nvidia, {{0x10de, 0x2684, 0x100000000ull}}, 1, 0x100000000ull},
        {"a removed card's key", &nvidia, {{0x10de, 0x1c82, 8ull << 30}}, 1, counted},
        {"laptop", &intel, {{0x8086, 0x9a49, 128ull << 20}, nvidia8}, 2, counted},
        {"DirectDraw named nothing", nullptr, {nvidia8}, 1, counted},
        {"no records", &nvidia, {}, 0, counted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseVideoMemory(counted, c.measured, c.records, c.count), c.expected) << c.name;
    // A count beyond 32 bits (a 64-bit process's DXGI) is exact: a record, even a larger
    // one, does not replace it.
    const AdapterRecord large = {0x10de, 0x2684, 24ull << 30};
    EXPECT_EQ(ChooseVideoMemory(25390809088ull, &large, &large, 1), 25390809088ull);
    EXPECT_EQ(ChooseVideoMemory(0xFFFFFFFFull, &large, &large, 1), 24ull << 30);
}

TEST(AdapterChoiceTest, SoftwareRenderers) {
    const std::tuple<uint32_t, uint32_t, uint32_t, bool> cases[] = {
        // flags, ids, software
        {kDxgiSoftwareAdapterFlag, 0x1414, 0x008c, true},  // Basic Render Driver, flagged
        {0, 0x1414, 0x008c, true},                         // the same where no flag is set
        {kDxgiSoftwareAdapterFlag | 1, 0x10de, 0x2684, true},
        {0, 0x1414, 0x02c1, false},  // Basic Display Adapter drives a display
        {1, 0x10de, 0x2684, false},  // a remote adapter is still hardware
        {0, 0x8086, 0x008c, false},
    };
    for (const auto& [flags, vendor, device, software] : cases)
        EXPECT_EQ(IsSoftwareAdapter(flags, vendor, device), software)
            << std::hex << flags << " " << vendor << ":" << device;
}

const char kAdapters[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\";

std::string DeviceId(uint32_t vendor, uint32_t device) {
    char text[64];
    std::snprintf(text, sizeof text, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_00000000",
                  static_cast<unsigned>(vendor), static_cast<unsigned>(device));
    return text;
}

// Display adapter key `number` for the device, with a memory record of `type`; false where
// the display adapters' key is not writable.
bool WriteAdapterKey(const char* number, const std::string& deviceId, DWORD type, uint64_t bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kAdapters) + number).c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "MatchingDeviceId", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(deviceId.c_str()),
                   static_cast<DWORD>(deviceId.size() + 1));
    bool written =
        RegSetValueExA(key, "HardwareInformation.qwMemorySize", 0, type,
                       reinterpret_cast<const BYTE*>(&bytes), sizeof bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

TEST(Win32VideoMemoryTest, TheMeasuredAdaptersRecordBeyond32BitsWins) {
    const uint64_t counted = SystemVideoMemory().TotalVideoMemory();
    ASSERT_LE(counted, 0xFFFFFFFFull) << "DirectDraw counts in 32 bits";
    DirectDrawAdapter measured;
    if (!QueryDirectDraw(&measured) || !measured.named)
        GTEST_SKIP() << "DirectDraw names no adapter here";
    // Another adapter, or a removed one, with a larger record: never the figure.
    if (!WriteAdapterKey("0978", "PCI\\VEN_1234&DEV_ABCD", REG_QWORD, 32ull << 30))
        GTEST_SKIP() << "the display adapters' key is not writable here";
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), counted)
        << "the measured adapter has no record yet";
    const std::string deviceId = DeviceId(measured.ids.vendor, measured.ids.device);
    ASSERT_TRUE(WriteAdapterKey("0977", deviceId, REG_QWORD, 24ull << 30));
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), 24ull << 30);
    ASSERT_TRUE(WriteAdapterKey("0977", deviceId, REG_BINARY, 8ull << 30));
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), counted) << "not a 64-bit number";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAdapters) + "0977").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAdapters) + "0978").c_str());
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), counted);
}

TEST(Win32GraphicsAdaptersTest, EveryAdapterNamedThePrimaryFirst) {
    GraphicsAdapter adapters[kMaxGraphicsAdapters];
    int count = ReadGraphicsAdapters(adapters, kMaxGraphicsAdapters);
    ASSERT_GE(count, 1) << "DXGI or, without it, DirectDraw names an adapter";
    int primaries = 0;
    for (int i = 0; i < count; ++i) {
        char line[512];
        FormatGraphicsAdapter(adapters[i], line, sizeof line);
        std::printf("adapter %d: %s\n", i, line);
        EXPECT_NE(adapters[i].name[0], '\0');
        EXPECT_FALSE(IsSoftwareAdapter(0, adapters[i].vendorId, adapters[i].deviceId));
        primaries += adapters[i].primary;
    }
    EXPECT_EQ(primaries, 1);
    EXPECT_TRUE(adapters[0].primary);
}

TEST(Win32GraphicsAdaptersTest, ACappedCountTakesTheRecordOfTheSameDevice) {
    GraphicsAdapter before[kMaxGraphicsAdapters];
    ASSERT_GE(ListGraphicsAdapters(before, kMaxGraphicsAdapters), 1);
    if (!before[0].vendorId) GTEST_SKIP() << "the adapter has no ids here";
    if (!WriteAdapterKey("0979", DeviceId(before[0].vendorId, before[0].deviceId), REG_QWORD,
                         48ull << 30))
        GTEST_SKIP() << "the display adapters' key is not writable here";
    GraphicsAdapter after[kMaxGraphicsAdapters];
    ASSERT_GE(ListGraphicsAdapters(after, kMaxGraphicsAdapters), 1);
    // A 64-bit process counts beyond 4 GiB itself; a 32-bit one is capped below it.
    uint64_t expected =
        before[0].dedicatedBytes <= 0xFFFFFFFFull ? 48ull << 30 : before[0].dedicatedBytes;
    EXPECT_EQ(after[0].dedicatedBytes, expected) << before[0].dedicatedBytes;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAdapters) + "0979").c_str());
}

}  // namespace
