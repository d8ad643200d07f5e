#include "ui/win32/custom_labels.h"

#include "res/hand_cursor.h"
#include "ui/cursor_image.h"
#include "ui/label_rules.h"
#include "ui/win32/dpi.h"

namespace {

// One status line and one link per process; each procedure owns its set.
struct LabelState {
    char text[kLabelTextSize];
    HFONT font;
    HCURSOR cursor;  // the link's hand
    HFONT standard;  // the font the dialog gave the control; nullptr: DEFAULT_GUI_FONT
    int dpi;         // the dpi the font and cursor were made for
};
LabelState s_status;
LabelState s_link;

COLORREF ToColorRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

// The label's font by its rule, at the dpi and from the font the dialog gave the label.
HFONT CreateFontFor(const LabelState& state, const GuiFontRequest& request) {
    return CreateGuiFont(request.face, request.points, request.bold, request.italic,
                         request.underline, state.dpi, state.standard);
}

// The hand at the cursor size of `dpi`; the 32 x 32 image itself where that is the size.
HCURSOR CreateHandCursor(int dpi) {
    int size = CursorSizeForDpi(dpi);
    if (size == KELVANE_HAND_CURSOR_SIZE || size > kMaxCursorSize)
        return CreateCursor(GetModuleHandleA(nullptr), KELVANE_HAND_CURSOR_HOT_X,
                            KELVANE_HAND_CURSOR_HOT_Y, KELVANE_HAND_CURSOR_SIZE,
                            KELVANE_HAND_CURSOR_SIZE, kHandCursorAnd, kHandCursorXor);
    uint8_t andPlane[CursorPlaneBytes(kMaxCursorSize)];
    uint8_t xorPlane[CursorPlaneBytes(kMaxCursorSize)];
    ScaleCursorPlane(kHandCursorAnd, KELVANE_HAND_CURSOR_SIZE, size, true, andPlane);
    ScaleCursorPlane(kHandCursorXor, KELVANE_HAND_CURSOR_SIZE, size, false, xorPlane);
    return CreateCursor(
        GetModuleHandleA(nullptr),
        ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_X, KELVANE_HAND_CURSOR_SIZE, size),
        ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_Y, KELVANE_HAND_CURSOR_SIZE, size), size,
        size, andPlane, xorPlane);
}

void DrawLabelText(HDC dc, HWND window, const char* text, RECT rc, Rgb colour) {
    UINT format =
        static_cast<UINT>(GetWindowLongA(window, GWL_STYLE)) & SS_CENTER ? DT_CENTER : DT_LEFT;
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
    // A failed creation leaves the standard font in use, which is not ours to delete.
    if (state->font && state->font != GetStockObject(DEFAULT_GUI_FONT) &&
        state->font != state->standard)
        DeleteObject(state->font);
    state->font = nullptr;
}

// The font the dialog gave the control before it was subclassed, as the static control
// keeps it.
HFONT FontBeforeSubclassing(HWND window) {
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return previous ? reinterpret_cast<HFONT>(CallWindowProcA(previous, window, WM_GETFONT, 0, 0))
                    : nullptr;
}

// A new standard font or dpi: the paint font, and the link's cursor, are made again.
// `dpi` 0: the window's own.
void Refit(HWND window, LabelState* state, HFONT standard, const GuiFontRequest& request,
           bool withCursor, int dpi = 0) {
    bool hadFont = state->font != nullptr;
    ForgetFont(state);
    state->standard = standard;
    state->dpi = dpi > 0 ? dpi : WindowDpi(window);
    if (hadFont) state->font = CreateFontFor(*state, request);
    if (withCursor && state->cursor) {
        DestroyCursor(state->cursor);
        state->cursor = CreateHandCursor(state->dpi);
    }
    InvalidateRect(window, nullptr, TRUE);
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

HFONT CreateGuiFont(const char* face, int points, bool bold, bool italic, bool underline, int dpi,
                    HFONT standard) {
    HFONT base = standard ? standard : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA standardFont;
    if (GetObjectA(base, sizeof standardFont, &standardFont) == 0) return base;
    const int screenDpi = SystemDpi();
    if (dpi <= 0) dpi = screenDpi;
    // The stock font is made for the screen; a font the dialog gave is made for `dpi`.
    const int height =
        standard ? standardFont.lfHeight : MulDiv(standardFont.lfHeight, dpi, screenDpi);
    GuiFontDescription font = DescribeGuiFont({face, points, bold, italic, underline},
                                              standardFont.lfFaceName, height, dpi);
    HFONT created = CreateFontA(font.height, 0, 0, 0, font.weight, font.italic, font.underline,
                                FALSE, font.symbolCharset ? SYMBOL_CHARSET : DEFAULT_CHARSET,
                                OUT_TT_PRECIS, 0, 0, 0, font.face);
    return created ? created : base;
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
            if (!s_status.font) {
                s_status.standard = FontBeforeSubclassing(window);
                s_status.dpi = WindowDpi(window);
                s_status.font = CreateFontFor(s_status, kStatusFont);
            }
            break;
        case WM_SETFONT:
            Refit(window, &s_status, reinterpret_cast<HFONT>(wParam), kStatusFont, false);
            break;
        case WM_DPICHANGED_AFTERPARENT:  // wParam: the new dpi when the dialog sends it, else 0
            Refit(window, &s_status, s_status.standard, kStatusFont, false, LOWORD(wParam));
            break;
        case WM_SETTEXT:
            CopyLabelText(s_status.text, reinterpret_cast<const char*>(lParam));
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT:
            return PaintLabel(window, s_status, true);
        case WM_GETFONT:  // the font it paints with, for whoever measures its text
            return reinterpret_cast<LRESULT>(s_status.font);
        case WM_DESTROY:
            RestorePreviousProc(window);
            ForgetFont(&s_status);
            s_status.standard = nullptr;
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
            if (!s_link.cursor || !s_link.font) {
                s_link.standard = FontBeforeSubclassing(window);
                s_link.dpi = WindowDpi(window);
            }
            if (!s_link.cursor) s_link.cursor = CreateHandCursor(s_link.dpi);
            if (!s_link.font) s_link.font = CreateFontFor(s_link, kLinkFont);
            break;
        case WM_SETFONT:
            Refit(window, &s_link, reinterpret_cast<HFONT>(wParam), kLinkFont, false);
            break;
        case WM_DPICHANGED_AFTERPARENT:
            Refit(window, &s_link, s_link.standard, kLinkFont, true, LOWORD(wParam));
            break;
        case WM_SETTEXT:
            CopyLabelText(s_link.text, reinterpret_cast<const char*>(lParam));
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT:
            return PaintLabel(window, s_link, false);
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(s_link.font);
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
            s_link.standard = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
