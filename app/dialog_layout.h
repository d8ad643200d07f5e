// The main dialog's template as data: every control, in template order, with its
// coordinates in dialog units. The Win32 resource script holds the same table (a test
// compares the two) and the Qt dialog builds its controls from it.
#pragma once

#include <cstddef>

enum class ControlKind {
    kLabel,
    kValueField,
    kButton,
    kDropDownList,
    kLink,
    kStatusLine,
    kGroupBox
};
enum class Align { kLeft, kCentre, kRight };

struct ControlTemplate {
    int id;  // -1 for the labels and group boxes that nothing refers to
    ControlKind kind;
    const char* text;
    int x, y, width, height;
    Align align;
    bool sunken;
    bool wordWrap;  // the two-line CPU Details field wraps; single-line fields do not
    bool tabStop;
};

constexpr int kDialogWidth = 256;
constexpr int kDialogHeight = 252;
constexpr const char* kDialogFontFace = "MS Sans Serif";
constexpr int kDialogFontPoints = 8;

extern const ControlTemplate kMainDialogControls[];
extern const size_t kMainDialogControlCount;

// The row of `id`, or nullptr.
const ControlTemplate* FindControlTemplate(int id);

// The longest texts each field is known to hold, which must show whole in the fonts each
// platform uses: the dialogs size their units to them and the fit tests measure them.
// The status line's longest time stamp depends on the month names: see
// FormatLongestTimeStamp.
struct FieldSample {
    int id;
    const char* text;
};
extern const FieldSample kLongestFieldTexts[];
extern const size_t kLongestFieldTextCount;

// The time stamp with the widest figures (the 30th, 23:59:59) for `monthName`; the
// caller tries each month of the user's language and keeps the widest.
void FormatLongestTimeStamp(const char* monthName, char* out, size_t capacity);
