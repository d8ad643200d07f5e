#include "app/dialog_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/accessible_name.h"

namespace {

TEST(DialogLayout, FortyOneControlsInsideTheDialogFoundByTheirIds) {
    ASSERT_EQ(kMainDialogControlCount, 41u);
    std::set<int> ids;
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        const ControlTemplate& c = kMainDialogControls[i];
        EXPECT_GE(c.x, 0);
        EXPECT_GE(c.y, 0);
        EXPECT_LE(c.x + c.width, kDialogWidth) << c.text;
        // The drop-down list's height counts its open list, which may pass the bottom.
        EXPECT_LE(c.y + (c.kind == ControlKind::kDropDownList ? 0 : c.height), kDialogHeight);
        if (c.id != -1) {
            EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
            EXPECT_EQ(FindControlTemplate(c.id), &c) << c.id;
        }
        EXPECT_EQ(c.tabStop,
                  c.kind == ControlKind::kButton || c.kind == ControlKind::kDropDownList);
        // Screen readers on Windows, and the dialog's own naming, take a value field's name
        // from the control just before it in the template: its label.
        if (c.kind != ControlKind::kValueField) continue;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(kMainDialogControls[i - 1].kind, ControlKind::kLabel) << "field " << c.id;
        char name[64];
        AccessibleNameFromLabel(kMainDialogControls[i - 1].text, name, sizeof name);
        EXPECT_NE(name[0], '\0') << "field " << c.id;
    }
    EXPECT_EQ(ids.size(), 24u);
    EXPECT_EQ(FindControlTemplate(-1), nullptr);
    EXPECT_EQ(FindControlTemplate(4242), nullptr);
}

}  // namespace
