#include "platform/processors.h"

#include <windows.h>

int CountAllowedProcessors() {
    DWORD_PTR process = 0, system = 0;
    // A process spread over several processor groups gets 0 masks: the count is unknown.
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 0;
    int count = 0;
    for (; process; process &= process - 1) ++count;
    return count;
}

// The registry's processor keys are the machine's count on Windows.
int CountOnlineProcessors() {
    return 0;
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
