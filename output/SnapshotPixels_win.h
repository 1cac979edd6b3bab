// The image library's "create image from a device context", on Win32.
//
// The snapshot of the screen is a 32-bit top-down DIB section: its pixels
// already sit in memory in the library's kBgrx32 layout, so the selection is
// read straight out of them. No GetPixel, and no copy of the whole screen;
// only the selected rectangle is copied, into the new image.
#pragma once

#include <windows.h>

#include "imaging/Image.h"
#include "imaging/PixelView.h"

namespace mrv {

// Which way a section's rows run in memory. GDI does not say: GetObject
// reports a section's height as a positive number whichever way it was
// made, so the one who created the section has to tell.
enum class RowOrder { kTopDown, kBottomUp };

// The pixels of a 32- or 24-bit DIB section, in place: top row first, with a
// negative stride for a bottom-up section. An empty view (null data) for a
// device-dependent bitmap, another depth, or 32-bit masks other than the
// plain B, G, R byte order. Flushes GDI's batch first, so drawing still
// queued for the bitmap is in the pixels. The view is valid while the
// bitmap lives and is not drawn into.
[[nodiscard]] imaging::PixelView ViewOfDibSection(HBITMAP bitmap,
                                                  RowOrder order = RowOrder::kTopDown);

// A new 24-bit image of the rectangle (left, top, width, height) of what is
// selected into `dc`. A DIB section (its rows in `order`) is read in place;
// any other bitmap (the display, a compatible bitmap) is first copied, that
// rectangle only, into a 32-bit section with BitBlt. Null for a null DC, an empty rectangle or one
// reaching outside the bitmap, or when memory runs out.
[[nodiscard]] imaging::Image* CreateImageFromDC(HDC dc, int left, int top, int width, int height,
                                                RowOrder order = RowOrder::kTopDown);

}  // namespace mrv
