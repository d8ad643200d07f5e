// Starts the real Kelvane.exe, checks its caption, reads every System Information field
// back, presses "Run All Tests" and checks each result, opens and closes the About box,
// takes the screenshot pause, presses Escape and expects exit status 1. The controls'
// places are checked in win32_dialog_fit_e2e, on the same dialog inside that process.
//   win32_dialog_e2e KELVANE_EXE [MARKER_DIR]
// With MARKER_DIR the driver writes MARKER_DIR\ready once the dialog is checked and
// waits up to 20 s for MARKER_DIR\shot, so a screenshot can be taken from outside.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <tuple>

#include "res/resource.h"
#include "tests/e2e/e2e_support.h"

namespace {

// Polls `done` every 50 ms for at most `ms` milliseconds.
template <typename Condition>
bool WaitFor(Condition done, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50))
        if (done()) return true;
    return done();
}

// A visible dialog-class window of the process; with a caption, only one that has it.
HWND FindProcessWindow(DWORD processId, const char* caption = nullptr) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window) &&
            (!caption || WindowText(window) == caption))
            return window;
    }
    return nullptr;
}

// WM_GETTEXT, as a user's tool would read it; a dialog busy with a benchmark does not
// answer, which gives "?" after `waitMs`.
std::string TextOf(HWND dialog, int id, UINT waitMs = 5000) {
    char text[512] = "";
    if (!SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, waitMs, nullptr))
        return "?";
    return text;
}

// A field's id, its name and the pattern its whole text matches.
using Field = std::tuple<int, const char*, const char*>;

const Field kSystemInformation[] = {
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
    {IDC_DRIVE_LIST, "Drive", ".+"},       // one selected
    {IDC_STATUS_LINE, "Status line", ""},  // no time stamp before the first run
};

const Field kBenchmarkResults[] = {
    {IDC_CPU_SPEED_RESULT, "CPU Speed", "[0-9]+(\\.[0-9]+)? GHz"},
    {IDC_FLOPS_RESULT, "CPU FLOPS", "[0-9]+ (Mega|Giga|Tera)flops"},
    {IDC_MEMORY_RESULT, "Mem Bandwidth", "[0-9]+ (MB|GB)/second"},
    {IDC_DISK_RESULT, "Disk Transfer", "[0-9]+ (MB|GB)/second"},
    {IDC_STATUS_LINE, "Status line",
     "Time Stamp:  [^ ]+ [0-9]{1,2}, [0-9]{4} at [0-9]{1,2}:[0-9]{2}:[0-9]{2}"},
};

template <size_t count>
void ExpectTexts(HWND dialog, const Field (&fields)[count]) {
    for (const auto& [id, name, pattern] : fields) {
        const std::string text = TextOf(dialog, id);
        if (!std::regex_match(text, std::regex(pattern)))
            Fail("%s reads '%s', which does not match %s", name, text.c_str(), pattern);
    }
}

void RunAllTests(HWND dialog, DWORD processId) {
    PostMessageA(GetDlgItem(dialog, IDC_RUN_ALL), BM_CLICK, 0, 0);
    // Run All ends with the disk: wait until its field shows a final text. It is empty
    // until the click is handled, which may come after the first look.
    auto done = [&] {
        if (HWND box = FindProcessWindow(processId, "Disk Benchmark Error")) {
            Fail("the disk benchmark failed: the error box appeared");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        const std::string disk = TextOf(dialog, IDC_DISK_RESULT, 100);
        return !disk.empty() && disk != "?" && disk != "..." &&
               disk.rfind("Checking Disk", 0) != 0 &&
               disk.find("write test...") == std::string::npos;
    };
    if (!WaitFor(done, 240000)) Fail("Run All did not end within 240 s");
    ExpectTexts(dialog, kBenchmarkResults);
}

void OpenAndCloseAbout(HWND dialog, DWORD processId) {
    PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindProcessWindow(processId, "About Kelvane")) != nullptr; },
                 5000))
        return Fail("the About box did not appear");
    const std::string text = WindowText(GetDlgItem(box, 0xFFFF));
    if (!std::regex_match(text,
                          std::regex("Kelvane 0\\.4\r?\n[\\s\\S]*Build Date: [A-Z][a-z]{2} "
                                     "[ 1-3][0-9] [0-9]{4}  Time: [0-9]{2}:[0-9]{2}:[0-9]{2}")))
        Fail("the About box reads '%s'", text.c_str());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (!WaitFor([&] { return !IsWindow(box); }, 5000)) Fail("the About box did not close");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: win32_dialog_e2e KELVANE_EXE [MARKER_DIR]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[1] + "\" 500";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process;
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("FAIL: cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }

    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindProcessWindow(process.dwProcessId)) != nullptr; },
                 15000)) {
        std::printf("FAIL: no dialog appeared within 15 s\n");
        TerminateProcess(process.hProcess, 99);
        return 1;
    }
    const std::string caption = WindowText(dialog);
    if (caption != "Kelvane 0.4") Fail("caption is '%s'", caption.c_str());
    ExpectTexts(dialog, kSystemInformation);
    if (std::getenv("KELVANE_E2E_NO_RUN") == nullptr) RunAllTests(dialog, process.dwProcessId);
    OpenAndCloseAbout(dialog, process.dwProcessId);

    if (argc > 2) {
        const std::string markers = argv[2];
        HANDLE ready = CreateFileA((markers + "\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
        if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
        const std::string shot = markers + "\\shot";
        WaitFor([&] { return GetFileAttributesA(shot.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000);
    }

    // Escape goes through the dialog manager, which turns it into command 2.
    SetForegroundWindow(dialog);
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(dialog, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    DWORD exitCode = 0;
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        Fail("Escape did not end the dialog within 15 s");
        TerminateProcess(process.hProcess, 99);
    } else if (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 1) {
        Fail("exit status %lu, expected 1", exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf(g_failures ? "%d failures\n" : "dialog checks passed\n", g_failures);
    return g_failures ? 1 : 0;
}
