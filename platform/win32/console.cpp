#include "platform/console.h"

#include <windows.h>

#include <io.h>

#include <atomic>

bool IsTerminal(std::FILE* stream) {
    return stream && _isatty(_fileno(stream)) != 0;
}

int TerminalColumns(std::FILE* stream) {
    if (!stream) return 0;
    HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info)) return 0;
    // The visible window, not the buffer, which may be far wider and scroll sideways.
    return info.srWindow.Right - info.srWindow.Left + 1;
}

namespace {
// Read by the console's control handler, on a thread of its own.
std::atomic<HANDLE> s_liveHandle{INVALID_HANDLE_VALUE};
std::atomic<int> s_liveWidth{0};
}  // namespace

void SetLiveLine(std::FILE* stream, int width) {
    s_liveWidth = 0;
    s_liveHandle = stream && width > 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))
                                       : INVALID_HANDLE_VALUE;
    s_liveWidth = width > 0 ? width : 0;
}

void EraseLiveLine() {
    const HANDLE console = s_liveHandle.load();
    const int width = s_liveWidth.exchange(0);
    if (console == INVALID_HANDLE_VALUE || width <= 0) return;
    char line[520];
    const int n = width < 512 ? width : 512;
    line[0] = '\r';
    for (int i = 1; i <= n; ++i) line[i] = ' ';
    line[n + 1] = '\r';
    DWORD written = 0;
    WriteFile(console, line, static_cast<DWORD>(n + 2), &written, nullptr);
}
