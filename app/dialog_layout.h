// The main dialog's template as data: every control, in template order, with its
// coordinates in dialog units. The Win32 resource script holds the same table (a test
// compares the two) and the Qt dialog builds its controls from it.
#pragma once

#include <cstddef>

enum class ControlKind { kLabel, kValueField, kButton, kDropDownList, kLink, kStatusLine, kGroupBox };
enum class Align { kLeft, kCentre, kRight };

struct ControlSpec {
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

extern const ControlSpec kMainDialogControls[];
extern const size_t kMainDialogControlCount;

// The row of `id`, or nullptr.
const ControlSpec* FindControlSpec(int id);
