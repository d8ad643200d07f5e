#include "ui/win32/custom_labels.h"

#include "res/hand_cursor.h"
#include "ui/label_rules.h"

namespace {

// One status line and one link per process; each procedure owns its set.
struct LabelState {
    char text[kLabelTextSize];
    HFONT font;
    HCURSOR cursor;  // the link's hand
};
LabelState s_status;
LabelState s_link;

COLORREF ToColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

HFONT CreateFontFor(const GuiFontRequest& request) {
    return CreateGuiFont(request.face, request.points, request.bold, request.italic,
                         request.underline);
}

void DrawLabelText(HDC dc, HWND window, const char* text, RECT rc, Rgb colour) {
    UINT format = static_cast<UINT>(GetWindowLongA(window, GWL_STYLE)) & SS_CENTER ? DT_CENTER : DT_LEFT;
    SetTextColor(dc, ToColorRef(colour));
    DrawTextA(dc, text, -1, &rc, format);
}

// Face-coloured background a pixel beyond the client area, then the text; the status
// line draws a white copy under grey text one pixel up and left.
LRESULT PaintLabel(HWND window, const LabelState& state, bool engraved) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rc;
    GetClientRect(window, &rc);

    HPEN pen = CreatePen(PS_NULL, 0, GetSysColor(COLOR_BTNFACE));
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, rc.left - 1, rc.top - 1, rc.right + 2, rc.bottom + 2);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);

    HGDIOBJ oldFont = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (engraved) {
        DrawLabelText(dc, window, state.text, rc, kEngravedHighlight);
        OffsetRect(&rc, -1, -1);
        DrawLabelText(dc, window, state.text, rc, kEngravedText);
    } else {
        DrawLabelText(dc, window, state.text, rc, kLinkColour);
    }
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
    return 0;
}

void RestorePreviousProc(HWND window) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, GetWindowLongPtrA(window, GWLP_USERDATA));
}

void ForgetFont(LabelState* state) {
    if (state->font && state->font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(state->font);
    state->font = nullptr;
}

void SetHandCursor() {
    SetCursor(s_link.cursor ? s_link.cursor : LoadCursorA(nullptr, IDC_ARROW));
}

void OpenLink() {
    if (!OpenMakerWebsite())
        MessageBoxA(nullptr, kLinkFailureText, kLinkFailureCaption,
                    MB_TOPMOST | MB_SETFOREGROUND | MB_TASKMODAL | MB_ICONWARNING);
}

}  // namespace

HFONT CreateGuiFont(const char* face, int points, bool bold, bool italic, bool underline) {
    HFONT standard = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA standardFont;
    if (GetObjectA(standard, sizeof standardFont, &standardFont) == 0) return standard;
    HDC screen = GetDC(nullptr);
    GuiFontDescription font = DescribeGuiFont({face, points, bold, italic, underline},
                                              standardFont.lfFaceName, standardFont.lfHeight,
                                              GetDeviceCaps(screen, LOGPIXELSY));
    HFONT created = CreateFontA(font.height, 0, 0, 0, font.weight, font.italic, font.underline,
                                FALSE, font.symbolCharset ? SYMBOL_CHARSET : DEFAULT_CHARSET,
                                OUT_TT_PRECIS, 0, 0, 0, font.face);
    ReleaseDC(nullptr, screen);
    return created ? created : standard;
}

void InstallLabelProc(HWND label, WNDPROC procedure) {
    if (!label) return;
    SetWindowLongPtrA(label, GWLP_USERDATA, GetWindowLongPtrA(label, GWLP_WNDPROC));
    SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SendMessageA(label, WM_COPY, 0, 0);
}

LRESULT CALLBACK StatusLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPY:
            if (!s_status.font) s_status.font = CreateFontFor(kStatusFont);
            break;
        case WM_SETTEXT:
            CopyLabelText(s_status.text, reinterpret_cast<const char*>(lParam));
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT:
            return PaintLabel(window, s_status, true);
        case WM_DESTROY:
            RestorePreviousProc(window);
            ForgetFont(&s_status);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (GetWindowLongPtrA(window, GWLP_USERDATA) == 0)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_COPY:
            if (!s_link.cursor)
                s_link.cursor = CreateCursor(GetModuleHandleA(nullptr), KELVANE_HAND_CURSOR_HOT_X,
                                             KELVANE_HAND_CURSOR_HOT_Y, KELVANE_HAND_CURSOR_SIZE,
                                             KELVANE_HAND_CURSOR_SIZE, kHandCursorAnd, kHandCursorXor);
            if (!s_link.font) s_link.font = CreateFontFor(kLinkFont);
            break;
        case WM_SETTEXT:
            CopyLabelText(s_link.text, reinterpret_cast<const char*>(lParam));
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT:
            return PaintLabel(window, s_link, false);
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            SetHandCursor();
            break;
        case WM_LBUTTONUP:
            OpenLink();
            break;
        case WM_DESTROY:
            RestorePreviousProc(window);
            if (s_link.cursor) DestroyCursor(s_link.cursor);
            s_link.cursor = nullptr;
            ForgetFont(&s_link);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
