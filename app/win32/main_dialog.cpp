#include "app/win32/main_dialog.h"

#include <commctrl.h>

#include "app/controller.h"
#include "app/dialog_host.h"
#include "app/dialog_layout.h"
#include "platform/month_name.h"
#include "res/resource.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/custom_labels.h"
#include "ui/win32/dpi.h"

namespace {

constexpr int kMaxChildren = 1024;
constexpr int kMaxPlacedChildren = 64;

int WidestLine(HDC dc, HFONT font, const char* text) {
    HGDIOBJ old = SelectObject(dc, font);
    RECT need = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    return need.right;
}

// A font against which another is judged: the one the controls had at `dpi`.
struct ReferenceFont {
    HFONT font;
    int dpi;
};

// Whether `font` at `dpi` shows every label of `dialog` on one line, whole, and no
// field's text wider than in the reference font grown with the dpi (the fields' texts
// were fitted in it). Where the system substitutes a wider face for the standard font,
// or rounds its height up at a higher dpi, the template's labels no longer fit their
// controls ("Memory (RAM):" loses a word to a second line that the control has no room
// for); hinted letters and digits do not grow in proportion to the dpi.
bool TextsFit(HWND dialog, HFONT font, int dpi, ReferenceFont reference) {
    HDC screen = GetDC(nullptr);
    bool fit = true;
    HWND child = GetWindow(dialog, GW_CHILD);
    for (int i = 0; fit && child && i < kMaxChildren; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "", text[260] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") != 0 || GetWindowTextA(child, text, sizeof text) == 0)
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT) {
            RECT room;
            GetClientRect(child, &room);
            fit = WidestLine(screen, font, text) <= room.right - room.left;
        } else if (IsValueField(child) && dpi != reference.dpi) {
            fit = WidestLine(screen, font, text) <=
                  MulDiv(WidestLine(screen, reference.font, text), dpi, reference.dpi) + 1;
        }
    }
    ReleaseDC(nullptr, screen);
    return fit;
}

// The width of the alphabet in `font`.
int LetterExtent(HFONT font) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(screen, kLetters, static_cast<int>(sizeof kLetters - 1), &extent);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return extent.cx;
}

// The controls' font at `dpi`: the reference font grown with the dpi (at first the
// stock standard GUI font at the system's dpi, which is kept where it fits), made a
// pixel smaller at a time while the texts do not fit or its letters are wider than the
// reference's grown with the dpi.
HFONT FitControlFont(HWND dialog, int dpi, ReferenceFont reference) {
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!reference.font) reference = {stock, SystemDpi()};
    if (dpi == reference.dpi && TextsFit(dialog, reference.font, dpi, reference))
        return reference.font;
    LOGFONTA description;
    if (GetObjectA(reference.font, sizeof description, &description) == 0) return reference.font;
    int height = MulDiv(description.lfHeight, dpi, reference.dpi);
    int maxExtent =
        dpi == reference.dpi ? 0 : MulDiv(LetterExtent(reference.font), dpi, reference.dpi);
    for (int attempt = 0; attempt < 8; ++attempt) {
        description.lfHeight = height;
        HFONT font = CreateFontIndirectA(&description);
        if (!font) return reference.font;
        bool fits = TextsFit(dialog, font, dpi, reference) &&
                    (maxExtent == 0 || LetterExtent(font) <= maxExtent);
        if (fits || attempt == 7 || height == -1 || height == 1) return font;
        DeleteObject(font);
        height += height < 0 ? 1 : -1;
    }
    return reference.font;
}

// The widest time stamp of the user's month names in `font`, with the pixel the
// engraved copy adds on the right.
int WidestTimeStamp(HFONT font) {
    HDC screen = GetDC(nullptr);
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        char name[64] = "", stamp[160] = "";
        GetMonthName(month, name, sizeof name);
        FormatLongestTimeStamp(name, stamp, sizeof stamp);
        int width = WidestLine(screen, font, stamp);
        if (width > widest) widest = width;
    }
    ReleaseDC(nullptr, screen);
    return widest + 1;
}

