#include "platform/linux/read_file.h"

#include <sys/stat.h>

#include <string>

#include "scratch_directory.h"

namespace {

using SystemTreeTest = ScratchDirectory;

bool Noted(const std::string& text) {
    const char* noted[kUnreadableFilesKept];
    int count = UnreadableSystemFiles(noted, kUnreadableFilesKept);
    for (int i = 0; i < count && i < kUnreadableFilesKept; ++i)
        if (text == noted[i]) return true;
    return false;
}

// A tree is read as a whole machine, never as a way into this one: only regular files,
// nothing that blocks, no link out of the tree.
TEST_F(SystemTreeTest, OnlyRegularFilesInsideTheTreeAreRead) {
    Write("/usr/lib/os-release", "NAME=Tree\n");
    Write("/proc/version", "");
    ASSERT_EQ(mkfifo((directory + "/proc/cpuinfo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((directory + "/proc/meminfo").c_str(), 0700), 0);
    Write("/etc/placeholder", "");
    ASSERT_EQ(symlink("../usr/lib/os-release", (directory + "/etc/os-release").c_str()), 0);
    ASSERT_EQ(symlink("/etc/hostname", (directory + "/etc/hostname").c_str()), 0);
    ASSERT_EQ(symlink("../../../../../../../etc/passwd", (directory + "/etc/passwd").c_str()), 0);
    ASSERT_TRUE(SetSystemRoot(directory.c_str()));

    char text[256];
    EXPECT_EQ(ReadSmallFile("/etc/os-release", text, sizeof text), 10) << "a link inside";
    EXPECT_STREQ(text, "NAME=Tree\n");
    const struct {
        const char* path;
        const char* noted;  // nullptr: absent, no warning
    } refused[] = {
        {"/proc/cpuinfo", nullptr},  // a FIFO: would block for ever
        {"/proc/meminfo", nullptr},  // a directory
        {"/proc/stat", nullptr},     // absent
        {"/etc/hostname", "/etc/hostname: a link that leads outside the tree"},
        {"/etc/passwd", "/etc/passwd: a link that leads outside the tree"},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(ReadSmallFile(c.path, text, sizeof text), -1) << c.path;
        EXPECT_STREQ(text, "") << c.path;
        if (c.noted) {
            EXPECT_TRUE(Noted(c.noted)) << c.noted;
        }
    }
    EXPECT_FALSE(Noted("/proc/cpuinfo: No such device or address"));

    if (geteuid() == 0) return;  // root reads a file of mode 000
    ASSERT_EQ(chmod((directory + "/proc/version").c_str(), 0), 0);
    EXPECT_EQ(ReadSmallFile("/proc/version", text, sizeof text), -1);
    EXPECT_TRUE(Noted("/proc/version: Permission denied"));
}

}  // namespace
