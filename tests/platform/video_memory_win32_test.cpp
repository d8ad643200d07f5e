// The Windows video-memory source: which adapter's 64-bit size record stands for
// DirectDraw's figure, as plain data and with records written into the registry of the
// test's own Wine prefix.
#include "platform/video_memory.h"

#include <ddraw.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/adapter_memory.h"
#include "sysinfo/graphics_adapters.h"
#include "sysinfo/memory_video_os.h"

namespace {

TEST(AdapterIdsTest, DeviceIdTexts) {
    const struct {
        const char* text;
        bool parsed;
        uint32_t vendor, device;
    } cases[] = {
        {"PCI\\VEN_10DE&DEV_2684&SUBSYS_16F110DE&REV_A1", true, 0x10de, 0x2684},
        {"pci\\ven_8086&dev_9a49", true, 0x8086, 0x9a49},
        {"ROOT\\BasicDisplay", false, 0, 0},
        {"PCI\\VEN_1002", false, 0, 0},
        {"", false, 0, 0},
        {nullptr, false, 0, 0},
    };
    for (const auto& c : cases) {
        uint32_t vendor = 0, device = 0;
        EXPECT_EQ(ParseDeviceIds(c.text, &vendor, &device), c.parsed) << (c.text ? c.text : "null");
        if (c.parsed) {
            EXPECT_EQ(vendor, c.vendor);
            EXPECT_EQ(device, c.device);
        }
    }
}

TEST(AdapterChoiceTest, OnlyTheMeasuredAdaptersRecordBeyond32Bits) {
    const uint64_t counted = 4289724415ull;  // what DirectDraw says of a large card
    const AdapterRecord nvidia = {0x10de, 0x2684, 0}, intel = {0x8086, 0x9a49, 0};
    const struct {
        const AdapterRecord* measured;
        AdapterRecord records[3];
        int count;
        uint64_t expected;
    } cases[] = {
        {&nvidia, {{0x8086, 0x9a49, 0}, {0x10de, 0x2684, 24ull << 30}}, 2, 24ull << 30},
        {&nvidia,
         {{0x10de, 0x2684, 8ull << 30}, {0x10de, 0x2684, 8ull << 30}},
         2,
         8ull << 30},                                           // two alike
        {&nvidia, {{0x10de, 0x2684, 2ull << 30}}, 1, counted},  // fits 32 bits: DirectDraw's
        {&nvidia, {{0x10de, 0x2684, 0xFFFFFFFFull}}, 1, counted},
        {&nvidia, {{0x10de, 0x2684, 0x100000000ull}}, 1, 0x100000000ull},
        {&nvidia, {{0x10de, 0x1c82, 8ull << 30}}, 1, counted},  // a removed card's key
        {&intel,
         {{0x8086, 0x9a49, 128ull << 20}, {0x10de, 0x2684, 8ull << 30}},
         2,
         counted},                                              // laptop
        {nullptr, {{0x10de, 0x2684, 8ull << 30}}, 1, counted},  // DirectDraw named nothing
        {&nvidia, {}, 0, counted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseVideoMemory(counted, c.measured, c.records, c.count), c.expected)
            << c.expected;
}

TEST(AdapterChoiceTest, ACountBeyond32BitsIsExact) {
    // A 64-bit process's DXGI count: a record, even a larger one, does not replace it.
    const AdapterRecord nvidia = {0x10de, 0x2684, 24ull << 30};
    EXPECT_EQ(ChooseVideoMemory(25390809088ull, &nvidia, &nvidia, 1), 25390809088ull);
    EXPECT_EQ(ChooseVideoMemory(0xFFFFFFFFull, &nvidia, &nvidia, 1), 24ull << 30);
}

TEST(AdapterChoiceTest, SoftwareRenderers) {
    const struct {
        uint32_t flags, vendor, device;
        bool software;
    } cases[] = {
        {kDxgiSoftwareAdapterFlag, 0x1414, 0x008c, true},  // Basic Render Driver, flagged
        {0, 0x1414, 0x008c, true},                         // the same where no flag is set
        {kDxgiSoftwareAdapterFlag | 1, 0x10de, 0x2684, true},
        {0, 0x1414, 0x02c1, false},  // Basic Display Adapter drives a display
        {1, 0x10de, 0x2684, false},  // a remote adapter is still hardware
        {0, 0x8086, 0x008c, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSoftwareAdapter(c.flags, c.vendor, c.device), c.software)
            << std::hex << c.flags << " " << c.vendor << ":" << c.device;
}

const char kAdapters[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\";

// The ids DirectDraw gives for the adapter it measures, as a device id text; false when
// it names none.
bool DirectDrawDeviceId(char* out, size_t capacity) {
    typedef HRESULT(WINAPI * Create)(GUID*, LPDIRECTDRAW*, IUnknown*);
    HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
    if (!ddraw) return false;
    auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
    bool named = false;
    LPDIRECTDRAW draw = nullptr;
    GUID zero = {};
    if (create && create(&zero, &draw, nullptr) >= 0 && draw) {
        LPDIRECTDRAW7 draw7 = nullptr;
        static const GUID kDirectDraw7 = {
            0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
        if (draw->QueryInterface(kDirectDraw7, reinterpret_cast<void**>(&draw7)) >= 0 && draw7) {
            DDDEVICEIDENTIFIER2 id = {};
            if (draw7->GetDeviceIdentifier(&id, 0) >= 0 && id.dwVendorId) {
                snprintf(out, capacity, "PCI\\VEN_%04lX&DEV_%04lX&SUBSYS_00000000", id.dwVendorId,
                         id.dwDeviceId);
                named = true;
            }
            draw7->Release();
        }
        draw->Release();
    }
    FreeLibrary(ddraw);
    return named;
}

HKEY CreateAdapterKey(const char* number, const char* deviceId) {
    HKEY key = nullptr;
    std::string path = std::string(kAdapters) + number;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    RegSetValueExA(key, "MatchingDeviceId", 0, REG_SZ, reinterpret_cast<const BYTE*>(deviceId),
                   static_cast<DWORD>(std::strlen(deviceId) + 1));
    return key;
}

void SetMemoryRecord(HKEY key, DWORD type, uint64_t bytes) {
    ASSERT_EQ(RegSetValueExA(key, "HardwareInformation.qwMemorySize", 0, type,
                             reinterpret_cast<const BYTE*>(&bytes), sizeof bytes),
              ERROR_SUCCESS);
}

TEST(Win32VideoMemoryTest, TheMeasuredAdaptersRecordBeyond32BitsWins) {
    const uint64_t counted = SystemVideoMemory().TotalVideoMemory();
    ASSERT_LE(counted, 0xFFFFFFFFull) << "DirectDraw counts in 32 bits";
    char deviceId[128];
    if (!DirectDrawDeviceId(deviceId, sizeof deviceId))
        GTEST_SKIP() << "DirectDraw names no adapter here";
    HKEY measured = CreateAdapterKey("0977", deviceId);
    if (!measured) GTEST_SKIP() << "the display adapters' key is not writable here";
    // Another adapter, or a removed one, with a larger record: never the figure.
    HKEY other = CreateAdapterKey("0978", "PCI\\VEN_1234&DEV_ABCD");
    ASSERT_NE(other, nullptr);
    SetMemoryRecord(other, REG_QWORD, 32ull << 30);
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), counted)
        << "the measured adapter has no record yet";

    const struct {
        DWORD type;
        uint64_t bytes;
        uint64_t expected;  // 0: what DirectDraw counts
    } cases[] = {
        {REG_QWORD, 8ull << 30, 8ull << 30},
        {REG_QWORD, 24ull << 30, 24ull << 30},
        {REG_QWORD, 2ull << 30, 0},   // fits 32 bits: DirectDraw's own figure stays
        {REG_BINARY, 8ull << 30, 0},  // not a 64-bit number
    };
    for (const auto& c : cases) {
        SetMemoryRecord(measured, c.type, c.bytes);
        EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), c.expected ? c.expected : counted)
            << c.bytes;
    }
    SetMemoryRecord(measured, REG_QWORD, 8ull << 30);
    char text[260];
    FormatVideoMemory(GetVideoMemory(), text);
    EXPECT_STREQ(text, "8192 MB");

    RegCloseKey(measured);
    RegCloseKey(other);
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
    char deviceId[128];
    std::snprintf(deviceId, sizeof deviceId, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_00000000",
                  static_cast<unsigned>(before[0].vendorId),
                  static_cast<unsigned>(before[0].deviceId));
    HKEY key = CreateAdapterKey("0979", deviceId);
    if (!key) GTEST_SKIP() << "the display adapters' key is not writable here";
    SetMemoryRecord(key, REG_QWORD, 48ull << 30);
    GraphicsAdapter after[kMaxGraphicsAdapters];
    ASSERT_GE(ListGraphicsAdapters(after, kMaxGraphicsAdapters), 1);
    // A 64-bit process counts beyond 4 GiB itself; a 32-bit one is capped below it.
    uint64_t expected =
        before[0].dedicatedBytes <= 0xFFFFFFFFull ? 48ull << 30 : before[0].dedicatedBytes;
    EXPECT_EQ(after[0].dedicatedBytes, expected) << before[0].dedicatedBytes;
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAdapters) + "0979").c_str());
}

}  // namespace
