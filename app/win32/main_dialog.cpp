#include "app/win32/main_dialog.h"

#include <commctrl.h>

#include "app/controller.h"
#include "app/dialog_host.h"
#include "res/resource.h"
#include "ui/win32/custom_labels.h"

namespace {

constexpr int kMaxChildren = 1024;

class Win32DialogHost final : public DialogHost {
public:
    HWND dialog = nullptr;

    void SetCaption(const char* text) override { SetWindowTextA(dialog, text); }
    void SetSmallIcon() override {
        SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_ASTERISK)));
    }
    void ApplyDialogFont() override {
        HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
        HWND child = GetWindow(dialog, GW_CHILD);
        for (int i = 0; child && i < kMaxChildren; ++i) {
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
            UpdateWindow(child);
            child = GetWindow(child, GW_HWNDNEXT);
        }
    }
    void InstallStatusLine(int id) override { InstallLabelProc(Item(id), StatusLabelProc); }
    void InstallLink(int id) override { InstallLabelProc(Item(id), LinkLabelProc); }
    void CenterOnDesktop() override { CenterWindow(dialog, nullptr); }

    void SetText(int id, const char* text) override { SetWindowTextA(Item(id), text); }
    void GetText(int id, char* out, size_t capacity) override {
        if (!out || capacity == 0) return;
        out[0] = '\0';
        GetWindowTextA(Item(id), out, static_cast<int>(capacity));
    }
    void Repaint(int id) override {
        HWND item = Item(id);
        InvalidateRect(item, nullptr, TRUE);
        UpdateWindow(item);
    }
    void Invalidate(int id) override { InvalidateRect(Item(id), nullptr, TRUE); }
    void Enable(int id, bool enabled) override { EnableWindow(Item(id), enabled); }
    void SetToolTip(int id, const char* text) override {
        HWND control = Item(id);
        if (!control) return;
        if (!tooltip_) {
            tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
            if (!tooltip_) return;
            // A width makes the tip honour the line breaks of the longer lists.
            SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
            SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
        }
        // Static fields are transparent to the mouse, so the tool is the field's rectangle
        // on the dialog, which does receive the pointer's moves.
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = dialog;
        info.uId = static_cast<UINT_PTR>(id);
        GetWindowRect(control, &info.rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&info.rect), 2);
        info.lpszText = const_cast<char*>(text);
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    void Focus(int id) override { SetFocus(Item(id)); }

    int AppendListItem(int id, const char* text) override {
        return static_cast<int>(
            SendMessageA(Item(id), CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
    }
    void SelectListItem(int id, int index) override {
        SendMessageA(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    void GetSelectedListText(int id, char* out, size_t capacity) override {
        if (!out || capacity == 0) return;
        out[0] = '\0';
        HWND list = Item(id);
        LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) return;
        // CB_GETLBTEXT knows no buffer size: check the length first.
        LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR || static_cast<size_t>(length) >= capacity) return;
        SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(out));
    }

    void StartTimer(int timerId, unsigned milliseconds) override {
        SetTimer(dialog, static_cast<UINT_PTR>(timerId), milliseconds, nullptr);
    }
    void StopTimer(int timerId) override { KillTimer(dialog, static_cast<UINT_PTR>(timerId)); }
    void ShowMessage(const char* text, const char* caption, MessageIcon icon) override {
        UINT style = MB_TASKMODAL;
        switch (icon) {
            case MessageIcon::kInformation:
                style |= MB_ICONINFORMATION;
                break;
            case MessageIcon::kError:
                style |= MB_ICONERROR;
                break;
            case MessageIcon::kWarning:
                style |= MB_ICONWARNING;
                break;
        }
        MessageBoxA(nullptr, text, caption, style);
    }
    void AddSystemMenuEntry(int commandId, const char* text) override {
        HMENU menu = GetSystemMenu(dialog, FALSE);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(commandId), text);
    }
    void DiscardQueuedInput() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        }
        while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
    }
    void EndDialog(int result) override { ::EndDialog(dialog, result); }

private:
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    HWND tooltip_ = nullptr;  // a child of the dialog: destroyed with it
};

struct Win32MainDialog {
    Win32DialogHost host;
    MainDialog controller;
};

Win32MainDialog* DialogOf(HWND dialog) {
    return reinterpret_cast<Win32MainDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

}  // namespace

INT_PTR RunMainDialog(HINSTANCE instance) {
    Win32MainDialog state;
    state.controller = MakeMainDialog(state.host);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc,
                           reinterpret_cast<LPARAM>(&state));
}

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<Win32MainDialog*>(lParam);
        if (!state) return 1;
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        state->host.dialog = dialog;
        OnDialogOpened(&state->controller);
        return 1;
    }
    Win32MainDialog* state = DialogOf(dialog);
    if (!state) return 0;
    switch (message) {
        case WM_COMMAND:
            return OnDialogCommand(&state->controller, static_cast<uint32_t>(wParam));
        case WM_TIMER:
            OnDialogTimer(&state->controller, static_cast<int>(wParam));
            return 0;
        case WM_INITMENUPOPUP:
            OnDialogMenuPopup(&state->controller);
            return 0;
        case WM_SYSCOMMAND:
            OnDialogSystemCommand(&state->controller, static_cast<uint32_t>(wParam));
            return 0;
        default:
            return 0;
    }
}

void CenterWindow(HWND window, HWND over) {
    if (!window) return;
    if (!over || !IsWindowVisible(over) || IsIconic(over)) over = GetDesktopWindow();
    RECT windowRect, overRect;
    GetWindowRect(window, &windowRect);
    GetWindowRect(over, &overRect);
    int x = overRect.left + (overRect.right - overRect.left) / 2 -
            (windowRect.right - windowRect.left) / 2;
    int y = overRect.top + (overRect.bottom - overRect.top) / 2 -
            (windowRect.bottom - windowRect.top) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE);
}
