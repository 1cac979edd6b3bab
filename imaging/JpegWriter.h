// Baseline JPEG (JFIF) writer of the image library.
#pragma once

#include "imaging/ByteSink.h"
#include "imaging/PixelView.h"

namespace mrv::imaging {

// Encodes `pixels` as a baseline JFIF file and hands it to `sink` piece by
// piece. `quality` follows the usual 1..100 scale (values outside are clamped,
// 0 counts as 1); from 90 up colour is kept at full resolution, below 90 it is
// halved in both directions. Returns false for an empty or malformed view, for
// a picture larger than 65535 pixels in either direction, and as soon as the
// sink refuses bytes (nothing more is written to it after that).
[[nodiscard]] bool WriteJpeg(const PixelView& pixels, int quality, ByteSink& sink);

}  // namespace mrv::imaging
