#include "ui/label_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(LabelTextTest, KeepsAtMost62Characters) {
    const struct {
        size_t length;
        size_t kept;
    } cases[] = {{0, 0}, {1, 1}, {62, 62}, {63, 62}, {70, 62}, {300, 62}};
    for (const auto& c : cases) {
        std::string text(c.length, 'x');
        char copy[kLabelTextSize];
        std::memset(copy, '#', sizeof copy);
        CopyLabelText(copy, text.c_str());
        EXPECT_EQ(std::strlen(copy), c.kept) << c.length;
    }
    char copy[kLabelTextSize] = "old";
    CopyLabelText(copy, nullptr);
    EXPECT_STREQ(copy, "");
}

TEST(GuiFontTest, DescribesTheRequestedFont) {
    const std::string face40(40, 'F');
    const struct {
        GuiFontRequest request;
        int dpi;
        const char* face;
        int height;
        int weight;
        bool symbol;
    } cases[] = {
        {kStatusFont, 96, "Tahoma", -11, 400, false},
        {kLinkFont, 96, "Verdana", -11, 400, false},
        {{nullptr, 10, false, false, false}, 96, "Tahoma", -13, 400, false},
        {{"", 12, true, false, false}, 120, "Tahoma", -20, 700, false},
        {{"wInGdInGs", 0, false, false, false}, 96, "wInGdInGs", -11, 400, true},
        {{"Wingdings 2", 0, false, false, false}, 96, "Wingdings 2", -11, 400, false},
        {{face40.c_str(), 0, false, false, false},
         96,
         "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
         -11,
         400,
         false},
    };
    for (const auto& c : cases) {
        GuiFontDescription font = DescribeGuiFont(c.request, "Tahoma", -11, c.dpi);
        EXPECT_STREQ(font.face, c.face);
        EXPECT_EQ(font.height, c.height) << c.face;
        EXPECT_EQ(font.weight, c.weight) << c.face;
        EXPECT_EQ(font.symbolCharset, c.symbol) << c.face;
        EXPECT_EQ(font.italic, c.request.italic);
        EXPECT_EQ(font.underline, c.request.underline);
    }
}

TEST(ContrastTest, WcagRatios) {
    EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio({255, 255, 255}, {0, 0, 0}), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio({96, 96, 96}, {96, 96, 96}), 1.0);
    EXPECT_NEAR(ContrastRatio(kLinkColour, {53, 53, 53}), 1.4, 0.05)
        << "why dark themes needed mending";
    EXPECT_NEAR(ContrastRatio({118, 118, 118}, {255, 255, 255}), 4.54, 0.01);
}

TEST(ContrastTest, LightBackgroundsKeepTheColours) {
    for (Rgb face :
         {Rgb{239, 239, 239}, Rgb{236, 236, 236}, Rgb{212, 208, 200}, Rgb{255, 255, 255}}) {
        EXPECT_FALSE(IsDarkBackground(face));
        Rgb link = TextColourOn(kLinkColour, face);
        EXPECT_EQ(std::memcmp(&link, &kLinkColour, sizeof link), 0);
        EngravedColours engraved = EngravedColoursOn(face);
        EXPECT_EQ(std::memcmp(&engraved.text, &kEngravedText, sizeof engraved.text), 0);
        EXPECT_EQ(std::memcmp(&engraved.highlight, &kEngravedHighlight, sizeof engraved.highlight),
                  0);
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
