#include "app/win32/main_dialog.h"

#include <cstdio>

#include "res/resource.h"
#include "res/version.h"

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            char caption[260];
            std::snprintf(caption, sizeof caption, "Kelvane %s", KELVANE_VERSION_TEXT);
            SetWindowTextA(dialog, caption);
            return 1;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_CLOSE:
                case IDC_CANCEL:
                    EndDialog(dialog, 1);
                    break;
                default:
                    break;
            }
            return 1;
        default:
            return 0;
    }
}
