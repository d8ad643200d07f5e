// Opens the real dialog 4000 inside this process (same template, procedure and manifest
// as Kelvane.exe) and checks, at whatever dpi the Wine prefix has, that every text a
// control can hold is whole in it, measured with the font the control really draws with;
// that the value fields carry their labels' names for screen readers; and that the
// painted labels' fonts and the hand cursor follow a dpi change.
//   win32_dialog_fit_e2e [--hold MARKER_DIR]
// With --hold the driver fills the fields with their longest texts, writes
// MARKER_DIR\ready and waits up to 20 s for MARKER_DIR\shot, for a screenshot.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/dialog_layout.h"
#include "app/win32/main_dialog.h"
#include "platform/month_name.h"
#include "res/resource.h"
#include "ui/accessible_name.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/dpi.h"

namespace {

int g_failures = 0;

// The longest texts each value field can hold: results, progress texts, the widest names.
struct FieldTexts {
    int id;
    const char* texts[8];
};
const FieldTexts kLongestTexts[] = {
    {IDC_CPU_SPEED_RESULT, {"12.9999999 GHz", "Emitting RdTSC..."}},
    {IDC_FLOPS_RESULT,
     {"4294 Teraflops", "999 Gigaflops", "999 Megaflops", "Whetstone 268435456 iterations..."}},
    {IDC_MEMORY_RESULT,
     {"4294967 GB/second", "999 MB/second", "Checking Allocation Limit...",
      "2048 MB memory copy test..."}},
    {IDC_DISK_RESULT,
     {"4294967 GB/second", "999 MB/second", "Checking Disk C: ...", "65536 MB write test..."}},
    {IDC_CPU_DETAILS,
     {"Intel(R) Xeon(R) Platinum 8380HL CPU @ 2.90GHz\nIntel64 Family 6 Model 183 Stepping 15, "
      "GenuineIntel",
      "AMD Ryzen Threadripper PRO 7995WX 96-Cores\nAMD64 Family 26 Model 17 Stepping 1, "
      "AuthenticAMD"}},
    {IDC_CPU_FAMILY, {"F/FF", "6/0"}},
    {IDC_CPU_MODEL, {"F/FF", "B7/B7"}},
    {IDC_CPU_STEPPING, {"F"}},
    {IDC_INSTRUCTIONS, {"MMX, SSE, SSE2, SSE3, SSSE3, SSSE4.1, SSSE4.2"}},
    {IDC_NOMINAL_SPEED, {"10.00 GHz", "2.09 GHz"}},
    {IDC_VENDOR, {"Intel", "AMD", "Hygon", "Zhaoxin", "Centaur", "NexGen", "Other"}},
    {IDC_CORES, {"256"}},
    {IDC_MEMORY, {"1023.99 GB", "1023.99 MB"}},
    {IDC_VIDEO_MEMORY, {"49152 MB"}},
    {IDC_OS_VERSION,
     {"  \"Windows 2003\" version 5.2.3790 Service Pack 2",
      "  \"Windows 11\" version 10.0.26100 "}},
};

// The room a control gives its text, and how it lays the text out.
struct TextBox {
    RECT room;
    UINT format;
};

TextBox TextBoxOf(HWND control, const ControlSpec& row, const TEXTMETRICA& metrics) {
    TextBox box;
    GetClientRect(control, &box.room);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    switch (row.kind) {
        case ControlKind::kButton:
            // The focus rectangle and the 3-D edge take two pixels on each side.
            InflateRect(&box.room, -2 * GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
            box.format = DT_SINGLELINE;
            break;
        case ControlKind::kGroupBox:
            // The caption starts one average letter in and has a blank on either side.
            box.room.right -= 3 * metrics.tmAveCharWidth;
            box.room.bottom = box.room.top + metrics.tmHeight;
            box.format = DT_SINGLELINE;
            break;
        case ControlKind::kDropDownList:
            box.room.right -= GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
            box.format = DT_SINGLELINE;
            break;
        case ControlKind::kStatusLine:
            // The engraved copy lies one pixel further right.
            box.room.right -= 1;
            box.format = 0;
            break;
        case ControlKind::kLink:
            box.format = 0;
            break;
        default:
            box.format = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK;
            break;
    }
    return box;
}

// Empty when `text` is whole in `control`, else what is cut off.
std::string Misfit(HWND control, const ControlSpec& row, const char* text, int* widthNeeded) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    TextBox box = TextBoxOf(control, row, metrics);
    int roomWidth = box.room.right - box.room.left;
    int roomHeight = box.room.bottom - box.room.top;
    RECT need = {0, 0, roomWidth, 0};
    DrawTextA(dc, text, -1, &need, box.format | DT_CALCRECT | DT_EXPANDTABS);
    RECT single = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &single, (box.format & ~DT_WORDBREAK) | DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);

