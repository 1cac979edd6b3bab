// Portable arithmetic of the drawing kit: row strides and image sizes of
// uncompressed device-independent bitmaps, checked for overflow. The GDI half
// (handles, Surface, boxes, DIB records) is view/Draw_win.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv {

// Bytes per row of an uncompressed DIB of `width` pixels at `bitCount` bits:
// whole bits rounded up to a 32-bit boundary. For 8, 16, 24 and 32 bits this
// is (width * bitCount / 8 + 3) rounded down to a multiple of 4; below 8 bits
// the partial byte of a row is counted too (a 5-pixel 1-bit row needs 4
// bytes, not 0). Returns -1 for a negative size, a bit count outside 1-32 or a
// stride that does not fit an int.
[[nodiscard]] int DibStride(int width, int bitCount);

// stride * |height|, or -1 when that does not fit an int (or an input is bad).
// The header's image size field and every buffer size go through here.
[[nodiscard]] int DibImageSize(int stride, int height);

}  // namespace mrv
