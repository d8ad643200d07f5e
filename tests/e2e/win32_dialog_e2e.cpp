// Starts the real Kelvane.exe, checks its dialog against the control table, takes the
// screenshot pause, presses Escape and expects exit status 1.
//   win32_dialog_e2e KELVANE_EXE [MARKER_DIR]
// With MARKER_DIR the driver writes MARKER_DIR\ready once the dialog is checked and
// waits up to 20 s for MARKER_DIR\shot, so a screenshot can be taken from outside.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/dialog_layout.h"

namespace {

int g_failures = 0;

void Fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::printf("FAIL: ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
    ++g_failures;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

const char* ExpectedClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::kButton:
        case ControlKind::kGroupBox:
            return "Button";
        case ControlKind::kDropDownList:
            return "ComboBox";
        default:
            return "Static";
    }
}

// MapDialogRect does not work across processes, so the base units are found from one
// control (the last group box): the pair that maps its rectangle exactly.
struct BaseUnits {
    int x, y;
};

RECT ToPixels(const ControlSpec& spec, BaseUnits units) {
    // Windows maps the position and the size each on its own.
    RECT r;
    r.left = MulDiv(spec.x, units.x, 4);
    r.top = MulDiv(spec.y, units.y, 8);
    r.right = r.left + MulDiv(spec.width, units.x, 4);
    r.bottom = r.top + MulDiv(spec.height, units.y, 8);
    return r;
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

BaseUnits FindBaseUnits(HWND dialog) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; child && i + 2 < kMainDialogControlCount; ++i) child = GetWindow(child, GW_HWNDNEXT);
    const ControlSpec& spec = kMainDialogControls[kMainDialogControlCount - 2];
    if (!child) return {0, 0};
    RECT got = ChildRect(dialog, child);
    for (int x = 1; x < 64; ++x) {
        for (int y = 1; y < 128; ++y) {
            RECT want = ToPixels(spec, {x, y});
            if (EqualRect(&want, &got)) return {x, y};
        }
    }
    return {0, 0};
}

void CheckControls(HWND dialog) {
    BaseUnits units = FindBaseUnits(dialog);
    if (units.x == 0) Fail("no dialog base units map the group box");
    std::printf("dialog base units %d x %d\n", units.x, units.y);
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (index >= kMainDialogControlCount) {
            ++index;
            continue;
        }
        const ControlSpec& spec = kMainDialogControls[index++];
        int id = static_cast<short>(GetDlgCtrlID(child));
        if (id != spec.id) Fail("control %s: id %d, expected %d", spec.text, id, spec.id);

        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, ExpectedClass(spec.kind)) != 0)
            Fail("control %s has class %s", spec.text, className);

        char text[256] = "";
        GetWindowTextA(child, text, sizeof text);
        if (spec.kind != ControlKind::kDropDownList && spec.kind != ControlKind::kLink &&
            std::strcmp(text, spec.text) != 0 && spec.text[0] != '\0')
            Fail("control %s shows '%s'", spec.text, text);

        RECT want = ToPixels(spec, units);
        RECT got = ChildRect(dialog, child);
        bool sameHeight = spec.kind == ControlKind::kDropDownList || got.bottom == want.bottom;
        if (got.left != want.left || got.top != want.top || got.right != want.right || !sameHeight) {
            Fail("control %s: want %ld,%ld-%ld,%ld got %ld,%ld-%ld,%ld", spec.text, want.left,
                 want.top, want.right, want.bottom, got.left, got.top, got.right, got.bottom);
        }
    }
    if (index != kMainDialogControlCount) Fail("the dialog has %d controls", static_cast<int>(index));
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: win32_dialog_e2e KELVANE_EXE [MARKER_DIR]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[1] + "\" 500";
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    DWORD started = GetTickCount();
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("FAIL: cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }

    Search search = {process.dwProcessId, nullptr};
    for (int i = 0; i < 300 && !search.found; ++i) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    HWND dialog = search.found;
    if (!dialog) {
        std::printf("FAIL: no dialog appeared within 15 s\n");
        TerminateProcess(process.hProcess, 99);
        return 1;
    }
    std::printf("dialog visible %lu ms after the process started\n", GetTickCount() - started);

    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    if (std::strcmp(caption, "Kelvane 0.4") != 0) Fail("caption is '%s'", caption);
    CheckControls(dialog);

    if (argc > 2) {
        std::string markers = argv[2];
        HANDLE ready = CreateFileA((markers + "\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
        if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
        for (int i = 0; i < 400 && !FileExists(markers + "\\shot"); ++i) Sleep(50);
    }

    // Escape goes through the dialog manager, which turns it into command 2.
    SetForegroundWindow(dialog);
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(dialog, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    DWORD exitCode = 0;
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        Fail("Escape did not end the dialog within 15 s");
        TerminateProcess(process.hProcess, 99);
    } else {
        GetExitCodeProcess(process.hProcess, &exitCode);
        if (exitCode != 1) Fail("exit status %lu, expected 1", exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf(g_failures ? "%d failures\n" : "dialog checks passed\n", g_failures);
    return g_failures ? 1 : 0;
}
