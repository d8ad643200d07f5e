// The drive list from /proc/self/mountinfo: which mounts are drives, once each, within
// the bounds. Truncated and binary input is the fuzzers' (tests/fuzz/proc_text_fuzzer.cpp).
#include "platform/linux/mountinfo.h"

#include <string>
#include <vector>

#include "platform/drives.h"
#include "scratch_directory.h"
#include "sysinfo/system_summary.h"

namespace {

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

// docker-container.txt, btrfs-fedora.txt (subvolumes, USB disks, discs) and wsl2.txt are
// the mountinfo of machine trees, whose drives tests/app/machine_trees.py checks.
TEST(MountinfoTest, DrivesOfEachFamily) {
    const struct {
        const char* file;
        std::vector<std::string> kept;
    } cases[] = {
        // proc, sysfs, devtmpfs, tmpfs, other overlays, squashfs, autofs and the DVD are
        // left out, and so is the bind of /projects of the disk mounted at "/mnt/My Data".
        {"ext4-desktop.txt", {"/", "/boot/efi", "/mnt/My Data", "/mnt/tab\tand\\slash"}},
        // hugetlbfs, rpc_pipefs, tmpfs and ramfs are not drives.
        {"xfs-server.txt", {"/", "/boot", "/home"}},
        // Network, cluster, FUSE and shared folders; a second mount of the same NFS
        // superblock is left out, another superblock of the same export is not.
        {"network.txt",
         {"/", "/mnt/nfs3", "/mnt/nfs4", "/mnt/cifs", "/mnt/smb3", "/mnt/cephfs", "/mnt/gluster",
          "/lustre", "/media/sf_shared", "/home/anna/remote", "/mnt/pool", "/home/anna/gdrive",
          "/mnt/nfs4-again"}},
        // WSL1: the root on lxfs and the Windows drives on drvfs.
        {"wsl1.txt", {"/", "/mnt/c", "/mnt/d"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Kept(TestData(std::string("linux/mountinfo/") + c.file)), c.kept) << c.file;
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
// The zfs-nas machine tree has 64 drives, "/" first.
std::string ZfsMountinfo(int datasets) {
    std::string text;
    auto add = [&](int id, const std::string& mountPoint, const std::string& source) {
        text += std::to_string(id) + " 1 0:" + std::to_string(id) + " / " + mountPoint +
                " rw,relatime shared:" + std::to_string(id) + " - zfs " + source +
                " rw,xattr,posixacl\n";
    };
    for (int i = 0; i < datasets; ++i) {
        add(100 + 2 * i, "/tank/media/set" + std::to_string(i),
            "tank/media/set" + std::to_string(i));
        add(101 + 2 * i, "/var/lib/docker/zfs/graph/" + std::to_string(i),
            "rpool/docker/" + std::to_string(i));
    }
    add(30, "/", "rpool/ROOT/debian");
    return text;
}

class DriveTreeTest : public ScratchDirectory {};

// The parser keeps every drive, the list holds 64: the first 63 and "/", though it comes last.
TEST_F(DriveTreeTest, DriveListBoundKeepsTheRoot) {
    const std::string text = ZfsMountinfo(400);
    std::vector<std::string> kept = Kept(text);
    ASSERT_EQ(kept.size(), 401u);
    EXPECT_EQ(kept[400], "/");
    Write("/proc/self/mountinfo", text);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));
    std::vector<DriveEntry> entries(kMaxDrives + 1);
    EXPECT_EQ(SystemDrives().ListDrives(entries.data(), kMaxDrives), 401) << "all are counted";
    EXPECT_STREQ(entries[0].name, "/tank/media/set0");
    EXPECT_STREQ(entries[kMaxDrives - 1].name, "/");
    EXPECT_STREQ(entries[kMaxDrives].name, "") << "nothing written beyond the room";
}

}  // namespace
