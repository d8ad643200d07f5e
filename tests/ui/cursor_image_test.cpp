#include "ui/cursor_image.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "res/hand_cursor.h"

namespace {

bool Bit(const uint8_t* plane, int rowBytes, int x, int y) {
    return (plane[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
}

std::vector<uint8_t> Scaled(const unsigned char* source, int size, bool padding) {
    std::vector<uint8_t> out(CursorPlaneBytes(size), 0x5a);
    EXPECT_TRUE(ScaleCursorPlane(source, 32, size, padding, out.data()));
    return out;
}

// Every pixel of the image shows the pixel of the hand it falls on (at 32, the planes as
// they are), and the bits past a row's end, up to the next 16-bit word, keep the padding:
// transparent for AND, no change for XOR.
TEST(CursorImage, EachPixelRepeatedAndRowsPaddedToWords) {
    const std::pair<int, int> cases[] = {{32, 4}, {40, 6}, {48, 6}, {64, 8}};  // size, row bytes
    for (const auto& [size, rowBytes] : cases) {
        SCOPED_TRACE(size);
        ASSERT_EQ(CursorPlaneBytes(size), static_cast<size_t>(rowBytes * size));
        auto andPlane = Scaled(kHandCursorAnd, size, true);
        auto xorPlane = Scaled(kHandCursorXor, size, false);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < rowBytes * 8; ++x) {
                bool inside = x < size;
                int sx = x * 32 / size, sy = y * 32 / size;
                ASSERT_EQ(Bit(andPlane.data(), rowBytes, x, y),
                          !inside || Bit(kHandCursorAnd, 4, sx, sy))
                    << x << "," << y;
                ASSERT_EQ(Bit(xorPlane.data(), rowBytes, x, y),
                          inside && Bit(kHandCursorXor, 4, sx, sy))
                    << x << "," << y;
            }
        }
    }
}

TEST(CursorImage, HotSpotStaysOnTheFingertip) {
    EXPECT_EQ(ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_X, 32, 32), 5);
    EXPECT_EQ(ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_X, 32, 48), 8);
    EXPECT_EQ(ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_X, 32, 64), 10);
    EXPECT_EQ(ScaleCursorCoordinate(0, 32, 64), 0);
    // The fingertip's white pixels are at columns 5 and 6 of row 1: the hot spot's
    // column stays on the outline above them at every size.
    for (int size : {48, 64}) {
        auto xorPlane = Scaled(kHandCursorXor, size, false);
        int hotX = ScaleCursorCoordinate(KELVANE_HAND_CURSOR_HOT_X, 32, size);
        EXPECT_TRUE(Bit(xorPlane.data(), size / 8, hotX, size / 32 * 2)) << size;
    }
}

TEST(CursorImage, SizesOutsideTheRangeWriteNothing) {
    EXPECT_EQ(CursorPlaneBytes(0), 0u);
    std::vector<uint8_t> out(CursorPlaneBytes(kMaxCursorSize + 1), 0x5a);
    EXPECT_FALSE(ScaleCursorPlane(kHandCursorAnd, 32, 0, true, out.data()));
    EXPECT_FALSE(ScaleCursorPlane(kHandCursorAnd, 32, kMaxCursorSize + 1, true, out.data()));
    EXPECT_FALSE(ScaleCursorPlane(nullptr, 32, 48, true, out.data()));
    EXPECT_EQ(out[0], 0x5a);
}

}  // namespace
