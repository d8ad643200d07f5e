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
    static std::string Content(const std::string& path) { return ReadLinuxFile(path.c_str()); }
};

bool InMemory(const std::string& path) {
    struct statfs fs;
    return statfs(path.c_str(), &fs) == 0 && fs.f_type == 0x01021994;  // tmpfs
}

TEST(FileSystemKindTest, MemoryAndKernelFileSystemsAreNamedAndDisksPass) {
    const struct {
        uint32_t magic;
        FileSystemKind kind;
        const char* name;
    } named[] = {
        {0x01021994, FileSystemKind::kInMemory, "tmpfs"},  // also what devtmpfs reports
        {0x858458f6, FileSystemKind::kInMemory, "ramfs"},
        {0x9fa0, FileSystemKind::kKernel, "proc"},
    };
    for (const auto& c : named) {
        const char* name = "unset";
        EXPECT_EQ(ClassifyFileSystem(c.magic, &name), c.kind) << c.name;
        EXPECT_STREQ(name, c.name);
    }
    // On a device, the network or through FUSE (ext4, nfs, fuse, overlay), or unknown: measured.
    for (uint32_t magic : {0xef53u, 0x6969u, 0x65735546u, 0x794c7630u, 0u}) {
        const char* name = "unset";
        EXPECT_EQ(ClassifyFileSystem(magic, &name), FileSystemKind::kStorage) << std::hex << magic;
        EXPECT_EQ(name, nullptr) << std::hex << magic;
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
    char link[64], target[4096] = "";
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", static_cast<int>(file));
    EXPECT_GT(readlink(link, target, sizeof target - 1), 0);
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
    EXPECT_EQ(Content(Named(7)), "theirs");
    ASSERT_EQ(symlink(victim.c_str(), Named(8).c_str()), 0);
    EXPECT_EQ(OpenNamedTemporaryFile(held, 8, false, &error), -1);
    EXPECT_EQ(Content(victim), "keep me");
    EXPECT_EQ(Listing().size(), 3u);
    close(held);
}

TEST_F(DiskOpsTest, ANameStillHeldGoesWithEveryEndingSignal) {
    const int signals[] = {SIGTERM, SIGINT,  SIGHUP,  SIGQUIT, SIGABRT, SIGUSR1,
                           SIGUSR2, SIGPIPE, SIGALRM, SIGXFSZ, SIGPROF, SIGRTMIN + 3};
    for (int signal : signals) {
        const std::string where = directory;
        pid_t child = StartChild([&where, signal] {
            ::signal(signal, SIG_DFL);  // as a fresh process has it, whatever the test runner set
            RemoveTemporaryFileOnSignals();
            int e = 0;
            const int held = open(where.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            return OpenNamedTemporaryFile(held, 9, true, &e) >= 0 || e == kNoDirectIo;
        });
        ASSERT_GT(child, 0) << strsignal(signal);
        if (Listing().empty()) {
            EndChild(child, SIGKILL);
            GTEST_SKIP() << "this file system refuses O_DIRECT";
        }
        EXPECT_EQ(Listing(), std::vector<std::string>{"9.bin"}) << strsignal(signal);
        EXPECT_EQ(EndChild(child, signal), signal) << "the default action still ends it";
        EXPECT_TRUE(Listing().empty()) << strsignal(signal) << " left " << Listing().front();
    }
}

TEST_F(DiskOpsTest, TheHandlerLeavesAnotherFileUnderOurNameAlone) {
    // The benchmark closed its file before the signal came, or someone replaced the name
    // while the file was open: either way the file now under the name is someone else's.
    for (bool closedFirst : {true, false}) {
        const std::string where = directory;
        pid_t child = StartChild([&where, closedFirst] {
            RemoveTemporaryFileOnSignals();
            int e = 0;
            int fd = OpenNamedTemporaryFile(open(where.c_str(), O_PATH | O_DIRECTORY), 9, true, &e);
            if (fd >= 0 && closedFirst) CloseTemporaryFile(fd);
            return fd >= 0;
        });
        if (child < 0) GTEST_SKIP() << "this file system refuses O_DIRECT";
        const std::string theirs = directory + "/theirs";
        std::ofstream(theirs) << "theirs";
        ASSERT_EQ(rename(theirs.c_str(), Named(9).c_str()), 0);
        EXPECT_EQ(EndChild(child, SIGTERM), SIGTERM);
        EXPECT_EQ(Content(Named(9)), "theirs") << (closedFirst ? "closed first" : "replaced");
        unlink(Named(9).c_str());
    }
}

// A disk's directory is taken as it is; where the user may not write on the drive, the file
// goes to $HOME on the same file system (scripts/fault-runs.sh: only as root, on a loop mount).
TEST_F(DiskOpsTest, AnUnwritableDriveIsWrittenInHomeOnTheSameDisk) {
    if (InMemory(directory)) GTEST_SKIP() << "the scratch directory is in memory";
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
    EXPECT_FALSE(ops.FreeBytes("/no/such/mount", &freeBytes));
    EXPECT_FALSE(ops.FreeBytes("", &freeBytes));
    char out[kDiskPathSize];
    EXPECT_FALSE(ops.ChooseDirectory("", out, sizeof out)) << "an empty drive text names nothing";
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_STREQ(text, "No space left on device");
    ops.ErrorText(ops.DiskFullCode(), text, 8);
    EXPECT_EQ(std::string(text).size(), 7u);
}

}  // namespace
