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

// The pixels of a 32-bit top-down DIB section, in place. GDI cannot tell a
// section's row order (GetObject reports every section's height as
// positive); the program makes its sections top-down. An empty view (null
// data) for a device-dependent bitmap, another depth, or masks other than
// the plain B, G, R byte order. GDI's batch is flushed first, so drawing
// still queued for the bitmap is in the pixels. The view is valid while the
// bitmap lives and is not drawn into.
[[nodiscard]] imaging::PixelView ViewOfDibSection(HBITMAP bitmap);

// A new 24-bit image of the rectangle (left, top, width, height) of the
// section selected into `dc`. Null when no such section is selected, for an
// empty rectangle or one reaching outside it, or when memory runs out.
[[nodiscard]] imaging::Image* CreateImageFromDC(HDC dc, int left, int top, int width, int height);

}  // namespace mrv
