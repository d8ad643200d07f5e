// The dialog's two self-painted labels: the engraved status line and the web link.
#pragma once

#include <windows.h>

// A font derived from the standard GUI font for a window at `dpi` (0: the screen's): from
// `standard`, the font the dialog gave the control for that dpi, or where there is none
// from DEFAULT_GUI_FONT grown from the screen's dpi to `dpi`. Only the standard font's face
// and height are kept (the height where `points` is 0). The standard font itself when
// that fails.
HFONT CreateGuiFont(const char* face, int points, bool bold, bool italic, bool underline,
                    int dpi = 0, HFONT standard = nullptr);

LRESULT CALLBACK StatusLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Subclasses `label` with `procedure`, keeping the previous one in its user-data slot,
// and sends the one-time initialisation message.
void InstallLabelProc(HWND label, WNDPROC procedure);
