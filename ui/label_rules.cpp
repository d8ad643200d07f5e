#include "ui/label_rules.h"

#include <cmath>
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

namespace {

double Linear(uint8_t channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(Rgb colour) {
    return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) +
           0.0722 * Linear(colour.blue);
}

uint8_t MixChannel(uint8_t from, uint8_t to, int step, int steps) {
    return static_cast<uint8_t>(from + ((to - from) * step + steps / 2) / steps);
}

Rgb Mix(Rgb from, Rgb to, int step, int steps) {
    return {MixChannel(from.red, to.red, step, steps),
            MixChannel(from.green, to.green, step, steps),
            MixChannel(from.blue, to.blue, step, steps)};
}

constexpr Rgb kWhite = {255, 255, 255};

}  // namespace

double ContrastRatio(Rgb a, Rgb b) {
    double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

bool IsDarkBackground(Rgb background) {
    return ContrastRatio(background, kWhite) > ContrastRatio(background, Rgb{0, 0, 0});
}

Rgb TextColourOn(Rgb wanted, Rgb background) {
    if (!IsDarkBackground(background)) return wanted;
    // White reaches at least 4.58 on any dark background, so the search ends.
    constexpr int kSteps = 64;
    for (int step = 0; step < kSteps; ++step) {
        Rgb mixed = Mix(wanted, kWhite, step, kSteps);
        if (ContrastRatio(mixed, background) >= kMinimumTextContrast) return mixed;
    }
    return kWhite;
}

EngravedColours EngravedColoursOn(Rgb background) {
    if (!IsDarkBackground(background)) return {kEngravedText, kEngravedHighlight};
    return {TextColourOn(kEngravedText, background), Mix(background, kWhite, 1, 4)};
}

bool OpenMakerWebsite() {
    return CallLateBound("SHELL32.DLL", "ShellExecuteA", KELVANE_WEB_URL, 0) > 32;
}
