// The Windows registry readers and the system library loader through the real system
// calls, on a key of the test's own Wine prefix and the program's own folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "platform/win32/system_library.h"
#include "sysinfo/registry_probes.h"

namespace {

TEST(Win32RegistryTest, SizesAndValues) {
    const char key[] = "Software\\KelvaneRegistryTest";
    HKEY written = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &written, nullptr),
              ERROR_SUCCESS);
    DWORD number = 3000;
    RegSetValueExA(written, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    const char name[] = "GenuineIntel";
    RegSetValueExA(written, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
    RegCloseKey(written);

    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, key, "Missing"), 4u)
        << "a missing value keeps the starting size, so its key still counts";
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, key, "Text"), 13u);
    EXPECT_EQ(RegValueSize(RegistryRoot::kCurrentUser, "Software\\KelvaneNoSuchKey", "Text"), 0u);
    EXPECT_EQ(RegReadDword(RegistryRoot::kCurrentUser, key, "Number"), 3000u);
    char text[kRegistryStringLimit];
    EXPECT_EQ(RegReadString(RegistryRoot::kCurrentUser, key, "Text", text), 1);
    EXPECT_STREQ(text, "GenuineIntel");

    RegistrySource& registry = SystemRegistry();
    uintptr_t opened = registry.OpenKey(RegistryRoot::kCurrentUser, key);
    uint32_t size = 4;
    EXPECT_FALSE(registry.QueryValue(opened, "Text", text, &size)) << "does not fit";
    EXPECT_EQ(size, 13u) << "the size it needs";
    registry.CloseKey(opened);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

std::string ModuleFolder(HMODULE module) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\'));
}

// A library of a system name placed beside the program is never the one loaded: only the
// system folder's copy is, and a name found only beside the program loads nothing.
TEST(SystemLibraryTest, LoadsFromTheSystemFolderOnly) {
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string besideProgram = ModuleFolder(nullptr) + "\\kelvane_planted.dll";
    ASSERT_TRUE(
        CopyFileA((std::string(system) + "\\ddraw.dll").c_str(), besideProgram.c_str(), FALSE));

    HMODULE planted = LoadSystemLibrary("kelvane_planted.dll");
    EXPECT_EQ(planted, nullptr) << "a library found only beside the program was loaded";
    if (planted) FreeLibrary(planted);

    for (const char* name : {"ddraw.dll", "dxgi.dll"}) {
        HMODULE module = LoadSystemLibrary(name);
        if (!module) continue;  // the system may lack it (DXGI before Vista)
        EXPECT_EQ(lstrcmpiA(ModuleFolder(module).c_str(), system), 0) << name;
        FreeLibrary(module);
    }
    EXPECT_EQ(LoadSystemLibrary(std::string(MAX_PATH, 'a').c_str()), nullptr) << "too long a name";
    DeleteFileA(besideProgram.c_str());
}

}  // namespace
