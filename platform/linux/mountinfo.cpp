#include "platform/linux/mountinfo.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kMaxFields = 64;

struct Field {
    const char* begin;
    size_t length;
};

bool FieldIs(const Field& field, const char* text) {
    size_t n = std::strlen(text);
    return field.length == n && std::memcmp(field.begin, text, n) == 0;
}

// Copies a field into a terminated buffer; false when it does not fit whole.
bool CopyField(const Field& field, char* out, size_t capacity) {
    if (field.length >= capacity || std::memchr(field.begin, '\0', field.length)) return false;
    std::memcpy(out, field.begin, field.length);
    out[field.length] = '\0';
    return true;
}

// The kernel escapes blanks, tabs, newlines and backslashes in paths as \ooo.
void Unescape(char* text) {
    char* out = text;
    for (const char* in = text; *in;) {
        if (in[0] == '\\' && in[1] >= '0' && in[1] <= '3' && in[2] >= '0' && in[2] <= '7' &&
            in[3] >= '0' && in[3] <= '7') {
            char c = static_cast<char>((in[1] - '0') * 64 + (in[2] - '0') * 8 + (in[3] - '0'));
            if (c == '\0') break;
            *out++ = c;
            in += 4;
        } else {
            *out++ = *in++;
        }
    }
    *out = '\0';
}

bool IsOneOf(const char* name, const char* const* list) {
    for (; *list; ++list)
        if (std::strcmp(name, *list) == 0) return true;
    return false;
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// File systems that keep data on a device, a server or a host.
const char* const kStorage[] = {
    // local block devices
    "ext2", "ext3", "ext4", "xfs", "btrfs", "bcachefs", "f2fs", "zfs", "jfs", "reiserfs", "nilfs2",
    "vfat", "msdos", "exfat", "ntfs", "ntfs3", "hfs", "hfsplus", "apfs", "ufs", "udf", "fuseblk",
    "fuse",
    // network and cluster
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ceph", "lustre", "gpfs", "beegfs", "ocfs2", "gfs2",
    "glusterfs", "orangefs", "afs",
    // a virtual machine's host folders; WSL1's root (lxfs, wslfs) and Windows drives (drvfs)
    "9p", "virtiofs", "vboxsf", "vmhgfs", "prl_fs", "drvfs", "lxfs", "wslfs", nullptr};

// FUSE file systems that show a read-only image or a view of other places, not storage.
const char* const kFuseViews[] = {"fuse.gvfsd-fuse",
                                  "fuse.portal",
                                  "fuse.lxcfs",
                                  "fuse.snapfuse",
                                  "fuse.squashfuse",
                                  "fuse.squashfuse_ll",
                                  "fuse.fuse-overlayfs",
                                  "fuse.kio-fuse",
                                  "fuse.xdg-document-portal",
                                  nullptr};

bool IsOptical(const char* fsType, const char* source) {
    if (std::strcmp(fsType, "iso9660") == 0) return true;
    // UDF is also written to hard disks and USB sticks; on an optical drive it is a disc.
    return std::strcmp(fsType, "udf") == 0 &&
           (StartsWith(source, "/dev/sr") || StartsWith(source, "/dev/scd") ||
            StartsWith(source, "/dev/cdrom"));
}

bool StoresData(const char* fsType, const char* source, const char* mountPoint) {
    if (IsOptical(fsType, source)) return false;
    bool root = std::strcmp(mountPoint, "/") == 0;
    // A container's or live system's root is an overlay, and its one place to write;
    // other overlays are container layers.
    if (std::strcmp(fsType, "overlay") == 0 || std::strcmp(fsType, "fuse.fuse-overlayfs") == 0)
        return root;
    if (StartsWith(fsType, "fuse.")) return !IsOneOf(fsType, kFuseViews);
    return IsOneOf(fsType, kStorage);
}

// The system's own trees, the single files container runtimes bind into /etc, the
// layers of container storage and WSL's plumbing; removable media live under /run/media.
bool IsSystemPlace(const char* mountPoint) {
    if (StartsWith(mountPoint, "/run/media/")) return false;
    const char* const kPrefixes[] = {"/etc/",
                                     "/proc/",
                                     "/sys/",
                                     "/dev/",
                                     "/run/",
                                     "/var/lib/docker/",
                                     "/var/lib/containers/",
                                     "/var/lib/kubelet/",
                                     "/usr/lib/wsl/",
                                     "/mnt/wslg/"};
    for (const char* prefix : kPrefixes)
        if (StartsWith(mountPoint, prefix)) return true;
    return false;
}

struct Mount {
    char device[24];  // the file system's major:minor
    char mountPoint[kMaxMountPointLength + 1];
    char fsType[48];
    bool wholeFileSystem;  // the file system's own root is mounted here, not a part of it
};

// Splits on blanks; `dash` receives the index of the "-" that ends the optional fields.
int SplitFields(const char* line, size_t length, Field* fields, int* dash) {
    int n = 0;
    *dash = -1;
    for (size_t i = 0; i < length && n < kMaxFields;) {
        while (i < length && line[i] == ' ') ++i;
        size_t j = i;
        while (j < length && line[j] != ' ') ++j;
        if (j > i) {
            fields[n] = {line + i, j - i};
            if (*dash < 0 && n >= 6 && FieldIs(fields[n], "-")) *dash = n;
            ++n;
        }
        i = j;
    }
    return n;
}

// One line "id parent major:minor root mountpoint options [optional...] - type source ...".
bool ParseLine(const char* line, size_t length, Mount* mount) {
    Field fields[kMaxFields];
    int dash = -1;
    int n = SplitFields(line, length, fields, &dash);
    if (dash < 6 || dash + 2 >= n) return false;
    char source[256];
    char escaped[4 * kMaxMountPointLength + 1];
    if (!CopyField(fields[2], mount->device, sizeof mount->device) ||
        !CopyField(fields[dash + 1], mount->fsType, sizeof mount->fsType) ||
        !CopyField(fields[4], escaped, sizeof escaped))
        return false;
    if (!CopyField(fields[dash + 2], source, sizeof source)) source[0] = '\0';
    Unescape(escaped);
    if (escaped[0] != '/' || std::strlen(escaped) > kMaxMountPointLength) return false;
    std::strcpy(mount->mountPoint, escaped);
    mount->wholeFileSystem = FieldIs(fields[3], "/");
    return StoresData(mount->fsType, source, mount->mountPoint) &&
           !IsSystemPlace(mount->mountPoint);
}

// Which mount of a file system shows it: "/", else its own root, else the first.
int Rank(const Mount& mount) {
    if (std::strcmp(mount.mountPoint, "/") == 0) return 2;
    return mount.wholeFileSystem ? 1 : 0;
}

}  // namespace

