#include "ui/label_rules.h"

#include <cstring>

#include "res/version.h"
#include "text/bounded_copy.h"
#include "ui/late_bound.h"

void CopyLabelText(char (&copy)[kLabelTextSize], const char* text) {
    CopyBounded(copy, text ? text : "", kLabelTextSize - 1);
}

namespace {

bool EqualIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

GuiFontDescription DescribeGuiFont(const GuiFontRequest& request, const char* standardFace,
                                   int standardHeight, int dotsPerInchY) {
    GuiFontDescription font = {};
    const char* face = request.face && request.face[0] ? request.face : standardFace;
    CopyBounded(font.face, face ? face : "", 31);  // face names hold 30 characters
    if (request.points == 0) {
        font.height = standardHeight;
    } else {
        // MulDiv rounds to nearest: 10 points at 96 dpi are 13 pixels.
        int64_t scaled = static_cast<int64_t>(request.points) * dotsPerInchY;
        font.height = -static_cast<int>((scaled + (scaled >= 0 ? 36 : -36)) / 72);
    }
    font.weight = request.bold ? 700 : 400;
    font.italic = request.italic;
    font.underline = request.underline;
    font.symbolCharset = request.face && EqualIgnoringCase(request.face, "Wingdings");
    return font;
}

bool OpenMakerWebsite() {
    return CallLateBound("SHELL32.DLL", "ShellExecuteA", KELVANE_WEB_URL, 0) > 32;
}
