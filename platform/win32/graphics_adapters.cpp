// Every graphics adapter through DXGI, loaded at run time; where the system has no DXGI
// (Windows XP), the one adapter DirectDraw measures.
#include "platform/graphics_adapters.h"

#include <windows.h>

#include <dxgi.h>

#include "platform/win32/adapter_sources.h"
#include "platform/win32/system_library.h"

namespace {

typedef HRESULT(WINAPI* CreateFactoryFunction)(REFIID, void**);

void CopyDescription(const WCHAR* wide, char* out, int capacity) {
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, out, capacity, nullptr, nullptr) == 0)
        out[0] = '\0';
    out[capacity - 1] = '\0';
}

// One adapter's description, through the newer interface where the factory has it (only
// it tells software renderers apart); false past the last adapter.
bool DescribeAdapter(IDXGIFactory1* factory1, IDXGIFactory* factory, UINT index,
                     DXGI_ADAPTER_DESC1* desc) {
    *desc = DXGI_ADAPTER_DESC1{};
    if (factory1) {
        IDXGIAdapter1* adapter = nullptr;
        if (FAILED(factory1->EnumAdapters1(index, &adapter)) || !adapter) return false;
        HRESULT described = adapter->GetDesc1(desc);
        adapter->Release();
        return SUCCEEDED(described);
    }
    IDXGIAdapter* adapter = nullptr;
    if (FAILED(factory->EnumAdapters(index, &adapter)) || !adapter) return false;
    DXGI_ADAPTER_DESC plain = {};
    HRESULT described = adapter->GetDesc(&plain);
    adapter->Release();
    if (FAILED(described)) return false;
    static_assert(sizeof desc->Description == sizeof plain.Description, "same description");
    CopyMemory(desc->Description, plain.Description, sizeof plain.Description);
    desc->VendorId = plain.VendorId;
    desc->DeviceId = plain.DeviceId;
    desc->DedicatedVideoMemory = plain.DedicatedVideoMemory;
    return true;
}

// -1 where DXGI cannot answer (no library, no factory); else how many adapters it listed.
int ListDxgiAdapters(GraphicsAdapter* out, int capacity) {
    HMODULE dxgi = LoadSystemLibrary("dxgi.dll");
    if (!dxgi) return -1;
    auto create1 = reinterpret_cast<CreateFactoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(dxgi, "CreateDXGIFactory1")));
    auto create = reinterpret_cast<CreateFactoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(dxgi, "CreateDXGIFactory")));
    IDXGIFactory1* factory1 = nullptr;
    IDXGIFactory* factory = nullptr;
    if (!create1 || FAILED(create1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory1))))
        factory1 = nullptr;
    if (!factory1 &&
        (!create || FAILED(create(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)))))
        factory = nullptr;
    if (!factory1 && !factory) {
        FreeLibrary(dxgi);
        return -1;
    }
    // DXGI counts in SIZE_T, so a 32-bit process sees at most 4 GiB: the registry's
    // 64-bit record of the same device says more.
    AdapterRecord records[kMaxAdapterRecords];
    int recordCount = ReadAdapterRecords(records, kMaxAdapterRecords);
    int count = 0;
    for (UINT index = 0; index < 64 && count < capacity; ++index) {
        DXGI_ADAPTER_DESC1 desc;
        if (!DescribeAdapter(factory1, factory, index, &desc)) break;
        if (IsSoftwareAdapter(desc.Flags, desc.VendorId, desc.DeviceId)) continue;
        GraphicsAdapter& adapter = out[count++];
        adapter = GraphicsAdapter{};
        adapter.vendorId = desc.VendorId;
        adapter.deviceId = desc.DeviceId;
        CopyDescription(desc.Description, adapter.name, sizeof adapter.name);
        AdapterRecord ids = {desc.VendorId, desc.DeviceId, 0};
        adapter.dedicatedBytes =
            ChooseVideoMemory(desc.DedicatedVideoMemory, &ids, records, recordCount);
        adapter.primary = index == 0;  // DXGI lists the primary display's adapter first
    }
    if (factory1) factory1->Release();
    if (factory) factory->Release();
    FreeLibrary(dxgi);
    return count;
}

int ListDirectDrawAdapter(GraphicsAdapter* out, int capacity) {
    DirectDrawAdapter measured;
    if (capacity <= 0 || !QueryDirectDraw(&measured)) return 0;
    GraphicsAdapter& adapter = out[0];
    adapter = GraphicsAdapter{};
    adapter.primary = true;
    adapter.dedicatedBytes = measured.countedBytes;
    if (measured.named) {
        adapter.vendorId = measured.ids.vendor;
        adapter.deviceId = measured.ids.device;
        lstrcpynA(adapter.name, measured.description, sizeof adapter.name);
        AdapterRecord records[kMaxAdapterRecords];
        int recordCount = ReadAdapterRecords(records, kMaxAdapterRecords);
        adapter.dedicatedBytes =
            ChooseVideoMemory(measured.countedBytes, &measured.ids, records, recordCount);
    }
    return 1;
}

}  // namespace

int ListGraphicsAdapters(GraphicsAdapter* out, int capacity) {
    if (capacity <= 0) return 0;
    int count = ListDxgiAdapters(out, capacity);
    return count >= 0 ? count : ListDirectDrawAdapter(out, capacity);
}
