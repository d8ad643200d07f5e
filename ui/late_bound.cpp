#include "ui/late_bound.h"

#include <cstring>

int32_t CallLateBound(const char* dll, const char* function, const char* text, int32_t number,
                      LibraryLoader& libraries) {
    if (!dll || !*dll || !function || !*function) return 0;
    uintptr_t library = libraries.Load(dll);
    if (!library) return 0;
    // Tried in this order; the comparison is exact, letter case included.
    static const struct {
        const char* name;
        ServedFunction function;
        bool resultUsed;
    } kServed[] = {
        {"FindWindowA", ServedFunction::kFindWindow, true},
        {"OleInitialize", ServedFunction::kOleInitialize, false},
        {"OleUninitialize", ServedFunction::kOleUninitialize, false},
        {"ShellExecuteA", ServedFunction::kShellExecute, true},
    };
    int32_t result = 0;
    for (const auto& served : kServed) {
        if (std::strcmp(function, served.name) != 0) continue;
        int32_t called = 0;
        if (libraries.Call(library, served.function, text, number, &called) && served.resultUsed)
            result = called;
        break;
    }
    libraries.Release(library);
    return result;
}
