#include "ui/accessible_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(AccessibleName, LabelWithoutColonAndMnemonicCutToCapacity) {
    const struct {
        const char* label;
        size_t capacity;
        const char* name;
    } cases[] = {
        {"CPU Speed:", 64, "CPU Speed"},         {"&Close", 64, "Close"},  {"", 64, ""},
        {"Memory (RAM):", 64, "Memory (RAM)"},   {"R&&D:", 64, "R&D"},     {nullptr, 64, ""},
        {"Run &All Tests", 64, "Run All Tests"}, {"Cores: ", 64, "Cores"}, {"Vendor:", 1, ""},
        {"Mem Bandwidth:", 6, "Mem B"}};
    for (const auto& c : cases) {
        char name[65];
        std::memset(name, '#', sizeof name);
        AccessibleNameFromLabel(c.label, name, c.capacity);
        EXPECT_STREQ(name, c.name) << (c.label ? c.label : "(null)");
        EXPECT_EQ(name[c.capacity], '#') << "written past the capacity";
    }
}

}  // namespace
