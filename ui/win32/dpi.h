// Dots per inch of a window and what depends on them, through the user32 functions that
// newer systems have, looked up at run time so the program still starts where they are
// missing (then the system's dpi stands in for every window's).
#pragma once

#include <windows.h>

// Newer than the headers' target system; the messages simply never come on older ones.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

int SystemDpi();
int WindowDpi(HWND window);
// The side of a cursor image at `dpi`, in pixels.
int CursorSizeForDpi(int dpi);
// Leaves a dialog's layout and fonts to its own procedure when its dpi changes.
void KeepDialogLayoutOnDpiChange(HWND dialog);
