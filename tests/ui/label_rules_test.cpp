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
        {{face40.c_str(), 0, false, false, false}, 96, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", -11, 400, false},
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

}  // namespace
