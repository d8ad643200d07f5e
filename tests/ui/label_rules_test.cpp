#include "ui/label_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

namespace {

TEST(LabelTextTest, KeepsAtMost62Characters) {
    for (size_t length : {0, 1, 62, 63, 70, 300}) {
        std::string text(length, 'x');
        char copy[kLabelTextSize];
        std::memset(copy, '#', sizeof copy);
        CopyLabelText(copy, text.c_str());
        EXPECT_EQ(std::strlen(copy), length < 62 ? length : 62) << length;
    }
    char copy[kLabelTextSize] = "old";
    CopyLabelText(copy, nullptr);
    EXPECT_STREQ(copy, "");
}

// The font DescribeGuiFont gives, as "face height weight" and its flags.
std::string Font(const GuiFontRequest& request, int dpi) {
    GuiFontDescription f = DescribeGuiFont(request, "Tahoma", -11, dpi);
    return std::string(f.face) + " " + std::to_string(f.height) + " " + std::to_string(f.weight) +
           (f.italic ? " italic" : "") + (f.underline ? " underline" : "") +
           (f.symbolCharset ? " symbol" : "");
}

TEST(GuiFontTest, DescribesTheRequestedFont) {
    const std::string face40(40, 'F');
    const std::tuple<GuiFontRequest, int, const char*> cases[] = {
        {kStatusFont, 96, "Tahoma -11 400 italic"},
        {kLinkFont, 96, "Verdana -11 400 underline"},
        {{nullptr, 10, false, false, false}, 96, "Tahoma -13 400"},
        {{"", 12, true, true, true}, 120, "Tahoma -20 700 italic underline"},
        {{"wInGdInGs", 0, false, false, false}, 96, "wInGdInGs -11 400 symbol"},
        {{"Wingdings 2", 0, false, false, false}, 96, "Wingdings 2 -11 400"},
        {{face40.c_str(), 0, false, false, false}, 96, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF -11 400"}};
    for (const auto& [request, dpi, font] : cases) EXPECT_EQ(Font(request, dpi), font);
}

TEST(ContrastTest, WcagRatios) {
    EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio({255, 255, 255}, {0, 0, 0}), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio({96, 96, 96}, {96, 96, 96}), 1.0);
    EXPECT_NEAR(ContrastRatio({118, 118, 118}, {255, 255, 255}), 4.54, 0.01);
}

TEST(ContrastTest, LightBackgroundsKeepTheColours) {
    auto rgb = [](Rgb c) { return c.red << 16 | c.green << 8 | c.blue; };
    for (Rgb face :
         {Rgb{239, 239, 239}, Rgb{236, 236, 236}, Rgb{212, 208, 200}, Rgb{255, 255, 255}}) {
        EXPECT_FALSE(IsDarkBackground(face));
        EXPECT_EQ(rgb(TextColourOn(kLinkColour, face)), rgb(kLinkColour));
        EngravedColours engraved = EngravedColoursOn(face);
        EXPECT_EQ(rgb(engraved.text), rgb(kEngravedText));
        EXPECT_EQ(rgb(engraved.highlight), rgb(kEngravedHighlight));
    }
}

TEST(ContrastTest, DarkBackgroundsReachTheMinimumAndKeepTheLook) {
    for (Rgb face :
         {Rgb{53, 53, 53}, Rgb{30, 30, 30}, Rgb{0, 0, 0}, Rgb{49, 54, 59}, Rgb{110, 110, 110}}) {
        ASSERT_TRUE(IsDarkBackground(face)) << int(face.red);
        Rgb link = TextColourOn(kLinkColour, face);
        EXPECT_GE(ContrastRatio(link, face), kMinimumTextContrast) << int(face.red);
        EXPECT_LT(ContrastRatio(link, face), kMinimumTextContrast + 1.0)
            << "no lighter than it must be";
        EXPECT_EQ(int(link.blue), 255) << "still blue";
        EXPECT_EQ(int(link.red), int(link.green));

        EngravedColours engraved = EngravedColoursOn(face);
        EXPECT_GE(ContrastRatio(engraved.text, face), kMinimumTextContrast) << int(face.red);
        EXPECT_EQ(int(engraved.text.red), int(engraved.text.blue)) << "still grey";
        // The copy below the text lies between the background and the text.
        EXPECT_GT(int(engraved.highlight.red), int(face.red));
        EXPECT_LT(int(engraved.highlight.red), int(engraved.text.red));
    }
}

}  // namespace
