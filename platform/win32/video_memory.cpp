#include "platform/video_memory.h"

#include <ddraw.h>
#include <windows.h>

#include "platform/win32/adapter_sources.h"
#include "platform/win32/system_library.h"

namespace {

typedef HRESULT(WINAPI* DirectDrawCreateFunction)(GUID*, LPDIRECTDRAW*, IUnknown*);

const char kDisplayAdapters[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";

}  // namespace

// Display drivers record their adapter's size as a 64-bit value in the adapter's key, which
// also names the device it was installed for. Keys of removed cards stay behind, so a record
// only counts for the device DirectDraw measured. Returns how many keys were read.
int ReadAdapterRecords(AdapterRecord* records, int capacity) {
    HKEY adapters = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDisplayAdapters, 0, KEY_ENUMERATE_SUB_KEYS, &adapters) !=
        ERROR_SUCCESS)
        return 0;
    int count = 0;
    for (DWORD index = 0; index < 256 && count < capacity; ++index) {
        char name[64];
        DWORD length = sizeof name;
        LONG listed =
            RegEnumKeyExA(adapters, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (listed == ERROR_MORE_DATA) continue;  // not an adapter's four-digit key
        if (listed != ERROR_SUCCESS) break;
        HKEY adapter = nullptr;
        // Some subkeys ("Properties") refuse ordinary users: skip them.
        if (RegOpenKeyExA(adapters, name, 0, KEY_QUERY_VALUE, &adapter) != ERROR_SUCCESS) continue;
        char ids[256];
        DWORD type = 0, size = sizeof ids - 1;
        AdapterRecord record = {};
        if (RegQueryValueExA(adapter, "MatchingDeviceId", nullptr, &type,
                             reinterpret_cast<BYTE*>(ids), &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            ids[size] = '\0';
            if (ParseDeviceIds(ids, &record.vendor, &record.device)) {
                uint64_t bytes = 0;
                size = sizeof bytes;
                if (RegQueryValueExA(adapter, "HardwareInformation.qwMemorySize", nullptr, &type,
                                     reinterpret_cast<BYTE*>(&bytes), &size) == ERROR_SUCCESS &&
                    type == REG_QWORD && size == sizeof bytes)
                    record.memoryBytes = bytes;
                records[count++] = record;
            }
        }
        RegCloseKey(adapter);
    }
    RegCloseKey(adapters);
    return count;
}

// DirectDraw is loaded at run time, so the program starts where it is missing.
bool QueryDirectDraw(DirectDrawAdapter* adapter) {
    *adapter = DirectDrawAdapter{};
    HMODULE ddraw = LoadSystemLibrary("ddraw.dll");
    if (!ddraw) return false;
    bool answered = false;
    auto create = reinterpret_cast<DirectDrawCreateFunction>(
        reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
    if (create) {
        GUID zero = {};
        LPDIRECTDRAW draw = nullptr;
        create(&zero, &draw, nullptr);
        if (draw) {
            static const GUID kDirectDraw7 = {
                0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
            LPDIRECTDRAW7 draw7 = nullptr;
            if (draw->QueryInterface(kDirectDraw7, reinterpret_cast<void**>(&draw7)) >= 0 &&
                draw7) {
                DWORD total = 0;
                DDSCAPS2 caps = {};
                caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
                draw7->GetAvailableVidMem(&caps, &total, nullptr);
                adapter->countedBytes = total;
                answered = true;
                DDDEVICEIDENTIFIER2 identifier = {};
                if (draw7->GetDeviceIdentifier(&identifier, 0) >= 0 && identifier.dwVendorId) {
                    adapter->ids.vendor = identifier.dwVendorId;
                    adapter->ids.device = identifier.dwDeviceId;
                    lstrcpynA(adapter->description, identifier.szDescription,
                              sizeof adapter->description);
                    adapter->named = true;
                }
                draw7->Release();
            }
            draw->Release();
        }
    }
    FreeLibrary(ddraw);
    return answered;
}

namespace {

class Win32VideoMemory final : public VideoMemorySource {
  public:
    uint64_t TotalVideoMemory() override {
        DirectDrawAdapter measured;
        QueryDirectDraw(&measured);
        if (!measured.named) return measured.countedBytes;
        AdapterRecord records[kMaxAdapterRecords];
        int count = ReadAdapterRecords(records, kMaxAdapterRecords);
        return ChooseVideoMemory(measured.countedBytes, &measured.ids, records, count);
    }
};

}  // namespace

VideoMemorySource& SystemVideoMemory() {
    static Win32VideoMemory source;
    return source;
}
