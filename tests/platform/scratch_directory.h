// What the Linux source tests share: machine trees and fixture files of the test data, a
// scratch directory and what it lists, and child processes that hold a file while the
// test signals them.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/linux_file.h"
#include "platform/system_root.h"

inline std::string TestData(const std::string& path) {
    return ReadLinuxFile((std::string(KELVANE_TEST_DATA_DIR) + "/" + path).c_str());
}

// The machine tree under the test data stands for this machine while it lives.
struct TreeRoot {
    explicit TreeRoot(const std::string& tree) {
        // A root that is not a folder is refused and would leave this machine's in place.
        EXPECT_TRUE(SetSystemRoot((std::string(KELVANE_TEST_DATA_DIR) + "/" + tree).c_str()))
            << tree;
    }
    ~TreeRoot() { SetSystemRoot(""); }
};

class ScratchDirectory : public ::testing::Test {
  protected:
    std::string directory;
    void SetUp() override {
        char pattern[] = "/tmp/kelvane-disk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override {
        SetSystemRoot("");
        std::system(("rm -rf '" + directory + "'").c_str());
    }
    // Writes `text` to `path` under the directory, making the folders on the way.
    void Write(const std::string& path, const std::string& text) const {
        std::system(("mkdir -p '" + directory + path.substr(0, path.rfind('/')) + "'").c_str());
        std::ofstream(directory + path, std::ios::binary) << text;
    }

    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(directory.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

    // Runs `body` in a child that then waits to be signalled; -1 when `body` failed.
    template <typename Body>
    static pid_t StartChild(Body body) {
        int ready[2];
        if (pipe(ready) != 0) return -1;
        pid_t pid = fork();
        if (pid == 0) {
            close(ready[0]);
            struct rlimit noCore = {0, 0};  // SIGQUIT and SIGABRT would write one
            setrlimit(RLIMIT_CORE, &noCore);
            char ok = body() ? 1 : 0;
            if (write(ready[1], &ok, 1) != 1) _exit(3);
            alarm(10);  // ends a child that its signal did not end, so no test waits forever
            for (;;) pause();
        }
        close(ready[1]);
        char ok = 0;
        bool started = pid > 0 && read(ready[0], &ok, 1) == 1 && ok;
        close(ready[0]);
        if (!started && pid > 0) EndChild(pid, SIGKILL);
        return started ? pid : -1;
    }

    // Sends `signal` and returns the signal that ended the child (-1: it exited).
    static int EndChild(pid_t pid, int signal) {
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
};
