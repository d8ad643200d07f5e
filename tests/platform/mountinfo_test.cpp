#include "platform/linux/mountinfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/system_root.h"
#include "sysinfo/system_summary.h"

namespace {

std::string Fixture(const std::string& name) {
    std::ifstream file(std::string(KELVANE_TEST_DATA_DIR) + "/linux/mountinfo/" + name,
                       std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Kept(const std::string& text) {
    std::vector<std::string> kept;
    ParseMountinfo(
        text.data(), text.size(),
        [](const char* mountPoint, const char*, void* context) {
            static_cast<std::vector<std::string>*>(context)->push_back(mountPoint);
        },
        &kept);
    return kept;
}

TEST(MountinfoTest, DrivesOfEachFamily) {
    const struct {
        const char* file;
        std::vector<std::string> kept;
    } cases[] = {
        // proc, sysfs, devtmpfs, tmpfs, other overlays, squashfs, autofs and the DVD are
        // left out, and so is the bind of /projects of the disk mounted at "/mnt/My Data".
        {"ext4-desktop.txt", {"/", "/boot/efi", "/mnt/My Data", "/mnt/tab\tand\\slash"}},
        // The container's overlay root, and a volume bound from the host's disk; not the
        // files bound into /etc.
        {"docker-container.txt", {"/", "/srv/data"}},
        // hugetlbfs, rpc_pipefs, tmpfs and ramfs are not drives.
        {"xfs-server.txt", {"/", "/boot", "/home"}},
        // Subvolumes share one file system: "/" shows it. USB disks under /run/media are
        // drives (vfat, exfat, ntfs3, fuseblk, udf on a disk); discs are not, UDF or ISO.
        {"btrfs-fedora.txt",
         {"/", "/boot", "/boot/efi", "/run/media/anna/3A1B-2C4D", "/run/media/anna/Backup",
          "/run/media/anna/Windows", "/run/media/anna/Old Disk", "/run/media/anna/Archive"}},
        // Network, cluster, FUSE and shared folders; a second mount of the same NFS
        // superblock is left out, another superblock of the same export is not.
        {"network.txt",
         {"/", "/mnt/nfs3", "/mnt/nfs4", "/mnt/cifs", "/mnt/smb3", "/mnt/cephfs", "/mnt/gluster",
          "/lustre", "/media/sf_shared", "/home/anna/remote", "/mnt/pool", "/home/anna/gdrive",
          "/mnt/nfs4-again"}},
        // WSL1: the root on lxfs and the Windows drives on drvfs.
        {"wsl1.txt", {"/", "/mnt/c", "/mnt/d"}},
        // WSL2: the ext4 root once (not again under /mnt/wslg), the Windows drives over
        // 9p, not WSL's driver store or library overlays.
        {"wsl2.txt", {"/", "/mnt/c", "/mnt/e"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Kept(Fixture(c.file)), c.kept) << c.file;
}

TEST(MountinfoTest, OneEntryPerPlaceAndPerFileSystem) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> kept;
    } cases[] = {
        {"a later mount on the same place hides the earlier",
         "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 / /data rw - ext4 /dev/sdb1 rw\n"
         "3 1 8:33 / /data rw - xfs /dev/sdc1 rw\n",
         {"/", "/data"}},
        {"a bind of part of a file system before its own mount",
         "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 /photos /home/a/photos rw - ext4 /dev/sdb1 "
         "rw\n"
         "3 1 8:17 / /mnt/disk rw - ext4 /dev/sdb1 rw\n",
         {"/", "/mnt/disk"}},
        {"only binds of a file system: the first",
         "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 /a /srv/a rw - ext4 /dev/sdb1 rw\n"
         "3 1 8:17 /b /srv/b rw - ext4 /dev/sdb1 rw\n",
         {"/", "/srv/a"}},
        {"a mount point too long for the list is left out, not cut",
         "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 / /" + std::string(259, 'x') +
             " rw - ext4 /dev/sdb1 rw\n"
             "3 1 8:33 / /" +
             std::string(258, 'y') + " rw - ext4 /dev/sdc1 rw\n",
         {"/", "/" + std::string(258, 'y')}},
        {"no root listed", "2 1 8:17 / /data rw - ext4 /dev/sdb1 rw\n", {"/data"}},
        {"lines without their separator or type",
         "1 0 8:1 / / rw ext4 /dev/sda1\n2 1 8:2 / /x rw -\n",
         {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Kept(c.text), c.kept) << c.name;
}

// A ZFS system: every dataset is its own file system (its own device number and free
// space), so each is a drive; the layers a container engine keeps as datasets are not.
std::string ZfsMountinfo(int datasets, bool rootLast) {
    std::string text;
    auto add = [&](int id, const std::string& mountPoint, const std::string& source) {
        text += std::to_string(id) + " 1 0:" + std::to_string(id) + " / " + mountPoint +
                " rw,relatime shared:" + std::to_string(id) + " - zfs " + source +
                " rw,xattr,posixacl\n";
    };
    if (!rootLast) add(30, "/", "rpool/ROOT/debian");
    for (int i = 0; i < datasets; ++i) {
        add(100 + 2 * i, "/tank/media/set" + std::to_string(i),
            "tank/media/set" + std::to_string(i));
        add(101 + 2 * i, "/var/lib/docker/zfs/graph/" + std::to_string(i),
            "rpool/docker/" + std::to_string(i));
    }
    if (rootLast) add(30, "/", "rpool/ROOT/debian");
    return text;
}

TEST(MountinfoTest, ManyZfsDatasets) {
    std::vector<std::string> kept = Kept(ZfsMountinfo(100, false));
    ASSERT_EQ(kept.size(), 101u);
    EXPECT_EQ(kept[0], "/");
    EXPECT_EQ(kept[100], "/tank/media/set99");
    // More than the parser holds: the first 255 and "/", wherever it stands.
    kept = Kept(ZfsMountinfo(400, true));
    ASSERT_EQ(kept.size(), 256u);
    EXPECT_EQ(kept[254], "/tank/media/set254");
    EXPECT_EQ(kept[255], "/");
}

class DriveTreeTest : public ::testing::Test {
  protected:
    void TearDown() override { SetSystemRoot(""); }
};

// The list itself holds 64: the first 63 and "/" even when it comes last.
TEST_F(DriveTreeTest, DriveListBoundKeepsTheRoot) {
    char directory[] = "/tmp/kelvane-mountinfo-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    std::string base(directory);
    ASSERT_EQ(system(("mkdir -p " + base + "/proc/self").c_str()), 0);
    for (bool rootLast : {false, true}) {
        std::ofstream(base + "/proc/self/mountinfo") << ZfsMountinfo(100, rootLast);
        ASSERT_TRUE(SetSystemRoot(directory));
        std::vector<DriveEntry> entries(kMaxDrives + 1);
        int count = SystemDrives().ListDrives(entries.data(), kMaxDrives);
        ASSERT_EQ(count, kMaxDrives);
        EXPECT_STREQ(entries[rootLast ? count - 1 : 0].name, "/");
        EXPECT_STREQ(entries[rootLast ? 0 : 1].name, "/tank/media/set0");
    }
    std::remove((base + "/proc/self/mountinfo").c_str());
    ASSERT_EQ(system(("rmdir " + base + "/proc/self " + base + "/proc " + base).c_str()), 0);
}

// Truncated and binary input ends, stays in its buffers (the sanitizer build checks),
// and passes only absolute, terminated mount points of bounded length.
TEST(MountinfoTest, TruncatedAndBinaryInput) {
    std::vector<std::string> inputs;
    for (const char* file : {"ext4-desktop.txt", "network.txt", "wsl2.txt"}) {
        std::string text = Fixture(file);
        for (size_t cut = 0; cut < text.size(); cut += 7) inputs.push_back(text.substr(0, cut));
    }
    inputs.push_back("1 2 3:4 / /" + std::string(5000, '\\') + " rw - ext4 y\n");
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(static_cast<size_t>(random() % 600), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() % 3 == 0 ? "\n -/\\0"[random() % 6] : random());
        inputs.push_back(bytes);
    }
    for (const std::string& input : inputs) {
        std::vector<char> exact(input.begin(), input.end());
        ParseMountinfo(
            exact.empty() ? "" : exact.data(), exact.size(),
            [](const char* mountPoint, const char*, void*) {
                EXPECT_LE(std::strlen(mountPoint), kMaxMountPointLength);
                EXPECT_EQ(mountPoint[0], '/');
            },
            nullptr);
    }
}

}  // namespace
