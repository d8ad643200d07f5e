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

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "app/dialog_layout.h"
#include "app/win32/main_dialog.h"
#include "platform/month_name.h"
#include "res/resource.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/dpi.h"

namespace {

int g_failures = 0;
bool g_annotations = false;  // whether the system keeps accessibility annotations

void Fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::printf("FAIL: ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
    ++g_failures;
}

// Besides the template's longest field texts: the progress texts, the other widest
// results and names.
struct FieldTexts {
    int id;
    const char* texts[8];
};
const FieldTexts kMoreTexts[] = {
    {IDC_CPU_SPEED_RESULT, {"12.9999999 GHz", "Emitting RdTSC..."}},
    {IDC_FLOPS_RESULT,
     {"4294 Teraflops", "999 Gigaflops", "999 Megaflops", "Whetstone 268435456 iterations..."}},
    {IDC_MEMORY_RESULT,
     {"999 MB/second", "Checking Allocation Limit...", "2048 MB memory copy test..."}},
    {IDC_DISK_RESULT, {"999 MB/second", "Checking Disk C: ...", "65536 MB write test..."}},
    {IDC_CPU_DETAILS,
     {"Intel(R) Xeon(R) Platinum 8380HL CPU @ 2.90GHz\nIntel64 Family 6 Model 183 Stepping 15, "
      "GenuineIntel",
      "AMD Ryzen Threadripper PRO 7995WX 96-Cores\nAMD64 Family 26 Model 17 Stepping 1, "
      "AuthenticAMD"}},
    {IDC_CPU_MODEL, {"B7/B7"}},
    {IDC_NOMINAL_SPEED, {"10.00 GHz", "2.09 GHz"}},
    {IDC_VENDOR, {"Intel", "AMD", "Hygon", "Centaur", "NexGen", "Other"}},
    {IDC_MEMORY, {"1023.99 GB", "1023.99 MB"}},
    {IDC_VIDEO_MEMORY, {"49152 MB"}},
    {IDC_OS_VERSION,
     {"  \"Windows 2003\" version 5.2.3790 Service Pack 2",
      "  \"Windows 11\" version 10.0.26100 "}},
};

HFONT FontOf(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

// The room a control gives its text, and in `format` how it lays the text out.
RECT RoomOf(HWND control, const ControlSpec& row, const TEXTMETRICA& metrics, UINT* format) {
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
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT measured = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    const int width = measured.right + 32, height = measured.bottom;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &all, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    int rightmost = -1;
    for (int x = width - 1; x >= 0 && rightmost < 0; --x)
        for (int y = 0; y < height && rightmost < 0; ++y)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) rightmost = x;
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rightmost + 1 - measured.right;
}

// Fails unless `text` is whole in `control`; the failure names the font the system gave.
void CheckText(HWND control, const ControlSpec& row, const char* text) {
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
    int linesNeeded = (need.bottom + metrics.tmHeight - 1) / metrics.tmHeight;
    if (beyond > 0)
        Fail("label '%s' is drawn %d px wider than measured in '%s': its end is cut off", text,
             beyond, face);
    if (need.right > roomWidth || linesNeeded > linesAllowed)
        Fail(
            "control %d ('%s') cuts '%s' in '%s' %ld px high: needs %ld x %ld px, has %d x %d "
            "(%d lines)",
            row.id, row.text, text, face, metrics.tmHeight, need.right, need.bottom, roomWidth,
            roomHeight, linesAllowed);
}

// Both import libraries define IAccessible's identifier: spelt out here instead.
const IID kAccessibleInterface = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// Whether this system keeps accessibility annotations at all (Wine's service does not).
bool AnnotationsWork(HWND probe) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services))))
        return false;
    HRESULT result = services->SetHwndPropStr(probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                              PROPID_ACC_HELP, L"probe");
    MSAAPROPID help = PROPID_ACC_HELP;
    services->ClearHwndProps(probe, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &help, 1);
    services->Release();
    return SUCCEEDED(result);
}

// A string an accessible object answered, freed; "?" where it answered none.
std::string Answer(HRESULT result, BSTR text) {
    char narrow[260] = "?";
    if (SUCCEEDED(result) && text)
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    SysFreeString(text);
    return narrow;
}

