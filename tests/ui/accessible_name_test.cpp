#include "ui/accessible_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

TEST(AccessibleName, LabelWithoutColonAndMnemonicCutToCapacity) {
    const std::tuple<const char*, size_t, const char*> cases[] = {
        {"CPU Speed:", 64, "CPU Speed"},         {"&Close", 64, "Close"},  {"", 64, ""},
        {"Memory (RAM):", 64, "Memory (RAM)"},   {"R&&D:", 64, "R&D"},     {nullptr, 64, ""},
        {"Run &All Tests", 64, "Run All Tests"}, {"Cores: ", 64, "Cores"}, {"Vendor:", 1, ""},
        {"Mem Bandwidth:", 6, "Mem B"}};
    for (const auto& [label, capacity, expected] : cases) {
        char name[65];
        std::memset(name, '#', sizeof name);
        AccessibleNameFromLabel(label, name, capacity);
        EXPECT_STREQ(name, expected) << (label ? label : "(null)");
        EXPECT_EQ(name[capacity], '#') << "written past the capacity";
    }
}

}  // namespace
