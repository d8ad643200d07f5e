// Entry of Kelvane.exe: common controls, the test duration, dialog 4000.
#include <windows.h>

#include <commctrl.h>

#include "app/duration.h"
#include "app/win32/main_dialog.h"

namespace {

// A benchmark holds the dialog's thread for seconds; after five the system would swap the
// dialog for a frozen copy marked "Not Responding", which hides the progress texts the run
// paints and takes the clicks meant for the dialog. The function is missing before
// Windows XP, so it is looked up by name.
void KeepDialogWhileBusy() {
    using DisableGhostingFn = void(WINAPI*)();
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto disable = user32 ? reinterpret_cast<DisableGhostingFn>(reinterpret_cast<void*>(
                                GetProcAddress(user32, "DisableProcessWindowsGhosting")))
                          : nullptr;
    if (disable) disable();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    KeepDialogWhileBusy();
    InitCommonControls();
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = 8;
    classes.dwICC = 0xFF;  // ICC_LISTVIEW_CLASSES to ICC_ANIMATE_CLASS
    InitCommonControlsEx(&classes);

    SetTestDurationFromCommandLine(commandLine);

    INT_PTR result = RunMainDialog(instance);
    if (result == -1) {
        MessageBoxA(GetDesktopWindow(), "Could not create main window", "Kelvane", MB_OK);
        return 0;
    }
    return 1;
}