// What a screen reader calls each control the dialog names: a value field after its
// label, the two CPU Speed fields and the four Run buttons after their rows.
const struct {
    int id;
    const char* name;
} kAccessibleNames[] = {
    {IDC_CPU_SPEED_RESULT, "CPU Speed (measured)"},
    {IDC_RUN_CPU_SPEED, "Run CPU Speed"},
    {IDC_FLOPS_RESULT, "CPU FLOPS"},
    {IDC_RUN_FLOPS, "Run CPU FLOPS"},
    {IDC_MEMORY_RESULT, "Mem Bandwidth"},
    {IDC_RUN_MEMORY, "Run Mem Bandwidth"},
    {IDC_DISK_RESULT, "Disk Transfer"},
    {IDC_RUN_DISK, "Run Disk Transfer"},
    {IDC_CPU_DETAILS, "CPU Details"},
    {IDC_CPU_FAMILY, "CPU Family"},
    {IDC_CPU_MODEL, "Model"},
    {IDC_CPU_STEPPING, "Stepping"},
    {IDC_INSTRUCTIONS, "Instructions"},
    {IDC_NOMINAL_SPEED, "CPU Speed (nominal)"},
    {IDC_VENDOR, "Vendor"},
    {IDC_CORES, "Cores"},
    {IDC_MEMORY, "Memory (RAM)"},
    {IDC_VIDEO_MEMORY, "Video Memory"},
    {IDC_OS_VERSION, "OS Version"},
};

const char* ExpectedName(int id) {
    for (const auto& control : kAccessibleNames)
        if (control.id == id) return control.name;
    return nullptr;
}

// A value field reads, through the accessibility interface a screen reader uses, as a
// read-only text field with its name, its text as its value; a Run button keeps its role.
void CheckAccessibleName(HWND control, const ControlSpec& row) {
    const bool field = row.kind == ControlKind::kValueField;
    if (field && !IsValueField(control)) Fail("control %d is not taken for a value field", row.id);
    char text[260] = "";
    GetWindowTextA(control, text, sizeof text);
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          kAccessibleInterface,
                                          reinterpret_cast<void**>(&accessible))))
        return Fail("control %d has no accessible object", row.id);
    VARIANT self = {}, role = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr, value = nullptr;
    const std::string got = Answer(accessible->get_accName(self, &name), name);
    const std::string shown = field ? Answer(accessible->get_accValue(self, &value), value) : text;
    accessible->get_accRole(self, &role);
    accessible->Release();
    const char* want = ExpectedName(row.id);
    if (got != want) Fail("control %d is named '%s', expected '%s'", row.id, got.c_str(), want);
    const LONG wantRole = field ? ROLE_SYSTEM_TEXT : ROLE_SYSTEM_PUSHBUTTON;
    if (shown != text || role.vt != VT_I4 || role.lVal != wantRole)
        Fail("control %d has the value '%s' (text '%s') and role %ld", row.id, shown.c_str(), text,
             role.vt == VT_I4 ? role.lVal : -1L);
}

// Takes the annotations the dialog makes, where the system's own service keeps none (Wine's
// answers every call with a failure): the names and roles asked for, by window.
class RecordedAnnotations final : public IAccPropServices {
  public:
    std::map<HWND, std::string> names;
    std::map<HWND, LONG> roles;

