#include "ui/win32/accessible_names.h"

#include "platform/win32/system_library.h"
#include "res/resource.h"
#include "ui/accessible_name.h"

namespace {

// Spelt out here, so that nothing ties the program to the accessibility library at load
// time: it is reached through COM only.
const CLSID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const IID kAccPropServerInterface = {
    0x76c0dbbb, 0x15e0, 0x4e7b, {0xb6, 0x1b, 0x20, 0xee, 0xea, 0x20, 0x01, 0xe0}};
const IID kUnknownInterface = {
    0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
const GUID kValueProperty = {
    0x123fe443, 0x211a, 0x4615, {0x95, 0x27, 0xc4, 0x5a, 0x7e, 0x93, 0x71, 0x7a}};
const GUID kRoleProperty = {
    0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};
const GUID kStateProperty = {
    0xa8d4d5b0, 0x0a21, 0x42d0, {0xa5, 0xc0, 0x51, 0x4e, 0x98, 0x4f, 0x45, 0x7b}};
const MSAAPROPID kAnnotated[] = {kNameProperty, kValueProperty, kRoleProperty, kStateProperty};

using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

// VariantInit without the load-time tie to its library.
void ClearVariant(VARIANT* value) {
    ZeroMemory(value, sizeof *value);
    value->vt = VT_EMPTY;
}

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    return library
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
               : nullptr;
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

void SetNumber(IAccPropServices* services, HWND field, const MSAAPROPID& property, LONG number) {
    VARIANT value;
    ClearVariant(&value);
    value.vt = VT_I4;
    value.lVal = number;
    services->SetHwndProp(field, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, value);
}

const char* RowNameOf(HWND control) {
    return AccessibleRowName(GetDlgCtrlID(control));
}

bool SetName(IAccPropServices* services, HWND control, const char* name) {
    wchar_t wide[128];
    if (!name[0] || MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 128) == 0) return false;
    return SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                              CHILDID_SELF, kNameProperty, wide));
}

// A read-only text field with the name of its row, or of the label before it, and the
// field's text as its value.
bool AnnotateField(IAccPropServices* services, FieldValueServer* values, HWND field, HWND label) {
    char name[128] = "";
    if (const char* rowName = RowNameOf(field)) {
        lstrcpynA(name, rowName, sizeof name);
    } else if (label) {
        char text[128] = "";
        GetWindowTextA(label, text, sizeof text);
        AccessibleNameFromLabel(text, name, sizeof name);
    }
    if (!SetName(services, field, name)) return false;
    SetNumber(services, field, kRoleProperty, ROLE_SYSTEM_TEXT);
    SetNumber(services, field, kStateProperty, STATE_SYSTEM_READONLY);
    services->SetHwndPropServer(field, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                &kValueProperty, 1, values, ANNO_THIS);
    return true;
}

}  // namespace

HRESULT STDMETHODCALLTYPE FieldValueServer::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, kUnknownInterface) || IsEqualIID(id, kAccPropServerInterface)) {
        *object = static_cast<IAccPropServer*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FieldValueServer::GetPropValue(const BYTE* identity, DWORD identityLength,
                                                         MSAAPROPID property, VARIANT* value,
                                                         BOOL* has) {
    if (!value || !has) return E_POINTER;
    ClearVariant(value);
    *has = FALSE;
    HWND field = nullptr;
    DWORD object = 0, child = 0;
    auto allocate = Lookup<SysAllocStringFn>(oleaut32, "SysAllocString");
    if (!services || !allocate || !IsEqualGUID(property, kValueProperty) ||
        FAILED(services->DecomposeHwndIdentityString(identity, identityLength, &field, &object,
                                                     &child)))
        return S_OK;
    wchar_t text[260] = L"";
    GetWindowTextW(field, text, 260);
    value->vt = VT_BSTR;
    value->bstrVal = allocate(text);
    *has = value->bstrVal != nullptr;
    if (!*has) value->vt = VT_EMPTY;
    return S_OK;
}

bool IsValueField(HWND control) {
    return IsStatic(control) && (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0;
}

int AnnotateControls(HWND dialog, IAccPropServices* services, FieldValueServer* values) {
    int named = 0;
    HWND label = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsValueField(child)) {
            if (AnnotateField(services, values, child, label)) ++named;
        } else if (const char* rowName = RowNameOf(child)) {
            if (SetName(services, child, rowName)) ++named;
        }
        label = IsStatic(child) && !IsValueField(child) ? child : nullptr;
    }
    return named;
}

void NameValueFields(HWND dialog, FieldNames* names) {
    HMODULE ole32 = LoadSystemLibrary("ole32.dll");
    auto initialize = Lookup<CoInitializeExFn>(ole32, "CoInitializeEx");
    if (!initialize || FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED))) {
        if (ole32) FreeLibrary(ole32);
        return;
    }
    names->ole32 = ole32;
    names->values.oleaut32 = LoadSystemLibrary("oleaut32.dll");
    names->values.services = OpenServices(ole32);
    if (names->values.services)
        names->named = AnnotateControls(dialog, names->values.services, &names->values);
}

void ForgetValueFieldNames(HWND dialog, FieldNames* names) {
    if (!names || !names->ole32) return;
    if (IAccPropServices* services = names->values.services) {
        if (names->named > 0)
            for (HWND child = GetWindow(dialog, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                if (IsValueField(child) || RowNameOf(child))
                    services->ClearHwndProps(child, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             kAnnotated, 4);
        services->Release();
        names->values.services = nullptr;
    }
    if (auto uninitialize = Lookup<CoUninitializeFn>(names->ole32, "CoUninitialize"))
        uninitialize();
    if (names->values.oleaut32) FreeLibrary(names->values.oleaut32);
    names->values.oleaut32 = nullptr;
    FreeLibrary(names->ole32);
    names->ole32 = nullptr;
    names->named = 0;
}
