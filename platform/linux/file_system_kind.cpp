#include "platform/linux/file_system_kind.h"

namespace {

struct KnownFileSystem {
    uint32_t magic;  // statfs f_type, as <linux/magic.h> names it
    FileSystemKind kind;
    const char* name;
};

// devtmpfs reports TMPFS_MAGIC: it is a tmpfs instance, and is refused with it.
constexpr KnownFileSystem kNotADisk[] = {
    {0x01021994, FileSystemKind::kInMemory, "tmpfs"},
    {0x858458f6, FileSystemKind::kInMemory, "ramfs"},
    {0x958458f6, FileSystemKind::kInMemory, "hugetlbfs"},
    {0x00009fa0, FileSystemKind::kKernel, "proc"},
    {0x62656572, FileSystemKind::kKernel, "sysfs"},
    {0x0027e0eb, FileSystemKind::kKernel, "cgroup"},
    {0x63677270, FileSystemKind::kKernel, "cgroup2"},
    {0x64626720, FileSystemKind::kKernel, "debugfs"},
    {0x74726163, FileSystemKind::kKernel, "tracefs"},
    {0x73636673, FileSystemKind::kKernel, "securityfs"},
    {0x6165676c, FileSystemKind::kKernel, "pstore"},
    {0xcafe4a11, FileSystemKind::kKernel, "bpf"},
    {0x00001cd1, FileSystemKind::kKernel, "devpts"},
    {0x19800202, FileSystemKind::kKernel, "mqueue"},
    {0x62656570, FileSystemKind::kKernel, "configfs"},
    {0xde5e81e4, FileSystemKind::kKernel, "efivarfs"},
    {0x42494e4d, FileSystemKind::kKernel, "binfmt_misc"},
    {0xf97cff8c, FileSystemKind::kKernel, "selinuxfs"},
    {0x43415d53, FileSystemKind::kKernel, "smackfs"},
    {0x65735543, FileSystemKind::kKernel, "fusectl"},
    {0x67596969, FileSystemKind::kKernel, "rpc_pipefs"},
    {0x6e667364, FileSystemKind::kKernel, "nfsd"},
    {0x00000187, FileSystemKind::kKernel, "autofs"},  // a mount point not mounted yet
    {0x6e736673, FileSystemKind::kKernel, "nsfs"},
    {0x07655821, FileSystemKind::kKernel, "resctrl"},
    {0xabba1974, FileSystemKind::kKernel, "xenfs"},
    {0x00009fa1, FileSystemKind::kKernel, "openpromfs"},
    {0x00009fa2, FileSystemKind::kKernel, "usbdevfs"},
};

}  // namespace

FileSystemKind ClassifyFileSystem(uint32_t magic, const char** name) {
    for (const KnownFileSystem& known : kNotADisk) {
        if (known.magic == magic) {
            *name = known.name;
            return known.kind;
        }
    }
    *name = nullptr;
    return FileSystemKind::kStorage;
}
