// Portable arithmetic of the drawing kit: row strides and image sizes of
// uncompressed device-independent bitmaps, checked for overflow. The GDI half
// (handles, Surface, boxes, DIB records) is view/Draw_win.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/UiScale.h"

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

// The marching stripes of the selection ring: square tiles `period` pixels a
// side, light where (x + y - step * slot) mod period < light, for slots 0-3
// (the frame tick steps through them). The period is four steps, so the
// fourth slot leads back to the first, and a whole number of pixels at
// every scale.
//   dpi      96  120  144  168  192
//   period    8   12   12   16   16
//   light     3    5    5    6    6
//   step      2    3    3    4    4
// At 96 dpi the tiles are the program's own 8 x 8 bitmaps, the same stripes.
struct StripePattern {
    int period = 8;
    int light = 3;
    int step = 2;
};
[[nodiscard]] StripePattern StripePatternFor(UiScale scale);

// The tile of `slot` as a monochrome bitmap's bits: rows top-down, each
// padded to 16 bits, the leftmost pixel in the high bit, 1 for light.
[[nodiscard]] std::vector<std::uint8_t> StripeTileBits(const StripePattern& pattern, int slot);

}  // namespace mrv