    HRESULT WINAPI QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                                  LPCWSTR text) override {
        char narrow[260] = "";
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        if (Self(object, child) && IsEqualGUID(property, PROPID_ACC_NAME)) names[window] = narrow;
        return S_OK;
    }
    HRESULT WINAPI SetHwndProp(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                               VARIANT value) override {
        if (Self(object, child) && IsEqualGUID(property, PROPID_ACC_ROLE) && value.vt == VT_I4)
            roles[window] = value.lVal;
        return S_OK;
    }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                                     AnnoScope) override {
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
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override {
        return E_NOTIMPL;
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

  private:
    static bool Self(DWORD object, DWORD child) {
        return object == static_cast<DWORD>(OBJID_CLIENT) && child == CHILDID_SELF;
    }
};

// The names the dialog asks the annotation service for, each control's and only theirs:
// the check where the system cannot answer them back.
void CheckAnnotationCalls(HWND dialog) {
    RecordedAnnotations recorded;
    FieldValueServer values;
    const int named = AnnotateControls(dialog, &recorded, &values);
    const int count = static_cast<int>(sizeof kAccessibleNames / sizeof kAccessibleNames[0]);
    for (const auto& want : kAccessibleNames) {
        HWND control = GetDlgItem(dialog, want.id);
        auto found = recorded.names.find(control);
        const std::string got = found == recorded.names.end() ? "(no name)" : found->second;
        if (got != want.name)
            Fail("control %d is named '%s', expected '%s'", want.id, got.c_str(), want.name);
        const bool field = IsValueField(control);
        if (field != (recorded.roles.count(control) && recorded.roles[control] == ROLE_SYSTEM_TEXT))
            Fail("control %d is %sannotated as a text field", want.id, field ? "not " : "");
    }
    if (named != count || static_cast<int>(recorded.names.size()) != count)
        Fail("%d controls named (%d names set), expected %d", named,
             static_cast<int>(recorded.names.size()), count);
}

// Every text `child` can show is whole: its template text, its text now, the longest
// each field holds, every month's widest time stamp, every drive.
void CheckTexts(HWND child, const ControlSpec& row) {
    if (row.text[0] != '\0') CheckText(child, row, row.text);
    char current[512] = "";
    GetWindowTextA(child, current, sizeof current);
    if (current[0] != '\0' && std::strcmp(current, row.text) != 0) CheckText(child, row, current);
    for (size_t j = 0; j < kLongestFieldTextCount; ++j)
        if (kLongestFieldTexts[j].id == row.id) CheckText(child, row, kLongestFieldTexts[j].text);
    for (const auto& field : kMoreTexts)
        for (const char* text : field.texts)
            if (field.id == row.id && text) CheckText(child, row, text);
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

// Every control of the table in template order, each text whole in it; with `places`
// also its id, class, text and accessible name, at its place as Windows maps a template
// (the position and the size each on its own). The status line may grow toward "Run All
// Tests" where the time stamp needs it.
void CheckDialog(HWND dialog, bool places) {
    RECT units = {0, 0, 4, 8};  // the dialog's base units
    MapDialogRect(dialog, &units);
    auto toPixels = [&units](const ControlSpec& row) {
        const LONG left = MulDiv(row.x, units.right, 4), top = MulDiv(row.y, units.bottom, 8);
        return RECT{left, top, left + MulDiv(row.width, units.right, 4),
                    top + MulDiv(row.height, units.bottom, 8)};
    };
    const LONG runAllLeft = toPixels(*FindControlSpec(IDC_RUN_ALL)).left;
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (index++ >= kMainDialogControlCount) continue;
        const ControlSpec& row = kMainDialogControls[index - 1];
        CheckTexts(child, row);
        if (!places) continue;
        int id = static_cast<short>(GetDlgCtrlID(child));
        if (id != row.id) Fail("control %d ('%s') has id %d", row.id, row.text, id);
        char className[64] = "", text[256] = "";
        GetClassNameA(child, className, sizeof className);
        const char* wantClass =
            row.kind == ControlKind::kButton || row.kind == ControlKind::kGroupBox ? "Button"
            : row.kind == ControlKind::kDropDownList                               ? "ComboBox"
                                                                                   : "Static";
        if (lstrcmpiA(className, wantClass) != 0)
            Fail("control %d ('%s') has class %s", row.id, row.text, className);
        GetWindowTextA(child, text, sizeof text);
        if (row.kind != ControlKind::kDropDownList && row.kind != ControlKind::kLink &&
            std::strcmp(text, row.text) != 0 && row.text[0] != '\0')
            Fail("control %d ('%s') shows '%s'", row.id, row.text, text);
        if (g_annotations && ExpectedName(row.id)) CheckAccessibleName(child, row);

        const RECT want = toPixels(row);
        RECT got;
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        bool sameHeight = row.kind == ControlKind::kDropDownList || got.bottom == want.bottom;
        bool sameRight =
            got.right == want.right || (row.kind == ControlKind::kStatusLine &&
                                        got.right > want.right && got.right < runAllLeft);
        if (got.left != want.left || got.top != want.top || !sameRight || !sameHeight)
            Fail("control %d ('%s'): want %ld,%ld-%ld,%ld got %ld,%ld-%ld,%ld", row.id, row.text,
                 want.left, want.top, want.right, want.bottom, got.left, got.top, got.right,
                 got.bottom);
    }
    if (index != kMainDialogControlCount)
        Fail("the dialog has %d controls", static_cast<int>(index));
}

// The painted labels' fonts, from the controls' font by their rules: the status line
// italic in its face (a smaller height where the time stamp needs it), the link underlined
// Verdana at its height; both of normal weight.
void CheckLabelFonts(HWND dialog) {
    LOGFONTA controls = {}, status = {}, link = {};
    GetObjectA(FontOf(GetDlgItem(dialog, IDC_CPU_DETAILS)), sizeof controls, &controls);
    GetObjectA(FontOf(GetDlgItem(dialog, IDC_STATUS_LINE)), sizeof status, &status);
    GetObjectA(FontOf(GetDlgItem(dialog, IDC_WEB_LINK)), sizeof link, &link);
    std::printf("  controls '%s' %ld, status line '%s' %ld, link '%s' %ld\n", controls.lfFaceName,
                controls.lfHeight, status.lfFaceName, status.lfHeight, link.lfFaceName,
                link.lfHeight);
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

// The side of the cursor the link shows while the mouse is over it.
int LinkCursorSize(HWND link) {
    SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ICONINFO info = {};
    if (!GetIconInfo(GetCursor(), &info)) return 0;
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    // A monochrome cursor's mask holds the AND plane above the XOR plane.
    return info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
}

// Each field's tip covers the field where it is now: after a dpi change a tip left at the
// old place would show over the wrong field, or over nothing.
void CheckToolTipRects(HWND dialog, int dpi) {
    HWND tips = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (tips && GetWindow(tips, GW_OWNER) != dialog)
        tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr);
    if (!tips) return;  // no details to show on this machine
    const int count = static_cast<int>(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        if (!SendMessageA(tips, TTM_ENUMTOOLSA, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(&info)))
            continue;
        RECT field;
        GetWindowRect(GetDlgItem(dialog, static_cast<int>(info.uId)), &field);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&field), 2);
        if (!EqualRect(&field, &info.rect))
            Fail("at %d dpi the tip of field %u is at %ld,%ld-%ld,%ld, not over the field", dpi,
                 static_cast<unsigned>(info.uId), info.rect.left, info.rect.top, info.rect.right,
                 info.rect.bottom);
    }
    std::printf("  at %d dpi: %d tips checked\n", dpi, count);
}

