// The Windows disk operations in a scratch folder: a name that exists is never opened, ours
// goes when its handle closes, and nothing is deleted by name after that.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "platform/disk_ops.h"

namespace {

DWORD SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow
                                                                            : 0xFFFFFFFF;
}

TEST(Win32DiskOpsTest, ExistingNameIsLeftAloneAndOursGoesOnClose) {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string folder =
        std::string(temp) + "kelvane-disk-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    DiskOps& ops = SystemDiskOps();
    char directory[MAX_PATH];
    ASSERT_TRUE(ops.ChooseDirectory(folder.c_str(), directory, sizeof directory));
    EXPECT_EQ(std::string(directory), folder);

    // Somebody else's file of that name.
    const std::string seven = folder + "\\7.bin";
    std::ofstream(seven) << "keep";
    const intptr_t held = ops.OpenDirectory(folder.c_str());
    ASSERT_NE(held, kNoFile);
    EXPECT_EQ(ops.CreateNew(held, 7), kNoFile);
    EXPECT_EQ(ops.LastError(), ops.FileExistsCode());
    EXPECT_EQ(SizeOf(seven), 4u) << "the other file keeps its content";
    DeleteFileA(seven.c_str());

    // Ours is gone once closed; a file someone makes under that name afterwards stays,
    // through the next run's probe of the name too.
    const std::string eight = folder + "\\8.bin";
    intptr_t file = ops.CreateNew(held, 8);
    ASSERT_NE(file, kNoFile);
    EXPECT_TRUE(ops.StillOnDrive(held, file));
    EXPECT_NE(SizeOf(eight), 0xFFFFFFFFu) << "named while open";
    ops.Close(file);
    EXPECT_EQ(GetFileAttributesA(eight.c_str()), INVALID_FILE_ATTRIBUTES) << "delete-on-close";
    std::ofstream(eight) << "theirs";
    EXPECT_EQ(ops.CreateNew(held, 8), kNoFile);
    EXPECT_EQ(SizeOf(eight), 6u);
    DeleteFileA(eight.c_str());
    ops.CloseDirectory(held);
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));

    uint64_t freeBytes = 0;
    EXPECT_FALSE(ops.ChooseDirectory("", directory, sizeof directory));
    EXPECT_FALSE(ops.FreeBytes("", &freeBytes));
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_EQ(std::string(text).find('\n'), std::string::npos);
}

}  // namespace
