// Pixel arithmetic of a pane's drop shadow, on the two strips the shadow
// bands are copied into (the Win32 half does the copying, view/Pane_win.h).
//
// The box (x, y, w, h) casts two 4-pixel bands, offset 4 pixels:
//
//   (x, y) +-----------------+
//          |       box       |(x + w, y + 4)
//          |                 |+---+
//          +-----------------+|   |  right band: 4 x h
//      (x + 4, y + h)+--------+---+
//                    | bottom band|  bottom band: w x 4, its last 4
//                    +------------+  columns under the right band
//
// Two darkening steps per 8-bit colour component b: half, b / 2, and
// three-quarter, b - b / 4 (both rounded down). The core comes out half as
// bright, with a one-pixel three-quarter fringe on the outer edge and at the
// two starting corners:
//
//   bottom band, w columns          right band, 4 columns, h rows
//   row 0-2: T H H ... H . . . .    row 0:       T T T .
//   row 3:   . T T ... T T T T .    row 1..h-2:  H H H T
//                                   row h-1:     . . . .
//   (T three-quarter, H half, . unchanged)
//
// The bottom band's last four columns are left to the right band, which reads
// them after the bottom band was written back, so no pixel darkens twice.
// Boxes smaller than 5 x 3 keep the same precedence: the unchanged corner
// columns and the unchanged last row win over the other rules.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/Pane.h"  // kPaneShadowSize

namespace mrv {

enum class ShadeStep : std::uint8_t { kNone, kHalf, kThreeQuarter };

constexpr std::uint8_t HalfShade(std::uint8_t b) {
    return static_cast<std::uint8_t>(b / 2);
}
constexpr std::uint8_t ThreeQuarterShade(std::uint8_t b) {
    return static_cast<std::uint8_t>(b - b / 4);
}

// A writable block of pixels. `data` is the first byte of the top row;
// `stride` is the signed distance to the row below (negative for a bottom-up
// DIB). 3 bytes per pixel (B, G, R) or 4 (B, G, R, unused; the unused byte is
// left as it is).
struct ShadowPixels {
    std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    int bytesPerPixel = 3;

    std::uint8_t* Row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Which step a pixel of each band gets, for a box `boxWidth` x `boxHeight`
// and bands `size` thick (4 at 96 dpi; scaled, the core grows and the fringe
// stays one pixel).
ShadeStep BottomBandStep(int column, int row, int boxWidth, int size = kPaneShadowSize);
ShadeStep RightBandStep(int column, int row, int boxHeight, int size = kPaneShadowSize);

// Darken `count` consecutive colour bytes, four at a time where the run allows
// (halve: shift the word right by one and keep 7 bits of each byte;
// three-quarter: subtract the word shifted right by two with 6 bits of each
// byte kept), the rest byte by byte. Equal to the per-byte rule.
void HalveRun(std::uint8_t* bytes, std::size_t count);
void ThreeQuarterRun(std::uint8_t* bytes, std::size_t count);

// Darken `count` pixels starting at `pixels` in the given format.
void ShadePixelRun(std::uint8_t* pixels, int count, int bytesPerPixel, ShadeStep step);

// Apply a band's rule to a strip holding the band's top-left part. Only the
// pixels the strip holds are touched (columns below min(strip.width,
// boxWidth), rows below min(strip.height, 4) for the bottom band; likewise
// for the right band), so a strip smaller than its box shadows what it covers
// and nothing is read or written outside it.
void ShadeBottomBand(const ShadowPixels& strip, int boxWidth, int size = kPaneShadowSize);
void ShadeRightBand(const ShadowPixels& strip, int boxHeight, int size = kPaneShadowSize);

}  // namespace mrv