struct ChildPlace {
    HWND child;
    RECT rect;  // in the dialog's client area, at the dpi the layout was made for
};

class Win32DialogHost final : public DialogHost {
  public:
    HWND dialog = nullptr;

    void SetCaption(const char* text) override { SetWindowTextA(dialog, text); }
    void SetSmallIcon() override {
        SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_ASTERISK)));
    }
    void ApplyDialogFont() override {
        layoutDpi = WindowDpi(dialog);
        RecordPlaces();
        KeepDialogLayoutOnDpiChange(dialog);
        SendControlFont(FitControlFont(dialog, layoutDpi, {nullptr, 0}));
        layoutFont = controlFont;
    }

    // The dialog moved to a screen of another dpi: the suggested frame, the controls at
    // their places scaled from the opening layout, fonts (and the labels' cursor) anew.
    void ChangeDpi(int dpi, const RECT* suggested) {
        if (dpi <= 0) return;
        if (suggested)
            SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        for (int i = 0; i < placeCount; ++i) {
            const RECT& r = places[i].rect;
            MoveWindow(places[i].child, MulDiv(r.left, dpi, layoutDpi),
                       MulDiv(r.top, dpi, layoutDpi), MulDiv(r.right - r.left, dpi, layoutDpi),
                       MulDiv(r.bottom - r.top, dpi, layoutDpi), FALSE);
        }
        SendControlFont(dpi == layoutDpi ? layoutFont
                                         : FitControlFont(dialog, dpi, {layoutFont, layoutDpi}));
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageA(child, WM_DPICHANGED_AFTERPARENT, static_cast<WPARAM>(dpi), 0);
        FitStatusLine();
        MoveToolTipsWithFields();
        InvalidateRect(dialog, nullptr, TRUE);
    }

    // The tips are rectangles of the dialog: they follow their fields to new places.
    void MoveToolTipsWithFields() {
        if (!tooltip_) return;
        const int count = static_cast<int>(SendMessageA(tooltip_, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TOOLINFOA info = {};
            info.cbSize = sizeof info;
            if (!SendMessageA(tooltip_, TTM_ENUMTOOLSA, static_cast<WPARAM>(i),
                              reinterpret_cast<LPARAM>(&info)))
                continue;
            HWND control = Item(static_cast<int>(info.uId));
            if (!control) continue;
            FieldRectOnDialog(control, &info.rect);
            SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
        }
    }

    void FieldRectOnDialog(HWND control, RECT* rect) {
        GetWindowRect(control, rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(rect), 2);
    }

    void ReleaseControlFonts() {
        ReleaseStatusFont();
        ReleaseControlFont();
        if (layoutFont && layoutFont != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(layoutFont);
        layoutFont = nullptr;
    }
    void InstallStatusLine(int id) override {
        InstallLabelProc(Item(id), StatusLabelProc);
        FitStatusLine();
    }

    // The template's status line was measured in one font; the face the system puts in
    // its place, or the month names of the user's language, can be wider, and the last
    // figures of the time stamp would be cut. It grows toward "Run All Tests" as far as
    // it needs and may; where that is not enough, its font is made a pixel smaller at a
    // time.
    void FitStatusLine() {
        // Called just after the controls' font was given: a smaller one made earlier is
        // no longer in use.
        ReleaseStatusFont();
        HWND status = Item(IDC_STATUS_LINE), runAll = Item(IDC_RUN_ALL);
        if (!status) return;
        RECT place;
        GetWindowRect(status, &place);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
        int room = place.right - place.left;
        if (runAll) {
            RECT button;
            GetWindowRect(runAll, &button);
            MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&button), 2);
            room = button.left - MulDiv(2, WindowDpi(dialog), 96) - place.left;
        }
        auto paintFont = [status] {
            return reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0));
        };
        int need = WidestTimeStamp(paintFont());
        LOGFONTA description;
        if (need > room && controlFont &&
            GetObjectA(controlFont, sizeof description, &description) != 0) {
            for (int attempt = 0; attempt < 8 && need > room; ++attempt) {
                if (description.lfHeight == -1 || description.lfHeight == 1) break;
                description.lfHeight += description.lfHeight < 0 ? 1 : -1;
                HFONT smaller = CreateFontIndirectA(&description);
                if (!smaller) break;
                SendMessageA(status, WM_SETFONT, reinterpret_cast<WPARAM>(smaller), TRUE);
                ReleaseStatusFont();
                statusFont = smaller;
                need = WidestTimeStamp(paintFont());
            }
        }
        const int width = place.right - place.left;
        if (need > width)
            SetWindowPos(status, nullptr, 0, 0, need < room ? need : room, place.bottom - place.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
            tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
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
        FieldRectOnDialog(control, &info.rect);
        info.lpszText = const_cast<char*>(text);
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    void Focus(int id) override { SetFocus(Item(id)); }

    int AppendListItem(int id, const char* text) override {
        return static_cast<int>(SendMessageA(Item(id), CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(text)));
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

    void ReleaseStatusFont() {
        if (statusFont) DeleteObject(statusFont);
        statusFont = nullptr;
    }

    // The font of the opening layout stays until the dialog ends; a later one goes when
    // the next replaces it.
    void ReleaseControlFont() {
        if (controlFont && controlFont != GetStockObject(DEFAULT_GUI_FONT) &&
            controlFont != layoutFont)
            DeleteObject(controlFont);
        controlFont = nullptr;
    }

    void SendControlFont(HFONT font) {
        HWND child = GetWindow(dialog, GW_CHILD);
        for (int i = 0; child && i < kMaxChildren; ++i) {
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1);
            UpdateWindow(child);
            child = GetWindow(child, GW_HWNDNEXT);
        }
        ReleaseControlFont();
        controlFont = font;
    }

    void RecordPlaces() {
        placeCount = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child && placeCount < kMaxPlacedChildren;
             child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            // A drop-down list's height is that of its open list.
            RECT dropped;
            if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0,
                             reinterpret_cast<LPARAM>(&dropped)) &&
                dropped.bottom > dropped.top)
                r.bottom = r.top + (dropped.bottom - dropped.top);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            places[placeCount++] = {child, r};
        }
    }

    HFONT controlFont = nullptr;  // the controls' font now; ours unless it is the stock font
    HFONT layoutFont = nullptr;   // the controls' font at the opening dpi
    HFONT statusFont = nullptr;   // a smaller one for the status line, where it needs one
    int layoutDpi = 96;
    ChildPlace places[kMaxPlacedChildren] = {};
    int placeCount = 0;
    HWND tooltip_ = nullptr;  // a child of the dialog: destroyed with it
};

struct Win32MainDialog {
    Win32DialogHost host;
    MainDialog controller;
    FieldNames fieldNames = {nullptr, 0};
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

HWND OpenMainDialog(HINSTANCE instance) {
    auto* state = new Win32MainDialog;
    state->controller = MakeMainDialog(state->host);
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc,
                                     reinterpret_cast<LPARAM>(state));
    if (!dialog) delete state;
    return dialog;
}

void CloseMainDialog(HWND dialog) {
    Win32MainDialog* state = DialogOf(dialog);
    DestroyWindow(dialog);
    delete state;
}

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<Win32MainDialog*>(lParam);
        if (!state) return 1;
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        state->host.dialog = dialog;
        OnDialogOpened(&state->controller);
        NameValueFields(dialog, &state->fieldNames);
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
        case WM_DPICHANGED:
            state->host.ChangeDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 1;
        case WM_DESTROY:
            ForgetValueFieldNames(dialog, &state->fieldNames);
            state->host.ReleaseControlFonts();
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
