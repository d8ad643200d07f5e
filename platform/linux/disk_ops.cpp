#include "platform/disk_ops.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "text/bounded_copy.h"

namespace {

// Our own code for a file system that refuses O_DIRECT (tmpfs): errno says only EINVAL.
constexpr uint32_t kNoDirectIo = 0x10000 + EINVAL;

// The file the benchmark holds right now, for the interrupt handler (async-signal-safe:
// a fixed buffer and a flag, nothing allocated).
char s_activePath[4096];
volatile sig_atomic_t s_hasActivePath = 0;

void OnInterrupt(int signal) {
    if (s_hasActivePath) unlink(s_activePath);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

bool SameFileSystem(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev;
}

bool WritableDirectory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, W_OK | X_OK) == 0;
}

class LinuxDiskOps final : public DiskOps {
public:
    bool FreeBytes(const char* drive, uint64_t* freeBytes) override {
        struct statvfs fs;
        if (!drive || !*drive || statvfs(drive, &fs) != 0) return Fail(drive && *drive ? errno : ENOENT);
        *freeBytes = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
        return true;
    }

    bool TemporaryPath(const char* drive, uint32_t number, char* out, size_t capacity) override {
        if (!drive || !*drive) return Fail(ENOENT);
        const char* directory = drive;
        if (!WritableDirectory(drive)) {
            // The mount point itself is often root's: write where the user may, on the same disk.
            const char* candidates[] = {std::getenv("HOME"), std::getenv("TMPDIR"), "/tmp"};
            for (const char* candidate : candidates) {
                if (candidate && *candidate && WritableDirectory(candidate) && SameFileSystem(candidate, drive)) {
                    directory = candidate;
                    break;
                }
            }
        }
        size_t length = std::strlen(directory);
        const char* slash = length && directory[length - 1] == '/' ? "" : "/";
        int written = std::snprintf(out, capacity, "%s%s%lu.bin", directory, slash, static_cast<unsigned long>(number));
        return written > 0 && static_cast<size_t>(written) < capacity ? true : Fail(ENAMETOOLONG);
    }

    intptr_t CreateNew(const char* path) override {
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_DIRECT | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EINVAL) {
            // Tell a file system without O_DIRECT from other trouble; leave nothing behind.
            int plain = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (plain >= 0) {
                close(plain);
                unlink(path);
                error_ = kNoDirectIo;
                return kNoFile;
            }
            errno = EINVAL;
        }
        if (fd < 0) {
            Fail(errno);
            return kNoFile;
        }
        CopyBounded(s_activePath, path, sizeof s_activePath);
        s_hasActivePath = 1;
        return fd;
    }

    int64_t Write(intptr_t file, const void* data, uint32_t bytes) override {
        ssize_t n;
        do {
            n = write(static_cast<int>(file), data, bytes);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            Fail(errno);
            return -1;
        }
        if (static_cast<uint32_t>(n) < bytes) Fail(ENOSPC);  // a short write: the disk filled up
        return n;
    }

    bool Flush(intptr_t file) override { return fsync(static_cast<int>(file)) == 0 ? true : Fail(errno); }

    void Close(intptr_t file) override { close(static_cast<int>(file)); }

    void Remove(const char* path) override {
        unlink(path);
        s_hasActivePath = 0;
    }

    void* AllocateBuffer(size_t bytes) override {
        void* buffer = nullptr;
        if (posix_memalign(&buffer, 4096, bytes) != 0) {
            Fail(ENOMEM);
            return nullptr;
        }
        std::memset(buffer, 0, bytes);
        return buffer;
    }

    void ReleaseBuffer(void* buffer, size_t) override { std::free(buffer); }

    void Pause(uint32_t milliseconds) override {
        if (milliseconds == 0) {
            sched_yield();
            return;
        }
        struct timespec wait = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }

    uint32_t LastError() override { return error_; }

    void ErrorText(uint32_t code, char* out, size_t capacity) override {
        if (code == kNoDirectIo) {
            CopyBounded(out, "This file system does not allow unbuffered writes (O_DIRECT), so its "
                             "write rate cannot be measured.", capacity);
            return;
        }
        char text[256];
        // The GNU strerror_r returns its text, which need not be `text`.
        const char* message = strerror_r(static_cast<int>(code), text, sizeof text);
        CopyBounded(out, message, capacity);
    }

    uint32_t FileExistsCode() override { return EEXIST; }
    uint32_t DiskFullCode() override { return ENOSPC; }
    uint32_t OutOfMemoryCode() override { return ENOMEM; }

private:
    bool Fail(int code) {
        error_ = static_cast<uint32_t>(code);
        return false;
    }

    uint32_t error_ = 0;
};

}  // namespace

DiskOps& SystemDiskOps() {
    static LinuxDiskOps ops;
    return ops;
}

void RemoveTemporaryFileOnInterrupt() {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}
