// Monochrome cursor planes at another size: a cursor drawn at 32 x 32 for 96 dpi, shown
// at the size the system gives cursors at the window's dpi.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of one plane `size` pixels square: rows padded to whole 16-bit words.
constexpr size_t CursorPlaneBytes(int size) {
    return size <= 0 ? 0 : static_cast<size_t>((size + 15) / 16 * 2) * static_cast<size_t>(size);
}
constexpr int kMaxCursorSize = 256;

// Scales `source` (sourceSize square, rows of sourceSize / 8 bytes, most significant bit
// leftmost) to `size` square by nearest neighbour into `out`, which holds
// CursorPlaneBytes(size); bits beyond the row's end are `padding`. False, and nothing
// written, for a size outside 1..kMaxCursorSize.
bool ScaleCursorPlane(const uint8_t* source, int sourceSize, int size, bool padding, uint8_t* out);

// Where the hot spot of a sourceSize-square cursor lies at `size`.
int ScaleCursorCoordinate(int coordinate, int sourceSize, int size);
