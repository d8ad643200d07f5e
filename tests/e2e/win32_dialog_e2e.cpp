// Starts the real Kelvane.exe, checks its dialog against the control table, reads every
// System Information field back, presses "Run All Tests" and checks each result, opens
// and closes the About box, takes the screenshot pause, presses Escape and expects exit
// status 1.
//   win32_dialog_e2e KELVANE_EXE [MARKER_DIR]
// With MARKER_DIR the driver writes MARKER_DIR\ready once the dialog is checked and
// waits up to 20 s for MARKER_DIR\shot, so a screenshot can be taken from outside.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "app/dialog_layout.h"
#include "res/resource.h"

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

// A visible dialog-class window of the process; with a caption, only one that has it.
struct Search {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (owner == search->processId && std::strcmp(className, "#32770") == 0 &&
        IsWindowVisible(window) && (!search->caption || std::strcmp(text, search->caption) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD processId, const char* caption) {
    Search search = {processId, caption, nullptr};
    EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

RECT ToPixels(const ControlSpec& row, BaseUnits units) {
    // Windows maps the position and the size each on its own.
    RECT r;
    r.left = MulDiv(row.x, units.x, 4);
    r.top = MulDiv(row.y, units.y, 8);
    r.right = r.left + MulDiv(row.width, units.x, 4);
    r.bottom = r.top + MulDiv(row.height, units.y, 8);
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
    for (size_t i = 0; child && i + 2 < kMainDialogControlCount; ++i)
        child = GetWindow(child, GW_HWNDNEXT);
    const ControlSpec& row = kMainDialogControls[kMainDialogControlCount - 2];
    if (!child) return {0, 0};
    RECT got = ChildRect(dialog, child);
    for (int x = 1; x < 64; ++x) {
        for (int y = 1; y < 128; ++y) {
            RECT want = ToPixels(row, {x, y});
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
        const ControlSpec& row = kMainDialogControls[index++];
        int id = static_cast<short>(GetDlgCtrlID(child));
        if (id != row.id) Fail("control %s: id %d, expected %d", row.text, id, row.id);

        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, ExpectedClass(row.kind)) != 0)
            Fail("control %s has class %s", row.text, className);

        char text[256] = "";
        GetWindowTextA(child, text, sizeof text);
        if (row.kind != ControlKind::kDropDownList && row.kind != ControlKind::kLink &&
            std::strcmp(text, row.text) != 0 && row.text[0] != '\0')
            Fail("control %s shows '%s'", row.text, text);

        RECT want = ToPixels(row, units);
        RECT got = ChildRect(dialog, child);
        bool sameHeight = row.kind == ControlKind::kDropDownList || got.bottom == want.bottom;
        // The status line grows toward "Run All Tests" where the time stamp needs it.
        const ControlSpec* runAll = FindControlSpec(IDC_RUN_ALL);
        bool sameRight = got.right == want.right ||
                         (row.kind == ControlKind::kStatusLine && got.right > want.right &&
                          got.right < ToPixels(*runAll, units).left);
        if (got.left != want.left || got.top != want.top || !sameRight || !sameHeight) {
            Fail("control %s: want %ld,%ld-%ld,%ld got %ld,%ld-%ld,%ld", row.text, want.left,
                 want.top, want.right, want.bottom, got.left, got.top, got.right, got.bottom);
        }
    }
    if (index != kMainDialogControlCount)
        Fail("the dialog has %d controls", static_cast<int>(index));
}

// WM_GETTEXT, as a user's tool would read it; a dialog busy with a benchmark does not
// answer, which gives "?" after `waitMs`.
std::string TextOf(HWND dialog, int id, UINT waitMs = 5000) {
    char text[512] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, waitMs, &copied))
        return "?";
    return text;
}

void ExpectText(HWND dialog, int id, const char* name, const char* pattern) {
    std::string text = TextOf(dialog, id);
    if (!std::regex_match(text, std::regex(pattern)))
        Fail("%s reads '%s', which does not match %s", name, text.c_str(), pattern);
    else
        std::printf("  %-14s %s\n", name, text.c_str());
}

