#include "platform/console.h"

#include <windows.h>

#include <io.h>

bool IsTerminal(std::FILE* stream) { return stream && _isatty(_fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
    if (!stream) return 0;
    HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info)) return 0;
    // The visible window, not the buffer, which may be far wider and scroll sideways.
    return info.srWindow.Right - info.srWindow.Left + 1;
}
