// Dialog 4000 on Win32: the dialog procedure that hands its messages to the controller.
#pragma once

#include <windows.h>

// Runs the main dialog modally; returns what DialogBoxParamA returns (-1: not created).
INT_PTR RunMainDialog(HINSTANCE instance);

// The same dialog without its modal loop, for tests that look inside it.
HWND OpenMainDialog(HINSTANCE instance);
void CloseMainDialog(HWND dialog);

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves `window`, keeping its size, so that its centre lies on the centre of `over`;
// the desktop stands in for an absent, hidden or minimised `over`.
void CenterWindow(HWND window, HWND over);
