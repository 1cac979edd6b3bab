// Automatic range selection: the rectangle around a clicked pixel that is
// enclosed by straight lines of another colour (a window's inside, a panel, a
// table cell), found on the frozen snapshot.
//
// From the click (x, y) four independent scans run outwards: left and right
// along row y, up and down along column x. A scan stops at the first pixel p
// whose colour c differs from the pixel scanned just before it (the click's
// colour c0 for the first step) and from c0, and whose line across the scan
// direction is 8 pixels of exactly c: 4 before the scan line, p itself, and 3
// after it. The lines themselves stay outside the result.
//
//              column i (edge of the left scan)
//                 |
//        y - 4    c
//          ...    c
//        y        c  <--- scan --- (x, y)
//          ...    c
//        y + 3    c
//
// Across-lines that would leave the picture never match, so a click less than
// 4 pixels from the top or bottom (left or right) lets the horizontal
// (vertical) scans run to the borders. Colours compare on their RGB part only,
// exactly as GetPixel values would; the fourth byte of a 32-bit pixel is
// ignored.
#pragma once

#include <optional>

#include "base/Geometry.h"
#include "imaging/PixelView.h"

namespace mrv {

struct Selection;

// Half-open rectangle between the four lines found around (x, y): always at
// least the clicked pixel and never beyond the picture. The pixels are read in
// place; nothing is copied.
//
// The view must be 32-bit (B, G, R, unused), the snapshot's DIB section.
// A picture with a size but no pixel data (the snapshot could not be read)
// gives the whole picture, as if every read had failed. A click outside the
// picture, or an empty, malformed or not 32-bit view, gives nothing.
[[nodiscard]] std::optional<Rect> AutoSelectRect(const imaging::PixelView& snapshot, int x, int y);

// AutoSelectRect written into the selection: left, top, width, height, and the
// anchor at the top-left corner. The drag mode is left alone. Returns false,
// with the selection untouched, when there is nothing to select.
[[nodiscard]] bool AutoSelect(const imaging::PixelView& snapshot, int x, int y,
                              Selection& selection);

}  // namespace mrv
