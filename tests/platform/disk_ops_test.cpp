// The Linux disk benchmark's file and drives on a real file system: which file systems are
// no disk (the refusals' texts: scripts/fault-runs.sh), and the file: without a name while
// it is written, and where it must have one, exclusive, unlinked at once, and removed on
// every ending signal.
#include "platform/disk_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cstring>

#include "platform/linux/file_system_kind.h"
#include "platform/linux/temporary_file.h"
#include "scratch_directory.h"

namespace {

class DiskOpsTest : public ScratchDirectory {
  protected:
    std::string Named(uint32_t number) const {
        return directory + "/" + std::to_string(number) + ".bin";
    }
};

TEST(FileSystemKindTest, MemoryAndKernelFileSystemsAreNamedAndDisksPass) {
    const struct {
        uint32_t magic;
        FileSystemKind kind;
        const char* name;
    } cases[] = {
        {0x01021994, FileSystemKind::kInMemory, "tmpfs"},  // also what devtmpfs reports
        {0x858458f6, FileSystemKind::kInMemory, "ramfs"},
        {0x9fa0, FileSystemKind::kKernel, "proc"},
        // On a device, the network or through FUSE, unlike fusectl and nfsd: measured.
        {0xef53, FileSystemKind::kStorage, nullptr},      // ext4
        {0x6969, FileSystemKind::kStorage, nullptr},      // nfs
        {0x65735546, FileSystemKind::kStorage, nullptr},  // fuse
        {0x794c7630, FileSystemKind::kStorage, nullptr},  // overlay
    };
    for (const auto& c : cases) {
        const char* name = "unset";
        EXPECT_EQ(ClassifyFileSystem(c.magic, &name), c.kind) << std::hex << c.magic;
        EXPECT_STREQ(name, c.name) << std::hex << c.magic;
    }
}

TEST_F(DiskOpsTest, TheFileIsNeverInTheDirectory) {
    DiskOps& ops = SystemDiskOps();
    const intptr_t held = ops.OpenDirectory(directory.c_str());
    ASSERT_NE(held, kNoFile);
    intptr_t file = ops.CreateNew(held, 42);
    if (file == kNoFile && ops.LastError() == kNoDirectIo)
        GTEST_SKIP() << "this file system refuses O_DIRECT";
    ASSERT_NE(file, kNoFile) << std::strerror(static_cast<int>(ops.LastError()));
    EXPECT_TRUE(ops.StillOnDrive(held, file));
    EXPECT_NE(fcntl(static_cast<int>(file), F_GETFL) & O_DIRECT, 0)
        << "the writes bypass the cache";
    void* buffer = ops.AllocateBuffer(1 << 20);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(ops.Write(file, buffer, 1 << 20), 1 << 20);
    EXPECT_TRUE(ops.Flush(file));
    // No name while it is written: no ending, not even SIGKILL, which no handler sees, leaves
    // it behind.
    EXPECT_TRUE(Listing().empty()) << "visible while written: " << Listing().front();
    char target[4096] = "";
    const std::string link = "/proc/self/fd/" + std::to_string(file);
    EXPECT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_NE(std::strstr(target, "(deleted)"), nullptr) << target;
    ops.Close(file);
    ops.ReleaseBuffer(buffer, 1 << 20);
    ops.CloseDirectory(held);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(DiskOpsTest, NamedFallbackIsExclusiveAndUnlinkedAtOnce) {
    int error = 0;
    const int held = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    int fd = OpenNamedTemporaryFile(held, 7, false, &error);
    if (error == kNoDirectIo) GTEST_SKIP() << "this file system refuses O_DIRECT";
    ASSERT_GE(fd, 0) << std::strerror(error);
    EXPECT_TRUE(Listing().empty()) << "the name went as soon as the file was open";
    struct stat st;
    ASSERT_EQ(fstat(fd, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "only the user may read it";
    CloseTemporaryFile(fd);

    // Somebody else's file, and a link planted under the name: both left as they are.
    const std::string victim = directory + "/victim.txt";
    std::ofstream(victim) << "keep me";
    std::ofstream(Named(7)) << "theirs";
    EXPECT_EQ(OpenNamedTemporaryFile(held, 7, false, &error), -1);
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(ReadLinuxFile(Named(7).c_str()), "theirs");
    ASSERT_EQ(symlink(victim.c_str(), Named(8).c_str()), 0);
    EXPECT_EQ(OpenNamedTemporaryFile(held, 8, false, &error), -1);
    EXPECT_EQ(ReadLinuxFile(victim.c_str()), "keep me");
    EXPECT_EQ(Listing().size(), 3u);
    close(held);
}

// A name still held goes with every ending signal, whose default action still ends the
// process. The file under the name may be someone else's by then: the benchmark closed its
// file before the signal came, or someone replaced the name while the file was open.
TEST_F(DiskOpsTest, ANameStillHeldGoesWithEveryEndingSignalButNotAnotherFileUnderIt) {
    enum Ending { kHeld, kClosedFirst, kReplaced };
    std::vector<std::pair<int, Ending>> cases = {{SIGTERM, kClosedFirst}, {SIGTERM, kReplaced}};
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGPIPE,
                       SIGALRM, SIGXFSZ, SIGPROF, SIGRTMIN + 3})
        cases.push_back({signal, kHeld});
    for (const auto& [signal, ending] : cases) {
        const std::string where = directory, what = strsignal(signal) + std::to_string(ending);
        pid_t child = StartChild([&where, signal = signal, ending = ending] {
            ::signal(signal, SIG_DFL);  // as a fresh process has it, whatever the test runner set
            RemoveTemporaryFileOnSignals();
            int e = 0;
            const int held = open(where.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            const int fd = OpenNamedTemporaryFile(held, 9, true, &e);
            if (fd >= 0 && ending == kClosedFirst) CloseTemporaryFile(fd);
            return fd >= 0 || e == kNoDirectIo;
        });
        ASSERT_GT(child, 0) << what;
        if (ending == kHeld && Listing().empty()) {
            EndChild(child, SIGKILL);
            GTEST_SKIP() << "this file system refuses O_DIRECT";
        }
        if (ending != kHeld) {
            std::ofstream(where + "/theirs") << "theirs";
            ASSERT_EQ(rename((where + "/theirs").c_str(), Named(9).c_str()), 0);
        }
        EXPECT_EQ(EndChild(child, signal), signal) << what;
        EXPECT_EQ(ReadLinuxFile(Named(9).c_str()), ending == kHeld ? "" : "theirs") << what;
        EXPECT_EQ(Listing().size(), ending == kHeld ? 0u : 1u) << what;
        unlink(Named(9).c_str());
    }
}

// A disk's directory is taken as it is; where the user may not write on the drive, the file
// goes to $HOME on the same file system (scripts/fault-runs.sh: only as root, on a loop mount).
TEST_F(DiskOpsTest, AnUnwritableDriveIsWrittenInHomeOnTheSameDisk) {
    struct statfs fs;
    if (statfs(directory.c_str(), &fs) == 0 && fs.f_type == 0x01021994)
        GTEST_SKIP() << "the scratch directory is in tmpfs";
    char chosen[kDiskPathSize];
    ASSERT_TRUE(SystemDiskOps().ChooseDirectory(directory.c_str(), chosen, sizeof chosen));
    EXPECT_EQ(std::string(chosen), directory);
    const std::string drive = directory + "/mount", home = directory + "/home";
    ASSERT_EQ(mkdir(drive.c_str(), 0555), 0);
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(chmod(directory.c_str(), 0755), 0);
    // Root may write anywhere: the check needs a user who may not.
    const bool root = geteuid() == 0;
    ASSERT_TRUE(!root || chown(home.c_str(), 65534, 65534) == 0);
    pid_t child = StartChild([&] {
        if (root && (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            return false;
        setenv("HOME", home.c_str(), 1);
        char out[kDiskPathSize] = "";
        return SystemDiskOps().ChooseDirectory(drive.c_str(), out, sizeof out) && home == out;
    });
    EXPECT_GT(child, 0) << "the file is not written in " << home;
    if (child > 0) EndChild(child, SIGKILL);
}

TEST_F(DiskOpsTest, FreeSpaceAndErrorTexts) {
    DiskOps& ops = SystemDiskOps();
    uint64_t freeBytes = 0;
    EXPECT_TRUE(ops.FreeBytes(directory.c_str(), &freeBytes));
    EXPECT_GT(freeBytes, 0u);
    for (const char* none : {"/no/such/mount", ""}) EXPECT_FALSE(ops.FreeBytes(none, &freeBytes));
    char out[kDiskPathSize];
    EXPECT_FALSE(ops.ChooseDirectory("", out, sizeof out)) << "an empty drive text names nothing";
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_STREQ(text, "No space left on device");
    ops.ErrorText(ops.DiskFullCode(), text, 8);
    EXPECT_EQ(std::string(text).size(), 7u);
}

}  // namespace
