// Entry of Kelvane.exe: common controls, the test duration, dialog 4000.
#include <windows.h>
#include <commctrl.h>

#include "app/duration.h"
#include "app/win32/main_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
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
