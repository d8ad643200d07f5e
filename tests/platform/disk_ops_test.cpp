// The real disk operations in a scratch directory: exclusive creation, nothing followed
// or overwritten, nothing left.
#include "platform/disk_ops.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class DiskOpsTest : public ::testing::Test {
protected:
    std::string directory;
    void SetUp() override {
        char pattern[] = "/tmp/kelvane-disk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + directory + "'").c_str()); }
};

TEST_F(DiskOpsTest, CreatesExclusivelyAndNeverFollowsOrOverwrites) {
    DiskOps& ops = SystemDiskOps();
    char path[4096];
    ASSERT_TRUE(ops.TemporaryPath(directory.c_str(), 42, path, sizeof path));
    EXPECT_EQ(std::string(path), directory + "/42.bin");

    intptr_t file = ops.CreateNew(path);
    if (file == kNoFile && ops.LastError() != ops.FileExistsCode()) {
        char text[256];
        ops.ErrorText(ops.LastError(), text, sizeof text);
        GTEST_SKIP() << "this file system refuses unbuffered files: " << text;
    }
    ASSERT_NE(file, kNoFile);
    struct stat st;
    ASSERT_EQ(stat(path, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "only the user may read it";
    EXPECT_EQ(ops.CreateNew(path), kNoFile) << "an existing file is never opened";
    EXPECT_EQ(ops.LastError(), ops.FileExistsCode());
    ops.Close(file);
    ops.Remove(path);
    EXPECT_NE(access(path, F_OK), 0);

    // Somebody else's file, and a link planted under the name: both left as they are.
    std::string victim = directory + "/victim.txt";
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(symlink(victim.c_str(), path), 0);
    EXPECT_EQ(ops.CreateNew(path), kNoFile);
    std::ifstream kept(victim);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "keep me");
}

TEST_F(DiskOpsTest, FreeSpaceAndErrorTexts) {
    DiskOps& ops = SystemDiskOps();
    uint64_t freeBytes = 0;
    EXPECT_TRUE(ops.FreeBytes(directory.c_str(), &freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_FALSE(ops.FreeBytes("/no/such/mount", &freeBytes));
    EXPECT_FALSE(ops.FreeBytes("", &freeBytes)) << "an empty drive text names nothing";
    char text[256];
    ops.ErrorText(ops.DiskFullCode(), text, sizeof text);
    EXPECT_STREQ(text, "No space left on device");
    ops.ErrorText(ops.OutOfMemoryCode(), text, 8);
    EXPECT_EQ(std::string(text).size(), 7u);
}

}  // namespace
