// The Windows disk operations in a scratch folder: a name that exists is never opened,
// and our own file goes when its handle closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/disk_ops.h"

namespace {

TEST(Win32DiskOpsTest, ExistingNameIsLeftAloneAndOursGoesOnClose) {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string folder = std::string(temp) + "kelvane-disk-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    DiskOps& ops = SystemDiskOps();
    char path[MAX_PATH];
    ASSERT_TRUE(ops.TemporaryPath(folder.c_str(), 7, path, sizeof path));
    EXPECT_EQ(std::string(path), folder + "\\7.bin");

    // Somebody else's file of that name.
    HANDLE other = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(other, "keep", 4, &written, nullptr);
    CloseHandle(other);
    EXPECT_EQ(ops.CreateNew(path), kNoFile);
    EXPECT_EQ(ops.LastError(), ops.FileExistsCode());
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4u) << "the other file keeps its content";
    DeleteFileA(path);

    intptr_t file = ops.CreateNew(path);
    ASSERT_NE(file, kNoFile);
    ops.Close(file);
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << "delete-on-close took it";
    ops.Remove(path);
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));

    uint64_t freeBytes = 0;
    EXPECT_FALSE(ops.FreeBytes("", &freeBytes));
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_EQ(std::string(text).find('\n'), std::string::npos);
}

}  // namespace
