// The Windows video-memory source with a display adapter's 64-bit size record, written
// into the registry of the test's own Wine prefix.
#include "platform/video_memory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "sysinfo/memory_video_os.h"

namespace {

const char kTestAdapter[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0977";

TEST(Win32VideoMemoryTest, AdapterRecordBeyond32BitsWins) {
    const uint64_t counted = SystemVideoMemory().TotalVideoMemory();
    ASSERT_LE(counted, 0xFFFFFFFFull) << "DirectDraw counts in 32 bits";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestAdapter, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        GTEST_SKIP() << "the display adapters' key is not writable here";

    const struct {
        DWORD type;
        uint64_t bytes;
        uint64_t expected;  // 0: what DirectDraw counts
    } cases[] = {
        {REG_QWORD, 8ull << 30, 8ull << 30},
        {REG_QWORD, 24ull << 30, 24ull << 30},
        {REG_QWORD, 2ull << 30, 0},            // fits 32 bits: DirectDraw's own figure stays
        {REG_BINARY, 8ull << 30, 0},           // not a 64-bit number
    };
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetValueExA(key, "HardwareInformation.qwMemorySize", 0, c.type,
                                 reinterpret_cast<const BYTE*>(&c.bytes), sizeof c.bytes),
                  ERROR_SUCCESS);
        EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), c.expected ? c.expected : counted) << c.bytes;
    }
    uint64_t eight = 8ull << 30;
    RegSetValueExA(key, "HardwareInformation.qwMemorySize", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&eight),
                   sizeof eight);
    char text[260];
    FormatVideoMemory(GetVideoMemory(), text);
    EXPECT_STREQ(text, "8192 MB");

    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestAdapter);
    EXPECT_EQ(SystemVideoMemory().TotalVideoMemory(), counted);
}

}  // namespace
