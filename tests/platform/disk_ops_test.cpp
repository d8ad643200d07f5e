// The real Linux disk operations: which drives are refused and with what text, where the
// file is written, and that it never shows in the directory.
#include "platform/disk_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "scratch_directory.h"

namespace {

class DiskOpsTest : public ScratchDirectory {};

bool FileSystemIs(const char* path, long magic) {
    struct statfs fs;
    return statfs(path, &fs) == 0 && fs.f_type == magic;
}

TEST_F(DiskOpsTest, DrivesThatAreNoDiskAreRefusedByName) {
    std::ofstream(directory + "/notes.txt") << "notes";
    const std::string file = directory + "/notes.txt";
    const std::string missing = directory + "/missing";
    const struct {
        std::string drive;
        bool applies;  // this machine has it as assumed
        std::string text;
    } cases[] = {
        {"/dev/shm", FileSystemIs("/dev/shm", 0x01021994),
         "/dev/shm keeps its data in memory (tmpfs): it is not a disk."},
        {"/proc", FileSystemIs("/proc", 0x9fa0),
         "/proc is a kernel file system (proc), not a disk."},
        {"/sys", FileSystemIs("/sys", 0x62656572),
         "/sys is a kernel file system (sysfs), not a disk."},
        {file, true, file + " is not a directory."},
        {missing, true, missing + " does not exist."},
    };
    DiskOps& ops = SystemDiskOps();
    for (const auto& c : cases) {
        if (!c.applies) continue;
        char out[kDiskPathSize] = "untouched";
        EXPECT_FALSE(ops.ChooseDirectory(c.drive.c_str(), out, sizeof out)) << c.drive;
        char text[260];
        ops.ErrorText(ops.LastError(), text, sizeof text);
        EXPECT_EQ(std::string(text), c.text);
    }
    char out[kDiskPathSize];
    EXPECT_FALSE(ops.ChooseDirectory("", out, sizeof out)) << "an empty drive text names nothing";
    if (!FileSystemIs(directory.c_str(), 0x01021994)) {
        ASSERT_TRUE(ops.ChooseDirectory(directory.c_str(), out, sizeof out));
        EXPECT_EQ(std::string(out), directory);
    }
}

TEST_F(DiskOpsTest, TheFileIsNeverInTheDirectory) {
    DiskOps& ops = SystemDiskOps();
    intptr_t file = ops.CreateNew(directory.c_str(), 42);
    if (file == kNoFile) {
        char text[256];
        ops.ErrorText(ops.LastError(), text, sizeof text);
        GTEST_SKIP() << "this file system refuses unbuffered files: " << text;
    }
    void* buffer = ops.AllocateBuffer(1 << 20);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(ops.Write(file, buffer, 1 << 20), 1 << 20);
    EXPECT_TRUE(ops.Flush(file));
    EXPECT_TRUE(Listing().empty()) << "visible while written: " << Listing().front();
    char link[64], target[4096] = "";
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", static_cast<int>(file));
    EXPECT_GT(readlink(link, target, sizeof target - 1), 0);
    EXPECT_NE(std::strstr(target, "(deleted)"), nullptr) << target;
    ops.Close(file);
    ops.ReleaseBuffer(buffer, 1 << 20);
    EXPECT_TRUE(Listing().empty());
}

// Where the user may not write on the drive, the file goes to $HOME on the same file
// system, and the run says so; elsewhere the place stays the drive.
TEST_F(DiskOpsTest, AnUnwritableDriveIsWrittenInHomeOnTheSameDisk) {
    const std::string drive = directory + "/mount";
    const std::string home = directory + "/home";
    ASSERT_EQ(mkdir(drive.c_str(), 0555), 0);
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(chmod(directory.c_str(), 0755), 0);
    if (FileSystemIs(directory.c_str(), 0x01021994))
        GTEST_SKIP() << "the scratch directory is in memory";
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
    }
    int answer[2];
    ASSERT_EQ(pipe(answer), 0);
    pid_t pid = fork();
    if (pid == 0) {
        // Root may write anywhere: the check needs a user who may not.
        if (root && (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            _exit(2);
        setenv("HOME", home.c_str(), 1);
        char out[kDiskPathSize] = "";
        bool ok = SystemDiskOps().ChooseDirectory(drive.c_str(), out, sizeof out);
        std::string reply = (ok ? "ok " : "failed ") + std::string(out);
        _exit(write(answer[1], reply.data(), reply.size()) > 0 ? 0 : 1);
    }
    close(answer[1]);
    char reply[2 * kDiskPathSize] = "";
    ssize_t n = read(answer[0], reply, sizeof reply - 1);
    close(answer[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_GT(n, 0) << "child status " << status;
    EXPECT_EQ(std::string(reply, n), "ok " + home);
}

TEST_F(DiskOpsTest, FreeSpaceAndErrorTexts) {
    DiskOps& ops = SystemDiskOps();
    uint64_t freeBytes = 0;
    EXPECT_TRUE(ops.FreeBytes(directory.c_str(), &freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_FALSE(ops.FreeBytes("/no/such/mount", &freeBytes));
    EXPECT_FALSE(ops.FreeBytes("", &freeBytes));
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_STREQ(text, "No space left on device");
    ops.ErrorText(ops.OutOfMemoryCode(), text, 8);
    EXPECT_EQ(std::string(text).size(), 7u);
}

}  // namespace
