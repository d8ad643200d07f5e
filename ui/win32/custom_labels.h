// The dialog's two self-painted labels: the engraved status line and the web link.
#pragma once

#include <windows.h>

// A font derived from the standard GUI font; the standard font itself when that fails.
HFONT CreateGuiFont(const char* face, int points, bool bold, bool italic, bool underline);
// The same from `standard` at `dpi`: the height of `standard` (already made for that dpi)
// when `points` is 0.
HFONT CreateGuiFontFrom(HFONT standard, int dpi, const char* face, int points, bool bold,
                        bool italic, bool underline);

LRESULT CALLBACK StatusLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Subclasses `label` with `procedure`, keeping the previous one in its user-data slot,
// and sends the one-time initialisation message.
void InstallLabelProc(HWND label, WNDPROC procedure);
