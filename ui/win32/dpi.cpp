#include "ui/win32/dpi.h"

namespace {

FARPROC User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

template <typename Function>
Function Lookup(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(User32Function(name)));
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = Lookup<GetDpiForWindowFn>("GetDpiForWindow");
    UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int CursorSizeForDpi(int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    const auto metricsForDpi = Lookup<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    int size = metricsForDpi ? metricsForDpi(SM_CXCURSOR, static_cast<UINT>(dpi)) : 0;
    if (size <= 0) size = GetSystemMetrics(SM_CXCURSOR);
    return size > 0 ? size : 32;
}

void KeepDialogLayoutOnDpiChange(HWND dialog) {
    // DDC_DISABLE_ALL | DDC_DISABLE_RESIZE | DDC_DISABLE_CONTROL_RELAYOUT
    constexpr int kDisableAll = 1 | 2 | 4;
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    const auto setBehavior = Lookup<SetBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setBehavior) setBehavior(dialog, kDisableAll, kDisableAll);
}
