#include "platform/memory_status.h"

#include <windows.h>

namespace {

// GlobalMemoryStatusEx is missing before Windows 2000, so it is looked up by name.
typedef BOOL(WINAPI* GlobalMemoryStatusExFunction)(LPMEMORYSTATUSEX);

class Win32MemoryStatus final : public MemoryStatusSource {
public:
    bool QueryExtended(MemoryStatus* status) override {
        HMODULE kernel = LoadLibraryA("KERNEL32.dll");
        if (!kernel) return false;
        auto query = reinterpret_cast<GlobalMemoryStatusExFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")));
        MEMORYSTATUSEX ex;
        ZeroMemory(&ex, sizeof ex);
        ex.dwLength = sizeof ex;
        bool ok = query && query(&ex) != 0;
        FreeLibrary(kernel);
        if (!ok) return false;
        status->memoryLoad = ex.dwMemoryLoad;
        status->totalPhys = ex.ullTotalPhys;
        status->availPhys = ex.ullAvailPhys;
        status->totalPageFile = ex.ullTotalPageFile;
        status->availPageFile = ex.ullAvailPageFile;
        status->totalVirtual = ex.ullTotalVirtual;
        status->availVirtual = ex.ullAvailVirtual;
        return true;
    }

    void QueryBasic(uint64_t* totalPhys, uint64_t* availPhys) override {
        MEMORYSTATUS basic;
        ZeroMemory(&basic, sizeof basic);
        basic.dwLength = sizeof basic;
        GlobalMemoryStatus(&basic);
        *totalPhys = basic.dwTotalPhys;
        *availPhys = basic.dwAvailPhys;
    }
};

}  // namespace

MemoryStatusSource& SystemMemoryStatus() {
    static Win32MemoryStatus source;
    return source;
}
