#include "platform/win32/system_library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\ddraw.dll").c_str(), besideProgram.c_str(), FALSE));

    HMODULE planted = LoadSystemLibrary("kelvane_planted.dll");
    EXPECT_EQ(planted, nullptr) << "a library found only beside the program was loaded";
    if (planted) FreeLibrary(planted);

    for (const char* name : {"ddraw.dll", "dxgi.dll"}) {
        HMODULE module = LoadSystemLibrary(name);
        if (!module) continue;  // the system may lack it (DXGI before Vista)
        EXPECT_EQ(lstrcmpiA(ModuleFolder(module).c_str(), system), 0) << name;
        FreeLibrary(module);
    }
    const std::string tooLong(MAX_PATH, 'a');
    EXPECT_EQ(LoadSystemLibrary(tooLong.c_str()), nullptr);
    DeleteFileA(besideProgram.c_str());
}

}  // namespace
