// The disk benchmark's file on a real file system: without a name while it is written, and
// where it must have one, exclusive, unlinked at once, and removed on every ending signal.
#include "platform/linux/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "scratch_directory.h"

namespace {

class TemporaryFileTest : public ScratchDirectory {
  protected:
    std::string Named(uint32_t number) const {
        return directory + "/" + std::to_string(number) + ".bin";
    }
    static std::string Content(const std::string& path) {
        std::ifstream in(path);
        std::string text;
        std::getline(in, text);
        return text;
    }
    void SkipWithoutDirectIo(int error) {
        if (error == kNoDirectIo) GTEST_SKIP() << "this file system refuses O_DIRECT";
    }
};

TEST_F(TemporaryFileTest, TheFileNeverHasANameEvenWhenKilled) {
    int error = 0;
    int probe = OpenTemporaryFile(directory.c_str(), 42, &error);
    SkipWithoutDirectIo(error);
    ASSERT_GE(probe, 0) << std::strerror(error);
    EXPECT_NE(fcntl(probe, F_GETFL) & O_DIRECT, 0) << "the writes bypass the cache";
    CloseTemporaryFile(probe);

    // A child writes 1 MiB and waits; the directory shows nothing, and SIGKILL, which no
    // handler sees, leaves nothing either.
    const std::string where = directory;
    pid_t child = StartChild([&where] {
        int e = 0;
        int fd = OpenTemporaryFile(where.c_str(), 42, &e);
        void* block = nullptr;
        if (fd < 0 || posix_memalign(&block, 4096, 1 << 20) != 0) return false;
        std::memset(block, 7, 1 << 20);
        return write(fd, block, 1 << 20) == (1 << 20) && fsync(fd) == 0;
    });
    ASSERT_GT(child, 0);
    EXPECT_TRUE(Listing().empty()) << "the file is visible while written: " << Listing().front();
    EXPECT_EQ(EndChild(child, SIGKILL), SIGKILL);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(TemporaryFileTest, NamedFallbackIsExclusiveAndUnlinkedAtOnce) {
    int error = 0;
    int fd = OpenNamedTemporaryFile(directory.c_str(), 7, false, &error);
    SkipWithoutDirectIo(error);
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
    EXPECT_EQ(OpenNamedTemporaryFile(directory.c_str(), 7, false, &error), -1);
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(Content(Named(7)), "theirs");
    ASSERT_EQ(symlink(victim.c_str(), Named(8).c_str()), 0);
    EXPECT_EQ(OpenTemporaryFile((directory + "/8.bin").c_str(), 8, &error), -1)
        << "not a directory";
    EXPECT_EQ(OpenNamedTemporaryFile(directory.c_str(), 8, false, &error), -1);
    EXPECT_EQ(Content(victim), "keep me");
    EXPECT_EQ(Listing().size(), 3u);
}

TEST_F(TemporaryFileTest, ANameStillHeldGoesWithEveryEndingSignal) {
    const int signals[] = {SIGTERM, SIGINT,  SIGHUP,  SIGQUIT, SIGABRT, SIGUSR1,
                           SIGUSR2, SIGPIPE, SIGALRM, SIGXFSZ, SIGPROF, SIGRTMIN + 3};
    for (int signal : signals) {
        const std::string where = directory;
        pid_t child = StartChild([&where, signal] {
            ::signal(signal, SIG_DFL);  // as a fresh process has it, whatever the test runner set
            RemoveTemporaryFileOnSignals();
            int e = 0;
            return OpenNamedTemporaryFile(where.c_str(), 9, true, &e) >= 0 || e == kNoDirectIo;
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

TEST_F(TemporaryFileTest, TheHandlerLeavesAnotherFileUnderOurNameAlone) {
    // The benchmark closed its file before the signal came, or someone replaced the name
    // while the file was open: either way the file now under the name is someone else's.
    for (bool closedFirst : {true, false}) {
        const std::string where = directory;
        pid_t child = StartChild([&where, closedFirst] {
            RemoveTemporaryFileOnSignals();
            int e = 0;
            int fd = OpenNamedTemporaryFile(where.c_str(), 9, true, &e);
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

}  // namespace
