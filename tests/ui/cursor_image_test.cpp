#include "ui/cursor_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "res/hand_cursor.h"

namespace {

bool Bit(const std::vector<uint8_t>& plane, int size, int x, int y) {
    int rowBytes = static_cast<int>(CursorPlaneBytes(size)) / size;
    return (plane[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
}

std::vector<uint8_t> Scaled(const unsigned char* source, int size, bool padding) {
    std::vector<uint8_t> out(CursorPlaneBytes(size), 0x5a);
    EXPECT_TRUE(ScaleCursorPlane(source, 32, size, padding, out.data()));
    return out;
}

TEST(CursorImage, PlaneRowsArePaddedToWords) {
    EXPECT_EQ(CursorPlaneBytes(32), 128u);
    EXPECT_EQ(CursorPlaneBytes(48), 6u * 48u);
    EXPECT_EQ(CursorPlaneBytes(40), 6u * 40u);
    EXPECT_EQ(CursorPlaneBytes(0), 0u);
}

TEST(CursorImage, SameSizeGivesTheSamePlanes) {
    EXPECT_EQ(Scaled(kHandCursorAnd, 32, true),
              std::vector<uint8_t>(kHandCursorAnd, kHandCursorAnd + 128));
    EXPECT_EQ(Scaled(kHandCursorXor, 32, false),
              std::vector<uint8_t>(kHandCursorXor, kHandCursorXor + 128));
}

// Every pixel of the larger image shows the pixel of the hand it falls on, and the
// bits past a row's end keep the padding (transparent for AND, no change for XOR).
TEST(CursorImage, LargerSizesRepeatEachPixel) {
    for (int size : {40, 48, 64}) {
        SCOPED_TRACE(size);
        auto andPlane = Scaled(kHandCursorAnd, size, true);
        auto xorPlane = Scaled(kHandCursorXor, size, false);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                int sx = x * 32 / size, sy = y * 32 / size;
                ASSERT_EQ(Bit(andPlane, size, x, y),
                          ((kHandCursorAnd[sy * 4 + sx / 8] >> (7 - sx % 8)) & 1) != 0);
                ASSERT_EQ(Bit(xorPlane, size, x, y),
                          ((kHandCursorXor[sy * 4 + sx / 8] >> (7 - sx % 8)) & 1) != 0);
            }
            int rowBits = static_cast<int>(CursorPlaneBytes(size)) / size * 8;
            for (int x = size; x < rowBits; ++x) {
                ASSERT_TRUE(Bit(andPlane, size, x, y));
                ASSERT_FALSE(Bit(xorPlane, size, x, y));
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
        EXPECT_TRUE(Bit(xorPlane, size, hotX, size / 32 * 2)) << size;
    }
}

TEST(CursorImage, SizesOutsideTheRangeWriteNothing) {
    std::vector<uint8_t> out(CursorPlaneBytes(kMaxCursorSize + 1), 0x5a);
    EXPECT_FALSE(ScaleCursorPlane(kHandCursorAnd, 32, 0, true, out.data()));
    EXPECT_FALSE(ScaleCursorPlane(kHandCursorAnd, 32, kMaxCursorSize + 1, true, out.data()));
    EXPECT_FALSE(ScaleCursorPlane(nullptr, 32, 48, true, out.data()));
    EXPECT_EQ(out[0], 0x5a);
}

}  // namespace