    *widthNeeded = single.right;
    // A line whose letters stand in the control is whole, even if its descenders
    // touch the border: the template's labels are a little lower than the font.
    int linesAllowed = roomHeight / metrics.tmHeight;
    if (linesAllowed < 1 && metrics.tmAscent <= roomHeight + 1) linesAllowed = 1;
    int linesNeeded = (need.bottom + metrics.tmHeight - 1) / metrics.tmHeight;
    char report[160] = "";
    if (need.right > roomWidth)
        std::snprintf(report, sizeof report, "needs %ld px, has %d", need.right, roomWidth);
    else if (linesNeeded > linesAllowed)
        std::snprintf(report, sizeof report, "needs %d lines (%ld px), has room for %d (%d px)",
                      linesNeeded, need.bottom, linesAllowed, roomHeight);
    return report;
}

// How far the drawn letters of a one-line `text` reach past its measured width: a
// right-aligned label is placed by its measured width, so anything beyond is cut off at
// the control's edge (Wine draws some small sizes wider than it measures them).
int InkBeyondExtent(HWND control, const char* text) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HDC screen = GetDC(control);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
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
        for (int y = 0; y < height; ++y)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                rightmost = x;
                break;
            }
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(control, screen);
    return rightmost + 1 - measured.right;
}

void CheckText(HWND control, const ControlSpec& row, const char* text) {
    if (row.kind == ControlKind::kLabel) {
        int beyond = InkBeyondExtent(control, text);
        if (beyond > 0) {
            std::printf("FAIL: label '%s' is drawn %d px wider than measured: its end is cut off\n",
                        text, beyond);
            ++g_failures;
        }
    }
    int width = 0;
    std::string misfit = Misfit(control, row, text, &width);
    if (std::getenv("KELVANE_FIT_VERBOSE")) {
        RECT client;
        GetClientRect(control, &client);
        std::printf("  %5d %-32.32s %4d px in %ld x %ld\n", row.id, text, width, client.right,
                    client.bottom);
    }
    if (misfit.empty()) return;
    std::printf("FAIL: control %d ('%s') cuts '%s': %s\n", row.id, row.text, text, misfit.c_str());
    ++g_failures;
}

void CheckFit(HWND dialog) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < kMainDialogControlCount && child;
         ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const ControlSpec& row = kMainDialogControls[i];
        if (row.text[0] != '\0') CheckText(child, row, row.text);
        char current[512] = "";
        GetWindowTextA(child, current, sizeof current);
        if (current[0] != '\0' && std::strcmp(current, row.text) != 0)
            CheckText(child, row, current);
        for (const auto& field : kLongestTexts) {
            if (field.id != row.id) continue;
            for (const char* text : field.texts)
                if (text) CheckText(child, row, text);
        }
        // The widest stamp in every month name of the user's language.
        for (int month = 1; row.kind == ControlKind::kStatusLine && month <= 12; ++month) {
            char name[64] = "", stamp[160];
            GetMonthName(month, name, sizeof name);
            FormatLongestTimeStamp(name, stamp, sizeof stamp);
            CheckText(child, row, stamp);
        }
        if (row.kind == ControlKind::kDropDownList) {
            char drive[64];
            LRESULT count = SendMessageA(child, CB_GETCOUNT, 0, 0);
            for (LRESULT item = 0; item < count; ++item) {
                if (SendMessageA(child, CB_GETLBTEXTLEN, item, 0) >=
                    static_cast<LRESULT>(sizeof drive))
                    continue;
                SendMessageA(child, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(drive));
                CheckText(child, row, drive);
            }
        }
    }
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