void ParseMountinfo(const char* text, size_t length, MountCallback keep, void* context) {
    // No cap on the entries: a drive mounted after thousands of bind mounts (a container
    // host) is a drive all the same. Maps keep the passes linear.
    std::vector<Mount> mounts;
    std::unordered_map<std::string, size_t> byPlace;
    const char* end = text + length;
    for (const char* at = text; at < end;) {
        const char* stop =
            static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        if (!stop) stop = end;
        Mount mount;
        bool stores = ParseLine(at, static_cast<size_t>(stop - at), &mount);
        at = stop < end ? stop + 1 : end;
        if (!stores) continue;
        // A later mount on the same place hides the earlier one.
        auto placed = byPlace.emplace(mount.mountPoint, mounts.size());
        if (placed.second)
            mounts.push_back(mount);
        else
            mounts[placed.first->second] = mount;
    }
    // Each file system once, at its best-ranked place; the first of equal rank.
    std::unordered_map<std::string, size_t> best;
    for (size_t i = 0; i < mounts.size(); ++i) {
        auto found = best.emplace(mounts[i].device, i);
        if (!found.second && Rank(mounts[i]) > Rank(mounts[found.first->second]))
            found.first->second = i;
    }
    for (size_t i = 0; i < mounts.size(); ++i)
        if (best[mounts[i].device] == i) keep(mounts[i].mountPoint, mounts[i].fsType, context);
}