// The dialog told it is now on a screen of another dpi (as Windows tells it when it is
// dragged to another monitor): the frame, the controls, the fonts of the painted labels
// and the hand cursor follow, and every text still fits.
void CheckDpiChange(HWND dialog, int from, int to) {
    HWND status = GetDlgItem(dialog, IDC_STATUS_LINE), link = GetDlgItem(dialog, IDC_WEB_LINK);
    HWND details = GetDlgItem(dialog, IDC_CPU_DETAILS);
    auto fontHeight = [](HWND control) {
        LOGFONTA font = {};
        GetObjectA(FontOf(control), sizeof font, &font);
        return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    };
    auto width = [](HWND window) {
        RECT r;
        GetWindowRect(window, &r);
        return static_cast<int>(r.right - r.left);
    };
    const int statusHeight = fontHeight(status), linkHeight = fontHeight(link),
              controlHeight = fontHeight(details), detailsWidth = width(details);
    RECT frame;
    GetWindowRect(dialog, &frame);
    RECT suggested = {frame.left, frame.top,
                      frame.left + MulDiv(frame.right - frame.left, to, from),
                      frame.top + MulDiv(frame.bottom - frame.top, to, from)};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(dialog, &now);
    if (!EqualRect(&now, &suggested))
        Fail("at %d dpi the dialog is not where the system suggested", to);
    const struct {
        const char* what;
        int got, want;
    } checks[] = {
        {"status line font height", fontHeight(status), MulDiv(statusHeight, to, from)},
        {"link font height", fontHeight(link), MulDiv(linkHeight, to, from)},
        {"control font height", fontHeight(details), MulDiv(controlHeight, to, from)},
        {"CPU Details width", width(details), MulDiv(detailsWidth, to, from)},
        {"hand cursor size", LinkCursorSize(link), CursorSizeForDpi(to)},
    };
    for (const auto& check : checks) {
        // Fonts may come out a pixel smaller where the labels need it.
        const int below = std::strstr(check.what, "font") ? 2 : 1;
        std::printf("  at %d dpi: %s %d (expected %d)\n", to, check.what, check.got, check.want);
        if (check.got > check.want + 1 || check.got < check.want - below)
            Fail("at %d dpi the %s is %d, expected %d", to, check.what, check.got, check.want);
    }
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
    std::printf("window %d dpi\n", dpi);
    ShowWindow(dialog, SW_SHOW);
    for (int i = 0; i < 20; ++i, Sleep(10))
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_annotations = AnnotationsWork(GetDlgItem(dialog, IDC_CORES));
    if (!g_annotations)
        std::printf(
            "accessible names checked as asked for, not as read back: this system keeps no "
            "accessibility annotations\n");
    CheckAnnotationCalls(dialog);
    CheckDialog(dialog, true);
    CheckLabelFonts(dialog);
    const int cursor = LinkCursorSize(GetDlgItem(dialog, IDC_WEB_LINK));
    if (cursor != CursorSizeForDpi(dpi))
        Fail("the hand cursor is %d px at %d dpi, not the system's cursor size", cursor, dpi);

    CheckDpiChange(dialog, dpi, dpi * 2);
    CheckDpiChange(dialog, dpi * 2, dpi);
    CheckDialog(dialog, true);  // back where it was
    CheckLabelFonts(dialog);
    CloseMainDialog(dialog);
    CoUninitialize();
    std::printf(g_failures ? "%d failures\n" : "fit checks passed\n", g_failures);
    return g_failures ? 1 : 0;
}