// Each value field reads, through the accessibility interface a screen reader uses, as
// the label in front of it in the template.
void CheckAccessibleNames(HWND dialog) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!AnnotationsWork(GetDlgItem(dialog, IDC_CORES))) {
        std::printf(
            "accessible names not checked: this system keeps no accessibility annotations\n");
        CoUninitialize();
        return;
    }
    HWND child = GetWindow(dialog, GW_CHILD);
    int checked = 0;
    for (size_t i = 0; i < kMainDialogControlCount && child;
         ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        if (kMainDialogControls[i].kind != ControlKind::kValueField) continue;
        if (!IsValueField(child)) {
            std::printf("FAIL: control %d is not taken for a value field\n",
                        kMainDialogControls[i].id);
            ++g_failures;
        }
        char want[64];
        AccessibleNameFromLabel(kMainDialogControls[i - 1].text, want, sizeof want);
        IAccessible* accessible = nullptr;
        char got[128] = "?";
        if (SUCCEEDED(AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT),
                                                 kAccessibleInterface,
                                                 reinterpret_cast<void**>(&accessible)))) {
            VARIANT self;
            VariantInit(&self);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR name = nullptr;
            if (SUCCEEDED(accessible->get_accName(self, &name)) && name) {
                WideCharToMultiByte(CP_ACP, 0, name, -1, got, sizeof got, nullptr, nullptr);
                SysFreeString(name);
            }
            // A read-only text field whose value is the field's text.
            char value[260] = "?", text[260] = "";
            BSTR shown = nullptr;
            if (SUCCEEDED(accessible->get_accValue(self, &shown)) && shown) {
                WideCharToMultiByte(CP_ACP, 0, shown, -1, value, sizeof value, nullptr, nullptr);
                SysFreeString(shown);
            }
            GetWindowTextA(child, text, sizeof text);
            VARIANT role;
            VariantInit(&role);
            accessible->get_accRole(self, &role);
            if (std::strcmp(value, text) != 0 || role.vt != VT_I4 ||
                role.lVal != ROLE_SYSTEM_TEXT) {
                std::printf("FAIL: field %d has the value '%s' (text '%s') and role %ld\n",
                            kMainDialogControls[i].id, value, text,
                            role.vt == VT_I4 ? role.lVal : -1L);
                ++g_failures;
            }
            accessible->Release();
        }
        if (std::strcmp(got, want) != 0) {
            std::printf("FAIL: field %d is named '%s', expected '%s'\n", kMainDialogControls[i].id,
                        got, want);
            ++g_failures;
        }
        ++checked;
    }
    std::printf("accessible names of %d value fields checked\n", checked);
    CoUninitialize();
}

int FontHeight(HWND control) {
    LOGFONTA description = {};
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font || GetObjectA(font, sizeof description, &description) == 0) return 0;
    return description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
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

int WindowWidth(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r.right - r.left;
}

bool Near(int got, int want) {
    return got >= want - 1 && got <= want + 1;
}

BOOL CALLBACK FindOwnedToolTip(HWND window, LPARAM found) {
    char name[64];
    auto* result = reinterpret_cast<HWND*>(found);
    if (GetWindow(window, GW_OWNER) != result[0]) return TRUE;
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, TOOLTIPS_CLASSA) != 0)
        return TRUE;
    result[1] = window;
    return FALSE;
}

// Each field's tip covers the field where it is now: after a dpi change a tip left at the
// old place would show over the wrong field, or over nothing.
void CheckToolTipRects(HWND dialog, int dpi) {
    HWND search[2] = {dialog, nullptr};
    EnumWindows(FindOwnedToolTip, reinterpret_cast<LPARAM>(search));
    if (!search[1]) return;  // no details to show on this machine
    const int count = static_cast<int>(SendMessageA(search[1], TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TOOLINFOA info = {};
        info.cbSize = sizeof info;
        if (!SendMessageA(search[1], TTM_ENUMTOOLSA, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(&info)))
            continue;
        RECT field;
        GetWindowRect(GetDlgItem(dialog, static_cast<int>(info.uId)), &field);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&field), 2);
        std::printf("  at %d dpi: tip of field %u at %ld,%ld-%ld,%ld\n", dpi,
                    static_cast<unsigned>(info.uId), info.rect.left, info.rect.top, info.rect.right,
                    info.rect.bottom);
        if (!EqualRect(&field, &info.rect)) {
            std::printf("FAIL: at %d dpi the tip of field %u is not over the field\n", dpi,
                        static_cast<unsigned>(info.uId));
            ++g_failures;
        }
    }
}

