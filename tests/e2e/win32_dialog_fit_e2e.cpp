// Opens the real dialog 4000 inside this process (same template, procedure and manifest
// as Kelvane.exe) and checks, at whatever dpi the Wine prefix has, that every control of
// the table is there with its id, class, text and place; that every text a control can
// hold is whole in it, measured with the font the control really draws with; that the
// value fields and the Run buttons carry the names of their rows for screen readers; and
// that the painted labels' fonts follow their rules and, with the hand cursor, a dpi
// change.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "app/dialog_layout.h"
#include "app/win32/main_dialog.h"
#include "platform/month_name.h"
#include "res/resource.h"
#include "tests/e2e/e2e_support.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/dpi.h"

namespace {

// Each control the dialog names for screen readers, by what a screen reader calls it (a
// value field after its label, the two CPU Speed fields and the four Run buttons after
// their rows), with the texts it must hold besides the template's longest: the progress
// texts, the other widest results and names.
struct NamedControl {
    int id;
    const wchar_t* name;
    const char* texts[8];
};
const NamedControl kNamedControls[] = {
    {IDC_CPU_SPEED_RESULT, L"CPU Speed (measured)", {"12.9999999 GHz", "Emitting RdTSC..."}},
    {IDC_RUN_CPU_SPEED, L"Run CPU Speed"},
    {IDC_FLOPS_RESULT,
     L"CPU FLOPS",
     {"4294 Teraflops", "999 Gigaflops", "999 Megaflops", "Whetstone 268435456 iterations..."}},
    {IDC_RUN_FLOPS, L"Run CPU FLOPS"},
    {IDC_MEMORY_RESULT,
     L"Mem Bandwidth",
     {"Checking Allocation Limit...", "2048 MB memory copy test..."}},
    {IDC_RUN_MEMORY, L"Run Mem Bandwidth"},
    {IDC_DISK_RESULT, L"Disk Transfer", {"Checking Disk C: ...", "65536 MB write test..."}},
    {IDC_RUN_DISK, L"Run Disk Transfer"},
    {IDC_CPU_DETAILS,
     L"CPU Details",
     {"Intel(R) Xeon(R) Platinum 8380HL CPU @ 2.90GHz\nIntel64 Family 6 Model 183 Stepping 15, "
      "GenuineIntel",
      "AMD Ryzen Threadripper PRO 7995WX 96-Cores\nAMD64 Family 26 Model 17 Stepping 1, "
      "AuthenticAMD"}},
    {IDC_CPU_FAMILY, L"CPU Family"},
    {IDC_CPU_MODEL, L"Model", {"B7/B7"}},
    {IDC_CPU_STEPPING, L"Stepping"},
    {IDC_INSTRUCTIONS, L"Instructions"},
    {IDC_NOMINAL_SPEED, L"CPU Speed (nominal)", {"10.00 GHz", "2.09 GHz"}},
    {IDC_VENDOR, L"Vendor", {"Intel", "AMD", "Hygon", "Centaur", "NexGen", "Other"}},
    {IDC_CORES, L"Cores"},
    {IDC_MEMORY, L"Memory (RAM)", {"1023.99 GB", "1023.99 MB"}},
    {IDC_VIDEO_MEMORY, L"Video Memory", {"49152 MB"}},
    {IDC_OS_VERSION,
     L"OS Version",
     {"  \"Windows 2003\" version 5.2.3790 Service Pack 2",
      "  \"Windows 11\" version 10.0.26100 "}},
};

HFONT FontOf(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

LOGFONTA LogFontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(FontOf(window), sizeof font, &font);
    return font;
}

// Where `window` lies in `parent`'s client area (on the screen for a null `parent`).
RECT PlaceIn(HWND window, HWND parent) {
    RECT place;
    GetWindowRect(window, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The room a control gives its text, and in `format` how it lays the text out.
RECT RoomOf(HWND control, const ControlTemplate& row, const TEXTMETRICA& metrics, UINT* format) {
    RECT room;
    GetClientRect(control, &room);
    *format = DT_SINGLELINE;
    if (row.kind == ControlKind::kButton) {
        // The focus rectangle and the 3-D edge take two pixels on each side.
        InflateRect(&room, -2 * GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    } else if (row.kind == ControlKind::kGroupBox) {
        // The caption starts one average letter in and has a blank on either side.
        room.right -= 3 * metrics.tmAveCharWidth;
        room.bottom = room.top + metrics.tmHeight;
    } else if (row.kind == ControlKind::kDropDownList) {
        room.right -= GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    } else if (row.kind == ControlKind::kStatusLine || row.kind == ControlKind::kLink) {
        // The engraved copy of the status line lies one pixel further right.
        if (row.kind == ControlKind::kStatusLine) room.right -= 1;
        *format = 0;
    } else {  // a label or a value field: a static control
        const bool wraps = (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        *format = wraps ? DT_WORDBREAK : 0;
    }
    return room;
}

// How far the drawn letters of a one-line `text` reach past its measured width: a
// right-aligned label is placed by its measured width, so anything beyond is cut off at
// the control's edge (Wine draws some small sizes wider than it measures them).
int InkBeyondExtent(HDC screen, HFONT font, const char* text) {
    HDC dc = CreateCompatibleDC(screen);  // black letters on an opaque white ground
    SelectObject(dc, font);
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    const int width = measured.right + 32, height = measured.bottom;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextA(dc, text, -1, &all, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    int rightmost = -1;
    for (int x = width - 1; x >= 0 && rightmost < 0; --x)
        for (int y = 0; y < height && rightmost < 0; ++y)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) rightmost = x;
    DeleteDC(dc);  // which lets go of the bitmap
    DeleteObject(bitmap);
    return rightmost + 1 - measured.right;
}

// Fails unless `text` is whole in `control`; the failure names the font the system gave.
void CheckText(HWND control, const ControlTemplate& row, const char* text) {
    HDC dc = GetDC(control);
    HFONT font = FontOf(control);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    char face[64] = "";
    GetTextFaceA(dc, sizeof face, face);
    UINT format;
    const RECT room = RoomOf(control, row, metrics, &format);
    const int roomWidth = room.right - room.left, roomHeight = room.bottom - room.top;
    RECT need = {0, 0, roomWidth, 0};
    DrawTextA(dc, text, -1, &need, format | DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    const int beyond = row.kind == ControlKind::kLabel ? InkBeyondExtent(dc, font, text) : 0;
    ReleaseDC(control, dc);

    // A line whose letters stand in the control is whole, even if its descenders
    // touch the border: the template's labels are a little lower than the font.
    int linesAllowed = roomHeight / metrics.tmHeight;
    if (linesAllowed < 1 && metrics.tmAscent <= roomHeight + 1) linesAllowed = 1;
    const int linesNeeded = (need.bottom + metrics.tmHeight - 1) / metrics.tmHeight;
    if (beyond > 0 || need.right > roomWidth || linesNeeded > linesAllowed)
        Fail("control %d cuts '%s' in '%s' %ld px: needs %ld x %ld (+%d ink), has %d x %d", row.id,
             text, face, metrics.tmHeight, need.right, need.bottom, beyond, roomWidth, roomHeight);
}

// Takes the annotations the dialog makes (Wine's own service answers every call with a
// failure): the names, roles and value servers asked for, by window. Its identity of a
// window is the handle itself.
class RecordedAnnotations final : public IAccPropServices {
  public:
    std::map<HWND, std::wstring> names;
    std::map<HWND, LONG> roles;
    std::map<HWND, IAccPropServer*> valueServers;

    HRESULT WINAPI QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                                  LPCWSTR text) override {
        if (Self(object, child) && IsEqualGUID(property, PROPID_ACC_NAME)) names[window] = text;
        return S_OK;
    }
    HRESULT WINAPI SetHwndProp(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                               VARIANT value) override {
        if (Self(object, child) && IsEqualGUID(property, PROPID_ACC_ROLE) && value.vt == VT_I4)
            roles[window] = value.lVal;
        return S_OK;
    }
    HRESULT WINAPI SetHwndPropServer(HWND window, DWORD object, DWORD child,
                                     const MSAAPROPID* properties, int count,
                                     IAccPropServer* server, AnnoScope) override {
        if (Self(object, child) && count == 1 && IsEqualGUID(properties[0], PROPID_ACC_VALUE))
            valueServers[window] = server;
        return S_OK;
    }
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                 AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHwndProps(HWND, DWORD, DWORD, const MSAAPROPID*, int) override {
        return S_OK;
    }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE* identity, DWORD size, HWND* window,
                                               DWORD* object, DWORD* child) override {
        std::memcpy(window, identity, sizeof *window);
        *object = static_cast<DWORD>(OBJID_CLIENT);
        *child = CHILDID_SELF;
        return size == sizeof *window ? S_OK : E_INVALIDARG;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                      AnnoScope) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override {
        return E_NOTIMPL;
    }
    static bool Self(DWORD object, DWORD child) {
        return object == static_cast<DWORD>(OBJID_CLIENT) && child == CHILDID_SELF;
    }
};

// The names the dialog asks the annotation service for, each control's and only theirs;
// the table's value fields, and only they, made read-only text fields whose value server
// answers their text now.
void CheckAnnotationCalls(HWND dialog) {
    RecordedAnnotations recorded;
    FieldValueServer values;
    values.services = &recorded;
    values.oleaut32 = GetModuleHandleA("oleaut32.dll");
    const int named = AnnotateControls(dialog, &recorded, &values);
    const int count = static_cast<int>(sizeof kNamedControls / sizeof kNamedControls[0]);
    if (named != count || static_cast<int>(recorded.names.size()) != count)
        Fail("%d controls named (%d names set), expected %d", named,
             static_cast<int>(recorded.names.size()), count);
    for (const auto& want : kNamedControls) {
        HWND control = GetDlgItem(dialog, want.id);
        if (recorded.names[control] != want.name)
            Fail("control %d is named '%ls', expected '%ls'", want.id,
                 recorded.names[control].c_str(), want.name);
        const bool field = FindControlTemplate(want.id)->kind == ControlKind::kValueField;
        VARIANT value = {};
        BOOL has = FALSE;
        if (IAccPropServer* server = recorded.valueServers[control])
            server->GetPropValue(reinterpret_cast<const BYTE*>(&control), sizeof control,
                                 PROPID_ACC_VALUE, &value, &has);
        wchar_t text[260] = L"";
        GetWindowTextW(control, text, 260);
        const bool textValue = has && value.vt == VT_BSTR && std::wcscmp(value.bstrVal, text) == 0;
        VariantClear(&value);
        if (field != (recorded.roles[control] == ROLE_SYSTEM_TEXT) || field != textValue)
            Fail("control %d is %sa text field valued its text", want.id, field ? "not " : "");
    }
}

// Every text `child` can show is whole: its template text, its text now, the longest
// each field holds, every month's widest time stamp, every drive.
void CheckTexts(HWND child, const ControlTemplate& row) {
    if (row.text[0] != '\0') CheckText(child, row, row.text);
    const std::string current = WindowText(child);
    if (!current.empty() && current != row.text) CheckText(child, row, current.c_str());
    for (size_t j = 0; j < kLongestFieldTextCount; ++j)
        if (kLongestFieldTexts[j].id == row.id) CheckText(child, row, kLongestFieldTexts[j].text);
    for (const auto& named : kNamedControls)
        for (const char* text : named.texts)
            if (named.id == row.id && text) CheckText(child, row, text);
    for (int month = 1; row.kind == ControlKind::kStatusLine && month <= 12; ++month) {
        char name[64] = "", stamp[160];
        GetMonthName(month, name, sizeof name);
        FormatLongestTimeStamp(name, stamp, sizeof stamp);
        CheckText(child, row, stamp);
    }
    const LRESULT items =
        row.kind == ControlKind::kDropDownList ? SendMessageA(child, CB_GETCOUNT, 0, 0) : 0;
    for (LRESULT item = 0; item < items; ++item) {
        char drive[64];
        if (SendMessageA(child, CB_GETLBTEXTLEN, item, 0) >= LRESULT{sizeof drive}) continue;
        SendMessageA(child, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(drive));
        CheckText(child, row, drive);
    }
}

// Where the template puts `row` in pixels: Windows maps its position and its size each on
// its own, so the right edge is not the mapped x + width.
RECT TemplatePlace(HWND dialog, const ControlTemplate& row) {
    RECT place = {row.x, row.y, row.width, row.height};
    MapDialogRect(dialog, &place);
    return RECT{place.left, place.top, place.left + place.right, place.top + place.bottom};
}

// Every control of the table in template order, each text whole in it; with `places`
// also its id, class and text, at its place. The status line may grow toward "Run All
// Tests" where the time stamp needs it.
void CheckDialog(HWND dialog, bool places) {
    const LONG runAllLeft = TemplatePlace(dialog, *FindControlTemplate(IDC_RUN_ALL)).left;
    // The window class of each ControlKind, in the enumeration's order.
    const char* const kClassOfKind[] = {"Static", "Static", "Button", "ComboBox",
                                        "Static", "Static", "Button"};
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (index++ >= kMainDialogControlCount) continue;
        const ControlTemplate& row = kMainDialogControls[index - 1];
        CheckTexts(child, row);
        if (!places) continue;
        const int id = static_cast<short>(GetDlgCtrlID(child));
        char className[64] = "";
        GetClassNameA(child, className, sizeof className);
        // The drive list and the link show what the machine and the dialog give them.
        const std::string text = WindowText(child);
        const bool textKept = row.kind == ControlKind::kDropDownList ||
                              row.kind == ControlKind::kLink || row.text[0] == '\0' ||
                              text == row.text;
        const RECT want = TemplatePlace(dialog, row), got = PlaceIn(child, dialog);
        const bool sameHeight = row.kind == ControlKind::kDropDownList || got.bottom == want.bottom;
        const bool sameRight =
            got.right == want.right || (row.kind == ControlKind::kStatusLine &&
                                        got.right > want.right && got.right < runAllLeft);
        if (id != row.id || lstrcmpiA(className, kClassOfKind[static_cast<int>(row.kind)]) != 0 ||
            !textKept || got.left != want.left || got.top != want.top || !sameRight || !sameHeight)
            Fail("control %d ('%s'): id %d, %s, '%s', at %ld,%ld-%ld,%ld, not %ld,%ld-%ld,%ld",
                 row.id, row.text, id, className, text.c_str(), got.left, got.top, got.right,
                 got.bottom, want.left, want.top, want.right, want.bottom);
    }
    if (index != kMainDialogControlCount)
        Fail("the dialog has %d controls", static_cast<int>(index));
}

// The painted labels' fonts, from the controls' font by their rules: the status line
// italic in its face (a smaller height where the time stamp needs it), the link underlined
// Verdana at its height; both of normal weight.
void CheckLabelFonts(HWND dialog) {
    const LOGFONTA controls = LogFontOf(GetDlgItem(dialog, IDC_CPU_DETAILS));
    const LOGFONTA status = LogFontOf(GetDlgItem(dialog, IDC_STATUS_LINE));
    const LOGFONTA link = LogFontOf(GetDlgItem(dialog, IDC_WEB_LINK));
    if (!status.lfItalic || status.lfUnderline || status.lfWeight != FW_NORMAL ||
        lstrcmpiA(status.lfFaceName, controls.lfFaceName) != 0 ||
        std::labs(status.lfHeight) > std::labs(controls.lfHeight))
        Fail("the status line's font is '%s' %ld, weight %ld, italic %d, underline %d",
             status.lfFaceName, status.lfHeight, status.lfWeight, status.lfItalic,
             status.lfUnderline);
    if (link.lfItalic || !link.lfUnderline || link.lfWeight != FW_NORMAL ||
        lstrcmpiA(link.lfFaceName, "Verdana") != 0 || link.lfHeight != controls.lfHeight)
        Fail("the link's font is '%s' %ld, weight %ld, italic %d, underline %d", link.lfFaceName,
             link.lfHeight, link.lfWeight, link.lfItalic, link.lfUnderline);
}

// The cursor the link shows while the mouse is over it has the system's size at `dpi`.
void CheckHandCursor(HWND dialog, int dpi) {
    SendMessageA(GetDlgItem(dialog, IDC_WEB_LINK), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ICONINFO info = {};
    GetIconInfo(GetCursor(), &info);
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    // A monochrome cursor's mask holds the AND plane above the XOR plane.
    const int size = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    if (size != CursorSizeForDpi(dpi))
        Fail("the hand cursor is %d px at %d dpi, not the system's cursor size", size, dpi);
}

// Each field's tip covers the field where it is now: after a dpi change a tip left at the
// old place would show over the wrong field, or over nothing.
void CheckToolTipRects(HWND dialog, int dpi) {
    HWND tips = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (tips && GetWindow(tips, GW_OWNER) != dialog)
        tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr);
    if (!tips) return;  // no details to show on this machine
    for (WPARAM i = 0;; ++i) {
        TOOLINFOA info = {};  // fresh: the tool's text is copied to a text pointer left in it
        info.cbSize = sizeof info;
        if (!SendMessageA(tips, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&info))) break;
        const RECT field = PlaceIn(GetDlgItem(dialog, static_cast<int>(info.uId)), dialog);
        if (!EqualRect(&field, &info.rect))
            Fail("at %d dpi the tip of field %u is at %ld,%ld-%ld,%ld, not over the field", dpi,
                 static_cast<unsigned>(info.uId), info.rect.left, info.rect.top, info.rect.right,
                 info.rect.bottom);
    }
}

// What follows the dpi: the status line's, the link's and the controls' font heights, and
// the CPU Details field's width.
std::array<long, 4> DpiSizes(HWND dialog) {
    HWND details = GetDlgItem(dialog, IDC_CPU_DETAILS);
    const RECT place = PlaceIn(details, nullptr);
    return {std::labs(LogFontOf(GetDlgItem(dialog, IDC_STATUS_LINE)).lfHeight),
            std::labs(LogFontOf(GetDlgItem(dialog, IDC_WEB_LINK)).lfHeight),
            std::labs(LogFontOf(details).lfHeight), place.right - place.left};
}

// The dialog told it is now on a screen of another dpi (as Windows tells it when it is
// dragged to another monitor): the frame, the controls, the fonts of the painted labels
// and the hand cursor follow, and every text still fits.
void CheckDpiChange(HWND dialog, int from, int to) {
    const std::array<long, 4> before = DpiSizes(dialog);
    const RECT frame = PlaceIn(dialog, nullptr);
    RECT suggested = {frame.left, frame.top,
                      frame.left + MulDiv(frame.right - frame.left, to, from),
                      frame.top + MulDiv(frame.bottom - frame.top, to, from)};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    const RECT now = PlaceIn(dialog, nullptr);
    if (!EqualRect(&now, &suggested))
        Fail("at %d dpi the dialog is not where the system suggested", to);
    const std::array<long, 4> after = DpiSizes(dialog);
    const char* const what[] = {"status line font height", "link font height",
                                "control font height", "CPU Details width"};
    for (size_t i = 0; i < after.size(); ++i) {
        // Fonts may come out a pixel smaller where the labels need it.
        const long want = MulDiv(before[i], to, from);
        if (after[i] > want + 1 || after[i] < want - (std::strstr(what[i], "font") ? 2 : 1))
            Fail("at %d dpi the %s is %ld, expected %ld", to, what[i], after[i], want);
    }
    CheckHandCursor(dialog, to);
    CheckDialog(dialog, false);
    CheckToolTipRects(dialog, to);
}

}  // namespace

int main() {
    InitCommonControls();
    HWND dialog = OpenMainDialog(GetModuleHandleA(nullptr));
    if (!dialog) {
        std::printf("FAIL: the dialog cannot be created (error %lu)\n", GetLastError());
        return 1;
    }
    const int dpi = WindowDpi(dialog);
    ShowWindow(dialog, SW_SHOW);
    for (int i = 0; i < 20; ++i, Sleep(10))
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);

    CheckAnnotationCalls(dialog);
    CheckDialog(dialog, true);
    CheckLabelFonts(dialog);
    CheckHandCursor(dialog, dpi);

    CheckDpiChange(dialog, dpi, dpi * 2);
    CheckDpiChange(dialog, dpi * 2, dpi);
    CheckDialog(dialog, true);  // back where it was
    CheckLabelFonts(dialog);
    CloseMainDialog(dialog);
    std::printf(g_failures ? "%d failures\n" : "fit checks passed\n", g_failures);
    return g_failures ? 1 : 0;
}
