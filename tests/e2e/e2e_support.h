// What both dialog programs need: failures printed and counted (the exit status and the
// last line of the run come from the count), and window texts.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

inline int g_failures = 0;

inline void Fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::printf("FAIL: ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
    ++g_failures;
}

// The text of `window`, as far as 511 characters.
inline std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}
