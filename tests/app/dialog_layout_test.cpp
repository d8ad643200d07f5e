#include "app/dialog_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "res/resource.h"

namespace {

TEST(DialogLayout, FortyOneControlsInsideTheDialog) {
    ASSERT_EQ(kMainDialogControlCount, 41u);
    std::set<int> ids;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlSpec& c = kMainDialogControls[i];
        EXPECT_GE(c.x, 0);
        EXPECT_GE(c.y, 0);
        EXPECT_LE(c.x + c.width, kDialogWidth) << c.text;
        // The drop-down list's height counts its open list, which may pass the bottom.
        if (c.kind != ControlKind::kDropDownList) {
            EXPECT_LE(c.y + c.height, kDialogHeight);
        }
        if (c.id != -1) {
            EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
        }
        EXPECT_EQ(c.tabStop, c.kind == ControlKind::kButton || c.kind == ControlKind::kDropDownList);
    }
    EXPECT_EQ(ids.size(), 24u);
}

TEST(DialogLayout, FindsControlsById) {
    ASSERT_NE(FindControlSpec(IDC_RUN_ALL), nullptr);
    EXPECT_STREQ(FindControlSpec(IDC_RUN_ALL)->text, "Run &All Tests");
    EXPECT_EQ(FindControlSpec(IDC_CPU_DETAILS)->height, 19);
    EXPECT_EQ(FindControlSpec(-1), nullptr);
    EXPECT_EQ(FindControlSpec(4242), nullptr);
}

}  // namespace
