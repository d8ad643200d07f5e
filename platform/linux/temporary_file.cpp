#include "platform/linux/temporary_file.h"

#include "platform/console.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

// A named file that still has its name, for the signal handler. The benchmark holds one
// file at a time, on one thread.
//
// The name is made and removed only inside a window in which the benchmark's thread takes
// no signal and the state reads kBusy. A signal that arrives meanwhile on that thread waits
// until the window has closed: the name is then either gone, and the handler removes
// nothing, or recorded as kNamed. A handler that runs on another thread meanwhile (the Qt
// program has several) waits for the state to leave kBusy. Whoever moves the state from
// kNamed to kBusy, the handler or CloseTemporaryFile, removes the name, so it is removed
// once, while it is still ours, and never after the benchmark removed it itself: a file
// that someone else has created under that name since is left alone.
enum : int { kNoName, kNamed, kBusy };
std::atomic<int> s_nameState{kNoName};
static_assert(ATOMIC_INT_LOCK_FREE == 2, "the signal handler needs a lock-free state");
// The name within the benchmark's directory, held open as s_directoryFd: a lazy unmount
// cannot make the name lead elsewhere.
char s_name[32];
int s_directoryFd = -1;
dev_t s_device;
ino_t s_inode;
int s_namedFd = -1;  // the benchmark's thread only

// Unlinks `name` only while it names the file we created: a name that someone has given
// to another file since is left alone. fstatat and unlinkat are async-signal-safe.
bool UnlinkIfOurs(int directoryFd, const char* name, dev_t device, ino_t inode) {
    struct stat st;
    return fstatat(directoryFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device &&
           st.st_ino == inode && unlinkat(directoryFd, name, 0) == 0;
}

// No signal reaches this thread while the name is made or removed.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

void OnFatalSignal(int signal) {
    int state = s_nameState.load();
    while (state == kBusy) {
        poll(nullptr, 0, 1);  // async-signal-safe, unlike nanosleep
        state = s_nameState.load();
    }
    if (state == kNamed && s_nameState.compare_exchange_strong(state, kBusy))
        UnlinkIfOurs(s_directoryFd, s_name, s_device, s_inode);
    EraseLiveLine();
    // SA_RESETHAND has restored the default action; the signal, held while the handler
    // runs, ends the process when it returns (a fault ends it on the retried instruction).
    raise(signal);
}

// O_DIRECT is set after the open: a file system that refuses it fails a named open only
// after the name was made, and O_TMPFILE's own "not supported" is EINVAL too.
int UseDirectIo(int fd, int* error) {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && fcntl(fd, F_SETFL, flags | O_DIRECT) == 0) return fd;
    *error = errno == EINVAL ? kNoDirectIo : errno;
    CloseTemporaryFile(fd);
    return -1;
}

}  // namespace

int OpenTemporaryFile(int directoryFd, uint32_t number, int* error) {
    int fd = openat(directoryFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) return UseDirectIo(fd, error);
    // open(2): EISDIR from a kernel without O_TMPFILE, EOPNOTSUPP or EINVAL from a file
    // system without it (vfat, exfat, many network file systems).
    if (errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL) {
        *error = errno;
        return -1;
    }
    return OpenNamedTemporaryFile(directoryFd, number, false, error);
}

int OpenNamedTemporaryFile(int directoryFd, uint32_t number, bool keepName, int* error) {
    char name[sizeof s_name];
    int written =
        std::snprintf(name, sizeof name, "%lu.bin", static_cast<unsigned long>(number));
    int fd;
    {
        SignalsHeld held;
        s_nameState.store(kBusy);
        // O_EXCL and O_NOFOLLOW: a file or link of that name, whoever made it, is never
        // opened, written or deleted.
        fd = openat(directoryFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) {
            *error = errno;
            if (fd >= 0) {
                unlinkat(directoryFd, name, 0);  // just made by us, and held busy since
                close(fd);
            }
            s_nameState.store(kNoName);
            return -1;
        }
        // Written through the open descriptor, the file needs no name: without one, only a
        // SIGKILL within this window can leave it.
        if (!keepName && UnlinkIfOurs(directoryFd, name, st.st_dev, st.st_ino)) {
            s_nameState.store(kNoName);
        } else {
            std::memcpy(s_name, name, static_cast<size_t>(written) + 1);
            s_directoryFd = directoryFd;
            s_device = st.st_dev;
            s_inode = st.st_ino;
            s_namedFd = fd;
            s_nameState.store(kNamed);
        }
    }
    return UseDirectIo(fd, error);
}

void CloseTemporaryFile(int fd) {
    if (fd >= 0 && fd == s_namedFd) {
        s_namedFd = -1;
        SignalsHeld held;
        int expected = kNamed;
        // A handler on another thread that got here first removes the name itself.
        if (s_nameState.compare_exchange_strong(expected, kBusy)) {
            UnlinkIfOurs(s_directoryFd, s_name, s_device, s_inode);
            s_nameState.store(kNoName);
        }
    }
    close(fd);
}

void RemoveTemporaryFileOnSignals() {
    // Every signal whose default action ends the process; SIGKILL and SIGSTOP cannot be
    // caught.
    static const int kEnding[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                                  SIGBUS,  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                                  SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                                  SIGPROF, SIGIO,   SIGPWR,    SIGSYS};
    struct sigaction action = {};
    action.sa_handler = OnFatalSignal;
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    auto install = [&action](int signal) {
        struct sigaction current;
        if (sigaction(signal, nullptr, &current) != 0) return;
        // A signal that is handled or ignored already keeps that: the sanitizers' crash
        // reports, a SIGHUP ignored under nohup.
        if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL)
            sigaction(signal, &action, nullptr);
    };
    for (int signal : kEnding) install(signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) install(signal);
}
