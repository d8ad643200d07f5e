#include "ui/accessible_name.h"

#include <gtest/gtest.h>

#include "app/dialog_layout.h"

namespace {

TEST(AccessibleName, LabelWithoutColonAndMnemonic) {
    const struct {
        const char* label;
        const char* name;
    } cases[] = {
        {"CPU Speed:", "CPU Speed"},
        {"Memory (RAM):", "Memory (RAM)"},
        {"&Close", "Close"},
        {"Run &All Tests", "Run All Tests"},
        {"R&&D:", "R&D"},
        {"Cores: ", "Cores"},
        {"", ""},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        char name[64] = "x";
        AccessibleNameFromLabel(c.label, name, sizeof name);
        EXPECT_STREQ(name, c.name) << (c.label ? c.label : "(null)");
    }
}

TEST(AccessibleName, CutToCapacity) {
    char name[6] = "";
    AccessibleNameFromLabel("Mem Bandwidth:", name, sizeof name);
    EXPECT_STREQ(name, "Mem B");
    char one[1] = {'x'};
    AccessibleNameFromLabel("Vendor:", one, 1);
    EXPECT_EQ(one[0], '\0');
}

// Screen readers on Windows, and the dialog's own naming, take a value field's name from
// the control just before it in the template: every value field must follow its label.
TEST(AccessibleName, EveryValueFieldFollowsItsLabel) {
    for (size_t i = 0; i < kMainDialogControlCount; ++i) {
        if (kMainDialogControls[i].kind != ControlKind::kValueField) continue;
        ASSERT_GT(i, 0u);
        const ControlSpec& before = kMainDialogControls[i - 1];
        EXPECT_EQ(before.kind, ControlKind::kLabel) << "field " << kMainDialogControls[i].id;
        char name[64];
        AccessibleNameFromLabel(before.text, name, sizeof name);
        EXPECT_NE(name[0], '\0') << "field " << kMainDialogControls[i].id;
    }
}

}  // namespace
