#include "platform/registry.h"

#include <windows.h>

namespace {

class Win32Registry final : public RegistrySource {
  public:
    uintptr_t OpenKey(RegistryRoot root, const char* subKey) override {
        HKEY key = nullptr;
        HKEY base = root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (RegOpenKeyExA(base, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
        return reinterpret_cast<uintptr_t>(key);
    }
    bool QueryValue(uintptr_t key, const char* valueName, void* data, uint32_t* size) override {
        DWORD type = 0;
        DWORD bytes = *size;
        LONG result = RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName, nullptr,
                                       data ? &type : nullptr, static_cast<BYTE*>(data), &bytes);
        // On other failures (a missing value) the query still writes its byte count back;
        // the caller's starting size stays instead.
        if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) *size = bytes;
        return result == ERROR_SUCCESS;
    }
    void CloseKey(uintptr_t key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }
    uint32_t ReadEnvironment(const char* name, char* out, uint32_t capacity) override {
        return GetEnvironmentVariableA(name, out, capacity);
    }
};

}  // namespace

RegistrySource& SystemRegistry() {
    static Win32Registry source;
    return source;
}
