#include "platform/console.h"

#include <sys/ioctl.h>

#include <unistd.h>
#include <atomic>

bool IsTerminal(std::FILE* stream) {
    return stream && isatty(fileno(stream)) == 1;
}

int TerminalColumns(std::FILE* stream) {
    winsize size = {};
    if (!stream || ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

namespace {
// Read by signal handlers: plain atomics, no locks.
std::atomic<int> s_liveFd{-1};
std::atomic<int> s_liveWidth{0};
}  // namespace

void SetLiveLine(std::FILE* stream, int width) {
    s_liveWidth = 0;
    s_liveFd = stream && width > 0 ? fileno(stream) : -1;
    s_liveWidth = width > 0 ? width : 0;
}

void EraseLiveLine() {
    const int fd = s_liveFd.load(), width = s_liveWidth.exchange(0);
    if (fd < 0 || width <= 0) return;
    static const char kBlanks[64 + 1] =
        "                                                                ";
    ssize_t ignored = write(fd, "\r", 1);
    for (int left = width; left > 0; left -= 64)
        ignored = write(fd, kBlanks, static_cast<size_t>(left < 64 ? left : 64));
    ignored = write(fd, "\r", 1);
    (void)ignored;
}
