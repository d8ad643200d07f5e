#include "ui/win32/accessible_names.h"

#include <oleacc.h>

#include "ui/accessible_name.h"

namespace {

// Spelt out here, so that nothing ties the program to the accessibility library at load
// time: it is reached through COM only.
const CLSID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

IAccPropServices* OpenServices(HMODULE ole32) {
    auto create = Lookup<CoCreateInstanceFn>(ole32, "CoCreateInstance");
    void* services = nullptr;
    if (!create || FAILED(create(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                 kAccPropServicesInterface, &services)))
        return nullptr;
    return static_cast<IAccPropServices*>(services);
}

bool IsStatic(HWND control) {
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Static") == 0;
}

}  // namespace

bool IsValueField(HWND control) {
    return IsStatic(control) && (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0;
}

FieldNames NameValueFields(HWND dialog) {
    FieldNames names = {nullptr, 0};
    HMODULE ole32 = LoadLibraryA("OLE32.DLL");
    if (!ole32) return names;
    auto initialize = Lookup<CoInitializeExFn>(ole32, "CoInitializeEx");
    if (!initialize || FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED))) {
        FreeLibrary(ole32);
        return names;
    }
    names.ole32 = ole32;
    IAccPropServices* services = OpenServices(ole32);
    if (!services) return names;
    HWND label = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsValueField(child) && label) {
            char text[128] = "", name[128];
            GetWindowTextA(label, text, sizeof text);
            AccessibleNameFromLabel(text, name, sizeof name);
            wchar_t wide[128];
            if (name[0] && MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 128) > 0 &&
                SUCCEEDED(services->SetHwndPropStr(child, static_cast<DWORD>(OBJID_CLIENT),
                                                   CHILDID_SELF, kNameProperty, wide)))
                ++names.named;
        }
        label = IsStatic(child) && !IsValueField(child) ? child : nullptr;
    }
    services->Release();
    return names;
}

void ForgetValueFieldNames(HWND dialog, FieldNames* names) {
    if (!names || !names->ole32) return;
    if (names->named > 0) {
        if (IAccPropServices* services = OpenServices(names->ole32)) {
            MSAAPROPID property = kNameProperty;
            for (HWND child = GetWindow(dialog, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                if (IsValueField(child))
                    services->ClearHwndProps(child, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             &property, 1);
            services->Release();
        }
    }
    if (auto uninitialize = Lookup<CoUninitializeFn>(names->ole32, "CoUninitialize"))
        uninitialize();
    FreeLibrary(names->ole32);
    *names = {nullptr, 0};
}
