#include "platform/linux/read_file.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/system_root.h"

namespace {

// What a tree could not give, each named once; a few are enough to show what is wrong.
std::mutex s_notedLock;
char s_noted[kUnreadableFilesKept][320];
int s_notedCount = 0;  // kUnreadableFilesKept + 1: more than were kept

// Only a tree's files: this machine's own are the system's to keep from us.
void NoteUnreadable(const char* path, const char* reason) {
    char root[4096];
    if (!SystemPath("", root, sizeof root) || !root[0]) return;
    char text[sizeof s_noted[0]];
    std::snprintf(text, sizeof text, "%s: %s", path, reason);
    std::lock_guard<std::mutex> lock(s_notedLock);
    for (int i = 0; i < s_notedCount && i < kUnreadableFilesKept; ++i)
        if (std::strcmp(s_noted[i], text) == 0) return;
    // Past the kept ones a name cannot be told from one seen before, so none is counted.
    if (s_notedCount < kUnreadableFilesKept)
        std::memcpy(s_noted[s_notedCount++], text, sizeof text);
    else
        s_notedCount = kUnreadableFilesKept + 1;
}

// Opens an already resolved name: regular files only, and nothing that can block.
int OpenRegular(int directory, const char* name, int* error) {
    struct stat st;
    if (fstatat(directory, name, &st, 0) != 0 || !S_ISREG(st.st_mode)) {
        *error = 0;  // absent, or no file to read
        return -1;
    }
    int fd = openat(directory, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // replaced since
        close(fd);
        *error = 0;
        return -1;
    }
    return fd;
}

// `path` within the tree at `root`: the kernel keeps the lookup beneath it where it can
// (openat2, Linux 5.6); elsewhere the resolved name must lie inside the resolved root.
int OpenInTree(const char* root, const char* path, int* error) {
    int rootFd = open(root, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        *error = errno;
        return -1;
    }
    const char* relative = path;
    while (*relative == '/') ++relative;
    struct open_how how = {};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    int found = static_cast<int>(syscall(SYS_openat2, rootFd, relative, &how, sizeof how));
    int fd = -1;
    struct stat seen, opened;
    if (found >= 0) {
        // Looked at through O_PATH first, so a device is never opened; then opened the same
        // way, and taken only if it is still that file.
        if (fstat(found, &seen) == 0 && S_ISREG(seen.st_mode)) {
            how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
            fd = static_cast<int>(syscall(SYS_openat2, rootFd, relative, &how, sizeof how));
            if (fd < 0) {
                *error = errno;
            } else if (fstat(fd, &opened) != 0 || opened.st_ino != seen.st_ino ||
                       opened.st_dev != seen.st_dev) {
                close(fd);
                fd = -1;
            }
        }
        close(found);
    } else if (errno == ENOSYS || errno == EPERM || errno == E2BIG) {
        // No openat2 (an older kernel, or a filter that refuses it).
        char full[2 * PATH_MAX], resolved[PATH_MAX], base[PATH_MAX];
        int length = std::snprintf(full, sizeof full, "%s/%s", root, relative);
        if (length < 0 || static_cast<size_t>(length) >= sizeof full) {
            *error = ENAMETOOLONG;
        } else if (!realpath(root, base)) {
            *error = errno;
        } else if (!realpath(full, resolved)) {
            *error = errno == ENOENT || errno == ENOTDIR ? 0 : errno;
        } else {
            size_t n = std::strlen(base);
            bool inside = std::strncmp(resolved, base, n) == 0 && (resolved[n] == '/' || n == 1);
            if (inside)
                fd = OpenRegular(AT_FDCWD, resolved, error);
            else
                *error = EXDEV;
        }
    } else {
        *error = errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? 0 : errno;
    }
    close(rootFd);
    return fd;
}

}  // namespace

int OpenSystemFile(const char* path) {
    char root[4096];
    if (!SystemPath("", root, sizeof root)) return -1;
    int error = 0;
    int fd = root[0] ? OpenInTree(root, path, &error) : OpenRegular(AT_FDCWD, path, &error);
    if (fd < 0 && error)
        NoteUnreadable(
            path, error == EXDEV ? "a link that leads outside the tree" : std::strerror(error));
    return fd;
}

long ReadSmallFile(const char* path, char* out, size_t capacity) {
    if (!out || capacity == 0) return -1;
    out[0] = '\0';
    int fd = OpenSystemFile(path);
    if (fd < 0) return -1;
    size_t total = 0;
    // /proc files come in pieces: read until the end or the buffer is full.
    while (total < capacity - 1) {
        ssize_t n = read(fd, out + total, capacity - 1 - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            NoteUnreadable(path, std::strerror(errno));
            close(fd);
            out[0] = '\0';
            return -1;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    close(fd);
    out[total] = '\0';
    return static_cast<long>(total);
}

int UnreadableSystemFiles(const char** out, int capacity) {
    std::lock_guard<std::mutex> lock(s_notedLock);
    for (int i = 0; i < capacity && i < s_notedCount && i < kUnreadableFilesKept; ++i)
        out[i] = s_noted[i];
    return s_notedCount;
}

std::FILE* OpenSystemFileStream(const char* path) {
    const int fd = OpenSystemFile(path);
    if (fd < 0) return nullptr;
    std::FILE* stream = fdopen(fd, "rb");
    if (!stream) close(fd);
    return stream;
}
