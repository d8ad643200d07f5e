// Optional system functions, reached by library and function name at run time.
#pragma once

#include <cstdint>

// The functions the program calls late-bound, in the order their names are tried.
enum class ServedFunction { kFindWindow, kOleInitialize, kOleUninitialize, kShellExecute };

class LibraryLoader {
public:
    // A handle, 0 when the library cannot be loaded.
    virtual uintptr_t Load(const char* dll) = 0;
    // Looks `function` up and, when found, calls it with `text` and `number`; false when
    // it is missing (nothing is called).
    virtual bool Call(uintptr_t library, ServedFunction function, const char* text, int32_t number,
                      int32_t* result) = 0;
    virtual void Release(uintptr_t library) = 0;

protected:
    ~LibraryLoader() = default;
};

LibraryLoader& SystemLibraries();
