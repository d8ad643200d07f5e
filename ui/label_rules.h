// What the status line and the web link look like and do, for every toolkit that draws
// them: text limits, colours, offsets, fonts, the link's action.
#pragma once

#include <cstddef>
#include <cstdint>

// Each label paints its own copy of its text: 62 characters and the terminator.
constexpr size_t kLabelTextSize = 64;
void CopyLabelText(char (&copy)[kLabelTextSize], const char* text);

struct Rgb {
    uint8_t red, green, blue;
};
constexpr Rgb kEngravedHighlight = {255, 255, 255};  // drawn first, one pixel right and down
constexpr Rgb kEngravedText = {96, 96, 96};
constexpr Rgb kLinkColour = {0, 0, 255};

// Text must reach this WCAG contrast ratio with the colour behind it.
constexpr double kMinimumTextContrast = 4.5;
// WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(Rgb a, Rgb b);
// Dark: light text reads better on it than dark text (a dark desktop theme).
bool IsDarkBackground(Rgb background);
// The colour to draw `wanted` in on `background`: itself on a light background, as the
// labels were drawn for; on a dark one mixed toward white just far enough to reach
// kMinimumTextContrast, so blue stays a light blue and grey a light grey.
Rgb TextColourOn(Rgb wanted, Rgb background);

// The engraved status line's two colours on `background`: the grey text over a white copy
// one pixel right and down; on a dark background a light grey over a copy a little
// lighter than the background, so the edge still catches the light.
struct EngravedColours {
    Rgb text, highlight;
};
EngravedColours EngravedColoursOn(Rgb background);

// A font derived from the standard GUI font.
struct GuiFontRequest {
    const char* face;  // nullptr or empty: the standard face
    int points;        // 0: the standard height
    bool bold, italic, underline;
};
constexpr GuiFontRequest kStatusFont = {nullptr, 0, false, true, false};
constexpr GuiFontRequest kLinkFont = {"Verdana", 0, false, false, true};

struct GuiFontDescription {
    char face[32];
    int height;  // negative: character height in pixels
    int weight;  // 400 or 700
    bool italic, underline;
    bool symbolCharset;  // the Wingdings face needs the symbol character set
};

// The font `request` asks for, given the standard font's face and height and the screen's
// vertical dots per inch.
GuiFontDescription DescribeGuiFont(const GuiFontRequest& request, const char* standardFace,
                                   int standardHeight, int dotsPerInchY);

constexpr const char kLinkFailureText[] = "Unable to load website!";
constexpr const char kLinkFailureCaption[] = "Link Failure";

// Opens the maker's web page in the user's browser; false when that could not start.
bool OpenMakerWebsite();
