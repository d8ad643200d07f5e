#include "ui/cursor_image.h"

#include <cstddef>
#include <cstring>

namespace {

bool BitAt(const uint8_t* plane, int rowBytes, int x, int y) {
    return (plane[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
}

}  // namespace

bool ScaleCursorPlane(const uint8_t* source, int sourceSize, int size, bool padding, uint8_t* out) {
    if (!source || !out || sourceSize <= 0 || sourceSize % 8 != 0 || size < 1 ||
        size > kMaxCursorSize)
        return false;
    const int sourceRowBytes = sourceSize / 8;
    const int rowBytes = static_cast<int>(CursorPlaneBytes(size) / static_cast<size_t>(size));
    std::memset(out, padding ? 0xff : 0x00, CursorPlaneBytes(size));
    for (int y = 0; y < size; ++y) {
        const int sourceY = y * sourceSize / size;
        uint8_t* row = out + static_cast<ptrdiff_t>(y) * rowBytes;
        for (int x = 0; x < size; ++x) {
            const uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
            if (BitAt(source, sourceRowBytes, x * sourceSize / size, sourceY))
                row[x / 8] |= mask;
            else
                row[x / 8] &= static_cast<uint8_t>(~mask);
        }
    }
    return true;
}

int ScaleCursorCoordinate(int coordinate, int sourceSize, int size) {
    if (sourceSize <= 0) return coordinate;
    // The first pixel that shows the source pixel, so the hot spot stays on it.
    return (coordinate * size + sourceSize - 1) / sourceSize;
}
