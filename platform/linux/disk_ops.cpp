#include "platform/disk_ops.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/linux/file_system_kind.h"
#include "platform/linux/temporary_file.h"
#include "text/bounded_copy.h"

namespace {

// Our codes for a drive that cannot be measured; their texts name the drive.
constexpr uint32_t kDriveMissing = 0x20001;
constexpr uint32_t kDriveNotADirectory = 0x20002;
constexpr uint32_t kDriveInMemory = 0x20003;
constexpr uint32_t kDriveOfTheKernel = 0x20004;
constexpr uint32_t kDriveGone = 0x20005;

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
    bool ChooseDirectory(const char* drive, char* out, size_t capacity) override {
        if (!drive || !*drive) return Fail(ENOENT);
        struct stat st;
        if (stat(drive, &st) != 0)
            return errno == ENOENT ? Refuse(kDriveMissing, drive) : Fail(errno);
        if (!S_ISDIR(st.st_mode)) return Refuse(kDriveNotADirectory, drive);
        struct statfs fs;
        if (statfs(drive, &fs) != 0) return Fail(errno);
        // f_type is a signed word on 32-bit systems; the magic numbers are 32 bits.
        switch (ClassifyFileSystem(static_cast<uint32_t>(fs.f_type), &refusedFileSystem_)) {
            case FileSystemKind::kInMemory:
                return Refuse(kDriveInMemory, drive);
            case FileSystemKind::kKernel:
                return Refuse(kDriveOfTheKernel, drive);
            case FileSystemKind::kStorage:
                break;
        }
        const char* directory = drive;
        if (!WritableDirectory(drive)) {
            // A mount point is often root's: write where the user may, on the same disk. The
            // result says where.
            const char* candidates[] = {std::getenv("HOME"), std::getenv("TMPDIR"), "/tmp"};
            for (const char* candidate : candidates) {
                if (candidate && *candidate && WritableDirectory(candidate) &&
                    SameFileSystem(candidate, drive)) {
                    directory = candidate;
                    break;
                }
            }
        }
        if (std::strlen(directory) >= capacity) return Fail(ENAMETOOLONG);
        CopyBounded(out, directory, capacity);
        return true;
    }

    bool FreeBytes(const char* directory, uint64_t* freeBytes) override {
        struct statvfs fs;
        if (!directory || !*directory) return Fail(ENOENT);
        if (statvfs(directory, &fs) != 0) return Fail(errno);
        *freeBytes = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
        return true;
    }

    intptr_t OpenDirectory(const char* directory) override {
        // O_PATH: a directory the user may write in but not list still opens.
        int fd = open(directory, O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) {
            Fail(errno);
            if (fd >= 0) close(fd);
            return kNoFile;
        }
        CopyBounded(heldPath_, directory, sizeof heldPath_);
        heldDevice_ = st.st_dev;
        return fd;
    }

    void CloseDirectory(intptr_t directory) override { close(static_cast<int>(directory)); }

    intptr_t CreateNew(intptr_t directory, uint32_t number) override {
        int error = 0;
        int fd = OpenTemporaryFile(static_cast<int>(directory), number, &error);
        if (fd < 0) {
            Fail(error);
            return kNoFile;
        }
        return fd;
    }

    bool StillOnDrive(intptr_t, intptr_t file) override {
        struct stat atFile, atPath;
        if (fstat(static_cast<int>(file), &atFile) == 0 && atFile.st_dev == heldDevice_ &&
            stat(heldPath_, &atPath) == 0 && atPath.st_dev == heldDevice_)
            return true;
        return Refuse(kDriveGone, heldPath_);
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

    bool Flush(intptr_t file) override {
        return fsync(static_cast<int>(file)) == 0 ? true : Fail(errno);
    }

    void Close(intptr_t file) override { CloseTemporaryFile(static_cast<int>(file)); }

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
        struct timespec wait = {static_cast<time_t>(milliseconds / 1000),
                                static_cast<long>(milliseconds % 1000) * 1000000L};
        while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
        }
    }

    uint32_t LastError() override { return error_; }

    void ErrorText(uint32_t code, char* out, size_t capacity) override {
        const char* drive = refusedDrive_;
        const char* name = refusedFileSystem_ ? refusedFileSystem_ : "?";
        switch (code) {
            case kNoDirectIo:
                CopyBounded(out,
                            "This file system does not allow unbuffered writes (O_DIRECT), so "
                            "its write rate cannot be measured.",
                            capacity);
                return;
            case kDriveMissing:
                std::snprintf(out, capacity, "%s does not exist.", drive);
                return;
            case kDriveNotADirectory:
                std::snprintf(out, capacity, "%s is not a directory.", drive);
                return;
            case kDriveInMemory:
                std::snprintf(out, capacity, "%s keeps its data in memory (%s): it is not a disk.",
                              drive, name);
                return;
            case kDriveOfTheKernel:
                std::snprintf(out, capacity, "%s is a kernel file system (%s), not a disk.", drive,
                              name);
                return;
            case kDriveGone:
                std::snprintf(out, capacity,
                              "The drive of %s went away during the run (unmounted or replaced).",
                              drive);
                return;
        }
        char text[256];
        // The GNU strerror_r returns its text, which need not be `text`.
        const char* message = strerror_r(static_cast<int>(code), text, sizeof text);
        CopyBounded(out, message, capacity);
    }

    uint32_t FileExistsCode() override { return EEXIST; }
    uint32_t DiskFullCode() override { return ENOSPC; }

  private:
    bool Fail(int code) {
        error_ = static_cast<uint32_t>(code);
        return false;
    }

    // Like the code, the drive named by a refusal's text is that of the latest refusal.
    bool Refuse(uint32_t code, const char* drive) {
        CopyBounded(refusedDrive_, drive, sizeof refusedDrive_);
        error_ = code;
        return false;
    }

    uint32_t error_ = 0;
    char refusedDrive_[kDiskPathSize] = "";
    const char* refusedFileSystem_ = nullptr;
    char heldPath_[kDiskPathSize] = "";
    dev_t heldDevice_ = 0;
};

}  // namespace

DiskOps& SystemDiskOps() {
    static LinuxDiskOps ops;
    return ops;
}

void RemoveTemporaryFileOnInterrupt() {
    RemoveTemporaryFileOnSignals();
}
