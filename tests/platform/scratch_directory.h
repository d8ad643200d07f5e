// A scratch directory for the real disk operations, what it lists, and child processes
// that hold a file while the test signals them.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

class ScratchDirectory : public ::testing::Test {
  protected:
    std::string directory;
    void SetUp() override {
        char pattern[] = "/tmp/kelvane-disk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + directory + "'").c_str()); }

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
            for (;;) pause();
        }
        close(ready[1]);
        char ok = 0;
        bool started = pid > 0 && read(ready[0], &ok, 1) == 1 && ok;
        close(ready[0]);
        if (!started && pid > 0) EndChild(pid, SIGKILL);
        return started ? pid : -1;
    }

    // Sends `signal` and returns the signal that ended the child (0: it did not end in 5 s).
    static int EndChild(pid_t pid, int signal) {
        kill(pid, signal);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
            usleep(10000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 0;
    }
};
