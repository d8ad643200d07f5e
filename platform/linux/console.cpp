#include "platform/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

bool IsTerminal(std::FILE* stream) { return stream && isatty(fileno(stream)) == 1; }

int TerminalColumns(std::FILE* stream) {
    winsize size = {};
    if (!stream || ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}
