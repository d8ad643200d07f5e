#include "platform/library.h"

#include <windows.h>

#include "platform/win32/system_library.h"

namespace {

typedef HWND(WINAPI* FindWindowFunction)(LPCSTR, LPCSTR);
typedef HRESULT(WINAPI* OleInitializeFunction)(LPVOID);
typedef void(WINAPI* OleUninitializeFunction)();
typedef HINSTANCE(WINAPI* ShellExecuteFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

const char* const kNames[] = {"FindWindowA", "OleInitialize", "OleUninitialize", "ShellExecuteA"};

class Win32Libraries final : public LibraryLoader {
public:
    uintptr_t Load(const char* dll) override { return reinterpret_cast<uintptr_t>(LoadSystemLibrary(dll)); }
    bool Call(uintptr_t library, ServedFunction function, const char* text, int32_t number,
              int32_t* result) override {
        FARPROC address =
            GetProcAddress(reinterpret_cast<HMODULE>(library), kNames[static_cast<int>(function)]);
        if (!address) return false;
        void* entry = reinterpret_cast<void*>(address);
        switch (function) {
            case ServedFunction::kFindWindow: {
                // The number stands for the window-name argument: 0 is any title.
                HWND found = reinterpret_cast<FindWindowFunction>(entry)(
                    text, reinterpret_cast<LPCSTR>(static_cast<intptr_t>(number)));
                *result = static_cast<int32_t>(reinterpret_cast<intptr_t>(found));
                break;
            }
            case ServedFunction::kOleInitialize:
                reinterpret_cast<OleInitializeFunction>(entry)(nullptr);
                *result = 0;
                break;
            case ServedFunction::kOleUninitialize:
                reinterpret_cast<OleUninitializeFunction>(entry)();
                *result = 0;
                break;
            case ServedFunction::kShellExecute: {
                HINSTANCE shell = reinterpret_cast<ShellExecuteFunction>(entry)(
                    nullptr, nullptr, text, nullptr, nullptr, SW_SHOWNORMAL);
                *result = static_cast<int32_t>(reinterpret_cast<intptr_t>(shell));
                break;
            }
        }
        return true;
    }
    void Release(uintptr_t library) override { FreeLibrary(reinterpret_cast<HMODULE>(library)); }
};

}  // namespace

LibraryLoader& SystemLibraries() {
    static Win32Libraries loader;
    return loader;
}
