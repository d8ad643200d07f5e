// The Windows libraries the program names have no Linux files: OLE needs no start-up,
// there are no foreign windows to find, and the shell's "open" is xdg-open.
#include "platform/library.h"

#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace {

const char* const kLibraries[] = {"USER32.DLL", "OLE32.DLL", "SHELL32.DLL"};

// Starts xdg-open on `target` without waiting for it: a short-lived shell puts it in the
// background and reports whether it could be found. Above 32 means it started.
int32_t OpenWithDesktop(const char* target) {
    if (!target || !*target) return 2;
    const char* argv[] = {"/bin/sh", "-c",
                          "command -v xdg-open >/dev/null 2>&1 || exit 127; "
                          "xdg-open \"$1\" >/dev/null 2>&1 </dev/null & exit 0",
                          "sh", target, nullptr};
    pid_t shell = 0;
    if (posix_spawn(&shell, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return 2;
    int status = 0;
    while (waitpid(shell, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 42 : 2;  // 2: file not found
}

class LinuxLibraries final : public LibraryLoader {
public:
    uintptr_t Load(const char* dll) override {
        for (size_t i = 0; i < sizeof kLibraries / sizeof kLibraries[0]; ++i)
            if (strcasecmp(dll, kLibraries[i]) == 0) return i + 1;
        return 0;
    }
    bool Call(uintptr_t library, ServedFunction function, const char* text, int32_t,
              int32_t* result) override {
        // Each function is found only in the library that holds it on Windows.
        switch (function) {
            case ServedFunction::kFindWindow:
                if (library != 1) return false;
                *result = 0;
                return true;
            case ServedFunction::kOleInitialize:
            case ServedFunction::kOleUninitialize:
                if (library != 2) return false;
                *result = 0;
                return true;
            case ServedFunction::kShellExecute:
                if (library != 3) return false;
                *result = OpenWithDesktop(text);
                return true;
        }
        return false;
    }
    void Release(uintptr_t) override {}
};

}  // namespace

LibraryLoader& SystemLibraries() {
    static LinuxLibraries loader;
    return loader;
}