// The dialog told it is now on a screen of another dpi (as Windows tells it when it is
// dragged to another monitor): the frame, the controls, the fonts of the painted labels
// and the hand cursor follow, and every text still fits.
void CheckDpiChange(HWND dialog, int from, int to) {
    HWND status = GetDlgItem(dialog, IDC_STATUS_LINE), link = GetDlgItem(dialog, IDC_WEB_LINK);
    HWND details = GetDlgItem(dialog, IDC_CPU_DETAILS);
    const int statusHeight = FontHeight(status), linkHeight = FontHeight(link),
              controlHeight = FontHeight(details);
    const int detailsWidth = WindowWidth(details);
    RECT frame;
    GetWindowRect(dialog, &frame);
    RECT suggested = {frame.left, frame.top,
                      frame.left + MulDiv(frame.right - frame.left, to, from),
                      frame.top + MulDiv(frame.bottom - frame.top, to, from)};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(dialog, &now);
    if (!EqualRect(&now, &suggested)) {
        std::printf("FAIL: at %d dpi the dialog is not where the system suggested\n", to);
        ++g_failures;
    }
    const struct {
        const char* what;
        int got, want;
    } checks[] = {
        {"status line font height", FontHeight(status), MulDiv(statusHeight, to, from)},
        {"link font height", FontHeight(link), MulDiv(linkHeight, to, from)},
        {"control font height", FontHeight(details), MulDiv(controlHeight, to, from)},
        {"CPU Details width", WindowWidth(details), MulDiv(detailsWidth, to, from)},
        {"hand cursor size", LinkCursorSize(link), CursorSizeForDpi(to)},
    };
    for (const auto& check : checks) {
        // Fonts may come out a pixel smaller where the labels need it.
        bool font = std::strstr(check.what, "font") != nullptr;
        bool ok = font ? check.got <= check.want + 1 && check.got >= check.want - 2
                       : Near(check.got, check.want);
        std::printf("  at %d dpi: %s %d (expected %d)\n", to, check.what, check.got, check.want);
        if (!ok) {
            std::printf("FAIL: at %d dpi the %s is %d, expected %d\n", to, check.what, check.got,
                        check.want);
            ++g_failures;
        }
    }
    CheckFit(dialog);
    CheckToolTipRects(dialog, to);
}

void FillLongestTexts(HWND dialog) {
    for (const auto& field : kLongestTexts) {
        const char* longest = field.texts[0];
        SetWindowTextA(GetDlgItem(dialog, field.id), longest);
    }
    char stamp[160];
    FormatLongestTimeStamp("September", stamp, sizeof stamp);
    SetWindowTextA(GetDlgItem(dialog, IDC_STATUS_LINE), stamp);
}

void PumpMessages(DWORD milliseconds) {
    DWORD started = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - started < milliseconds);
}

void DescribeFont(const char* what, HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    char face[64] = "";
    GetTextFaceA(dc, sizeof face, face);
    LOGFONTA description = {};
    GetObjectA(font, sizeof description, &description);
    SIZE letters = {0, 0};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    std::printf(
        "%s: asked '%s' height %ld; got '%s', height %ld (ascent %ld), average width %ld, 52 "
        "letters %ld px\n",
        what, description.lfFaceName, description.lfHeight, face, metrics.tmHeight,
        metrics.tmAscent, metrics.tmAveCharWidth, letters.cx);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
    InitCommonControls();
    HWND dialog = OpenMainDialog(GetModuleHandleA(nullptr));
    if (!dialog) {
        std::printf("FAIL: the dialog cannot be created (error %lu)\n", GetLastError());
        return 1;
    }
    HDC screen = GetDC(nullptr);
    std::printf("screen %d dpi\n", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    DescribeFont("dialog font", reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    DescribeFont("control font", reinterpret_cast<HFONT>(SendMessageA(
                                     GetDlgItem(dialog, IDC_CPU_SPEED_RESULT), WM_GETFONT, 0, 0)));
    DescribeFont("status font", reinterpret_cast<HFONT>(SendMessageA(
                                    GetDlgItem(dialog, IDC_STATUS_LINE), WM_GETFONT, 0, 0)));
    DescribeFont("link font", reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(dialog, IDC_WEB_LINK),
                                                                   WM_GETFONT, 0, 0)));
    ShowWindow(dialog, SW_SHOW);
    PumpMessages(200);

    CheckFit(dialog);
    CheckAccessibleNames(dialog);
    const int dpi = WindowDpi(dialog);
    std::printf("hand cursor %d px at %d dpi\n", LinkCursorSize(GetDlgItem(dialog, IDC_WEB_LINK)),
                dpi);
    if (LinkCursorSize(GetDlgItem(dialog, IDC_WEB_LINK)) != CursorSizeForDpi(dpi)) {
        std::printf("FAIL: the hand cursor is not the system's cursor size\n");
        ++g_failures;
    }

    if (argc > 2 && std::strcmp(argv[1], "--hold") == 0) {
        FillLongestTexts(dialog);
        PumpMessages(300);
        std::string markers = argv[2];
        HANDLE ready = CreateFileA((markers + "\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
        if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
        for (int i = 0; i < 400 && !FileExists(markers + "\\shot"); ++i) PumpMessages(50);
    }

    CheckDpiChange(dialog, dpi, dpi * 2);
    CheckDpiChange(dialog, dpi * 2, dpi);
    CloseMainDialog(dialog);
    std::printf(g_failures ? "%d failures\n" : "fit checks passed\n", g_failures);
    return g_failures ? 1 : 0;
}
