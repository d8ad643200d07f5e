#include "platform/processors.h"

#include <windows.h>

int CountAllowedProcessors() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 0;
    return CountNarrowedProcessors(process, system);
}

// Every group's processors; GetActiveProcessorCount is missing before Windows 7, where a
// machine has one group and GetSystemInfo counts it.
int CountOnlineProcessors() {
    using ActiveCountFn = DWORD(WINAPI*)(WORD);
    constexpr WORD kAllProcessorGroups = 0xFFFF;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto activeCount = kernel ? reinterpret_cast<ActiveCountFn>(reinterpret_cast<void*>(
                                    GetProcAddress(kernel, "GetActiveProcessorCount")))
                              : nullptr;
    DWORD count = activeCount ? activeCount(kAllProcessorGroups) : 0;
    if (count == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        count = info.dwNumberOfProcessors;
    }
    return static_cast<int>(count);
}

const char* NominalClockSource() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "none";
    DWORD mhz = 0, size = sizeof mhz;
    LONG result =
        RegQueryValueExA(key, "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && mhz != 0 ? "registry" : "none";
}
