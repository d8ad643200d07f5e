// Which statfs magic numbers are a disk, and the names the refusal texts give the others.
#include "platform/linux/file_system_kind.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileSystemKindTest, MemoryAndKernelFileSystemsAreNamedAndDisksPass) {
    const struct {
        uint32_t magic;
        FileSystemKind kind;
        const char* name;
    } cases[] = {
        {0x01021994, FileSystemKind::kInMemory, "tmpfs"},  // also what devtmpfs reports
        {0x858458f6, FileSystemKind::kInMemory, "ramfs"},
        {0x958458f6, FileSystemKind::kInMemory, "hugetlbfs"},
        {0x9fa0, FileSystemKind::kKernel, "proc"},
        {0x62656572, FileSystemKind::kKernel, "sysfs"},
        {0x27e0eb, FileSystemKind::kKernel, "cgroup"},
        {0x63677270, FileSystemKind::kKernel, "cgroup2"},
        {0x64626720, FileSystemKind::kKernel, "debugfs"},
        {0x73636673, FileSystemKind::kKernel, "securityfs"},
        {0x1cd1, FileSystemKind::kKernel, "devpts"},
        {0x19800202, FileSystemKind::kKernel, "mqueue"},
        {0xcafe4a11, FileSystemKind::kKernel, "bpf"},
        // Stored on a device, the network or through FUSE: measured.
        {0xef53, FileSystemKind::kStorage, nullptr},      // ext2/3/4
        {0x58465342, FileSystemKind::kStorage, nullptr},  // xfs
        {0x9123683e, FileSystemKind::kStorage, nullptr},  // btrfs
        {0x4d44, FileSystemKind::kStorage, nullptr},      // vfat
        {0x2011bab0, FileSystemKind::kStorage, nullptr},  // exfat
        {0x6969, FileSystemKind::kStorage, nullptr},      // nfs
        {0xfe534d42, FileSystemKind::kStorage, nullptr},  // smb2
        {0x65735546, FileSystemKind::kStorage, nullptr},  // fuse
        {0x2fc12fc1, FileSystemKind::kStorage, nullptr},  // zfs
        {0x794c7630, FileSystemKind::kStorage, nullptr},  // overlay
        {0, FileSystemKind::kStorage, nullptr},
    };
    for (const auto& c : cases) {
        const char* name = "unset";
        EXPECT_EQ(ClassifyFileSystem(c.magic, &name), c.kind) << std::hex << c.magic;
        if (c.name)
            EXPECT_STREQ(name, c.name) << std::hex << c.magic;
        else
            EXPECT_EQ(name, nullptr) << std::hex << c.magic;
    }
}

}  // namespace
