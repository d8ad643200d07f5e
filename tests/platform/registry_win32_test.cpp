// The Windows registry readers through the real system calls, on a key of the test's
// own Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "sysinfo/registry_probes.h"

namespace {

const char kTestKey[] = "Software\\KelvaneRegistryTest";

class Win32RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD number = 3000;
        RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof number);
        const char text[] = "GenuineIntel";
        RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }
};

TEST_F(Win32RegistryTest, ValueSizes) {
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, kTestKey, "Missing"), 4u)
        << "a missing value keeps the starting size, so its key still counts";
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, kTestKey, "Number"), 4u);
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, kTestKey, "Text"), 13u);
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, "Software\\KelvaneNoSuchKey", "Text"), 0u);
}

TEST_F(Win32RegistryTest, QueryValueReportsSizesOnlyWhenKnown) {
    RegistrySource& registry = SystemRegistry();
    uintptr_t key = registry.OpenKey(RegistryRoot::kCurrentUser, kTestKey);
    ASSERT_NE(key, 0u);
    uint32_t size = 77;
    EXPECT_FALSE(registry.QueryValue(key, "Missing", nullptr, &size));
    EXPECT_EQ(size, 77u);
    char small[4];
    size = sizeof small;
    EXPECT_FALSE(registry.QueryValue(key, "Text", small, &size)) << "does not fit";
    EXPECT_EQ(size, 13u) << "the size it needs";
    char text[32];
    size = sizeof text;
    EXPECT_TRUE(registry.QueryValue(key, "Text", text, &size));
    EXPECT_STREQ(text, "GenuineIntel");
    EXPECT_EQ(RegReadDword(RegistryRoot::kCurrentUser, kTestKey, "Number"), 3000u);
    registry.CloseKey(key);
}

}  // namespace
