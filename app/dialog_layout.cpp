#include "app/dialog_layout.h"

#include "app/controller.h"
#include "res/resource.h"
#include "res/version.h"

namespace {
using K = ControlKind;
constexpr Align L = Align::kLeft;
constexpr Align C = Align::kCentre;
constexpr Align R = Align::kRight;
}  // namespace

const ControlTemplate kMainDialogControls[] = {
    {-1, K::kLabel, "CPU Speed:", 15, 148, 52, 8, R, false, false, false},
    {IDC_CPU_SPEED_RESULT, K::kValueField, "", 70, 147, 136, 11, C, true, false, false},
    {IDC_RUN_CPU_SPEED, K::kButton, "Run", 214, 145, 28, 14, C, false, false, true},
    {-1, K::kLabel, "CPU FLOPS:", 15, 164, 52, 8, R, false, false, false},
    {IDC_FLOPS_RESULT, K::kValueField, "", 70, 163, 136, 11, C, true, false, false},
    {IDC_RUN_FLOPS, K::kButton, "Run", 214, 161, 28, 14, C, false, false, true},
    {-1, K::kLabel, "Mem Bandwidth:", 11, 180, 56, 8, R, false, false, false},
    {IDC_MEMORY_RESULT, K::kValueField, "", 70, 179, 136, 11, C, true, false, false},
    {IDC_RUN_MEMORY, K::kButton, "Run", 214, 177, 28, 14, C, false, false, true},
    {-1, K::kLabel, "Disk Transfer:", 15, 196, 52, 8, R, false, false, false},
    {IDC_DISK_RESULT, K::kValueField, "", 70, 195, 97, 11, C, true, false, false},
    {IDC_DRIVE_LIST, K::kDropDownList, "", 174, 194, 31, 82, L, false, false, true},
    {IDC_RUN_DISK, K::kButton, "Run", 214, 193, 28, 14, C, false, false, true},
    {IDC_RUN_ALL, K::kButton, "Run &All Tests", 174, 211, 68, 14, C, false, false, true},
    {IDC_CLOSE, K::kButton, "&Close", 192, 234, 50, 15, C, false, false, true},
    {IDC_WEB_LINK, K::kLink, "", 41, 237, 103, 10, C, false, false, false},
    {-1, K::kLabel, "CPU Details:", 15, 20, 52, 8, R, false, false, false},
    {IDC_CPU_DETAILS, K::kValueField, "", 70, 18, 176, 19, L, true, true, false},
    {-1, K::kLabel, "CPU Family:", 15, 42, 52, 8, R, false, false, false},
    {IDC_CPU_FAMILY, K::kValueField, "", 70, 41, 29, 11, C, true, false, false},
    {-1, K::kLabel, "Model:", 105, 42, 32, 8, R, false, false, false},
    {IDC_CPU_MODEL, K::kValueField, "", 142, 41, 29, 11, C, true, false, false},
    {-1, K::kLabel, "Stepping:", 179, 42, 37, 8, R, false, false, false},
    {IDC_CPU_STEPPING, K::kValueField, "", 222, 41, 22, 11, C, true, false, false},
    {-1, K::kLabel, "Instructions:", 15, 56, 52, 8, R, false, false, false},
    {IDC_INSTRUCTIONS, K::kValueField, "", 70, 55, 174, 11, L, true, false, false},
    {-1, K::kLabel, "CPU Speed:", 15, 70, 52, 8, R, false, false, false},
    {IDC_NOMINAL_SPEED, K::kValueField, "", 70, 69, 56, 11, C, true, false, false},
    {-1, K::kLabel, "Vendor:", 130, 70, 26, 8, R, false, false, false},
    {IDC_VENDOR, K::kValueField, "", 161, 69, 29, 11, C, true, false, false},
    {-1, K::kLabel, "Cores:", 194, 70, 23, 8, R, false, false, false},
    {IDC_CORES, K::kValueField, "", 222, 69, 22, 11, C, true, false, false},
    {-1, K::kLabel, "Memory (RAM):", 15, 84, 52, 8, R, false, false, false},
    {IDC_MEMORY, K::kValueField, "", 70, 83, 56, 11, C, true, false, false},
    {-1, K::kLabel, "Video Memory:", 15, 98, 52, 8, R, false, false, false},
    {IDC_VIDEO_MEMORY, K::kValueField, "", 70, 97, 56, 11, C, true, false, false},
    {-1, K::kLabel, "OS Version:", 15, 112, 52, 8, R, false, false, false},
    {IDC_OS_VERSION, K::kValueField, "", 70, 111, 174, 11, C, true, false, false},
    {-1, K::kGroupBox, "Performance Benchmarks", 6, 133, 244, 97, L, false, false, false},
    {-1, K::kGroupBox, "System Information", 6, 4, 244, 125, L, false, false, false},
    // 151, not 140: the longest time stamp ("September 30, 2026 at 23:59:59") is cut at 140
    // in the italic dialog font on Windows and in the common Linux fonts; 151 ends 4 units
    // before "Run All Tests".
    {IDC_STATUS_LINE, K::kStatusLine, "", 19, 214, 151, 10, L, false, false, false},
};

const size_t kMainDialogControlCount = sizeof kMainDialogControls / sizeof kMainDialogControls[0];

const ControlTemplate* FindControlTemplate(int id) {
    if (id == -1) return nullptr;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        if (kMainDialogControls[i].id == id) return &kMainDialogControls[i];
    }
    return nullptr;
}

const FieldSample kLongestFieldTexts[] = {
    // The rate rule's widest text, with a 32-bit figure.
    {IDC_CPU_SPEED_RESULT, "4294967 GB/second"},
    {IDC_FLOPS_RESULT, "4294967 GB/second"},
    {IDC_MEMORY_RESULT, "4294967 GB/second"},
    {IDC_DISK_RESULT, "4294967 GB/second"},
    // Brand string, then the identifier as Windows writes it for a 64-bit processor.
    {IDC_CPU_DETAILS,
     "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nIntel64 Family 6 Model 158 Stepping 10, "
     "GenuineIntel"},
    {IDC_CPU_FAMILY, "F/10F"},
    {IDC_CPU_MODEL, "F/FF"},
    {IDC_CPU_STEPPING, "F"},
    {IDC_INSTRUCTIONS, "MMX, SSE, SSE2, SSE3, SSSE3, SSSE4.1, SSSE4.2"},
    {IDC_NOMINAL_SPEED, "4.99 GHz"},
    {IDC_VENDOR, "Zhaoxin"},
    {IDC_CORES, "256"},
    {IDC_MEMORY, "4096.00 GB"},
    {IDC_VIDEO_MEMORY, "24576 MB"},
    {IDC_OS_VERSION, "  \"Debian GNU/Linux 12\" version 6.18.44 "},
    {IDC_WEB_LINK, KELVANE_WEB_ADDRESS},
};

const size_t kLongestFieldTextCount = sizeof kLongestFieldTexts / sizeof kLongestFieldTexts[0];

void FormatLongestTimeStamp(const char* monthName, char* out, size_t capacity) {
    const LocalTime widest = {2026, 9, 30, 23, 59, 59};
    FormatTimeStamp(widest, monthName, out, capacity);
}