void CheckSystemInformation(HWND dialog) {
    const struct {
        int id;
        const char* name;
        const char* pattern;
    } fields[] = {
        {IDC_CPU_DETAILS, "CPU Details", "[\\s\\S]+"},
        {IDC_CPU_FAMILY, "CPU Family", "[0-9A-F]+/[0-9A-F]+"},
        {IDC_CPU_MODEL, "Model", "[0-9A-F]+/[0-9A-F]+"},
        {IDC_CPU_STEPPING, "Stepping", "[0-9A-F]+"},
        {IDC_INSTRUCTIONS, "Instructions", "[A-Za-z0-9 .,]+"},
        {IDC_NOMINAL_SPEED, "CPU Speed", "[0-9]+\\.[0-9]{2} GHz"},
        {IDC_VENDOR, "Vendor", "[A-Za-z]+"},
        {IDC_CORES, "Cores", "[1-9][0-9]*"},
        {IDC_MEMORY, "Memory (RAM)", "[0-9]+(\\.[0-9]+)? (MB|GB)"},
        {IDC_VIDEO_MEMORY, "Video Memory", "[0-9]+ MB"},
        {IDC_OS_VERSION, "OS Version", "  \"[^\"]+\" version [0-9]+\\.[0-9]+\\.[0-9]+ .*"},
    };
    std::printf("System Information:\n");
    for (const auto& field : fields) ExpectText(dialog, field.id, field.name, field.pattern);
    HWND drives = GetDlgItem(dialog, IDC_DRIVE_LIST);
    LRESULT count = SendMessageA(drives, CB_GETCOUNT, 0, 0);
    LRESULT selected = SendMessageA(drives, CB_GETCURSEL, 0, 0);
    std::printf("  %-14s %ld drives, '%s' selected\n", "Drives", static_cast<long>(count),
                TextOf(dialog, IDC_DRIVE_LIST).c_str());
    if (count < 1 || selected < 0)
        Fail("the drive list has %ld items, selection %ld", static_cast<long>(count),
             static_cast<long>(selected));
    if (!TextOf(dialog, IDC_STATUS_LINE).empty()) Fail("the status line has a text before any run");
}

HWND FindMessageBox(DWORD processId, const char* caption) {
    return FindProcessWindow(processId, caption);
}

void RunAllTests(HWND dialog, DWORD processId) {
    DWORD started = GetTickCount();
    PostMessageA(GetDlgItem(dialog, IDC_RUN_ALL), BM_CLICK, 0, 0);
    // Run All ends with the disk: wait until its field shows a final text.
    bool done = false;
    while (!done && GetTickCount() - started < 240000) {
        Sleep(200);
        if (HWND box = FindMessageBox(processId, "Disk Benchmark Error")) {
            Fail("the disk benchmark failed: the error box appeared");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        std::string disk = TextOf(dialog, IDC_DISK_RESULT, 100);
        bool progress = disk == "?" || disk == "..." || disk.rfind("Checking Disk", 0) == 0 ||
                        disk.find("write test...") != std::string::npos;
        done = !progress;
    }
    if (!done) Fail("Run All did not end within 240 s");
    std::printf("Run All took %lu ms\nPerformance Benchmarks:\n", GetTickCount() - started);
    ExpectText(dialog, IDC_CPU_SPEED_RESULT, "CPU Speed", "[0-9]+(\\.[0-9]+)? GHz");
    ExpectText(dialog, IDC_FLOPS_RESULT, "CPU FLOPS", "[0-9]+ (Mega|Giga|Tera)flops");
    ExpectText(dialog, IDC_MEMORY_RESULT, "Mem Bandwidth", "[0-9]+ (MB|GB)/second");
    ExpectText(dialog, IDC_DISK_RESULT, "Disk Transfer", "[0-9]+ (MB|GB)/second");
    ExpectText(dialog, IDC_STATUS_LINE, "Status line",
               "Time Stamp:  [^ ]+ [0-9]{1,2}, [0-9]{4} at [0-9]{1,2}:[0-9]{2}:[0-9]{2}");
}

void OpenAndCloseAbout(HWND dialog, DWORD processId) {
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND box = nullptr;
    for (int i = 0; i < 100 && !box; ++i) {
        Sleep(50);
        box = FindMessageBox(processId, "About Kelvane");
    }
    if (!box) {
        Fail("the About box did not appear");
        return;
    }
    char text[512] = "";
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    if (!std::regex_search(std::string(text), std::regex("^Kelvane 0\\.4\r?\n")) ||
        !std::regex_search(std::string(text),
                           std::regex("Build Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}  Time: "
                                      "[0-9]{2}:[0-9]{2}:[0-9]{2}$")))
        Fail("the About box reads '%s'", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
    if (IsWindow(box)) Fail("the About box did not close");
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

    HWND dialog = nullptr;
    for (int i = 0; i < 300 && !dialog; ++i) {
        dialog = FindProcessWindow(process.dwProcessId, nullptr);
        if (!dialog) Sleep(50);
    }
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
    CheckSystemInformation(dialog);
    if (std::getenv("KELVANE_E2E_NO_RUN") == nullptr) RunAllTests(dialog, process.dwProcessId);
    OpenAndCloseAbout(dialog, process.dwProcessId);

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
