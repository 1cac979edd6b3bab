// Copying the selection to the clipboard as one CF_DIB block: the image's
// packed DIB exactly as the image library holds it (info header, masks or
// colour table, rows). No other format is offered.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "base/Geometry.h"
#include "imaging/PixelView.h"

namespace mrv {

class OutputImage;

// The copy commands' "no conversion" variant: the image goes as captured.
constexpr int kVariantAsCaptured = -1;

// Puts `size` bytes on the clipboard under `format`, owned by `owner` (the
// main window; the clipboard needs an owner for the data to stick). The
// block is made and filled before the clipboard is opened, so a failed
// allocation leaves what is on the clipboard alone and the clipboard is held
// only for the hand-over. When another program has it open, opening is tried
// again for about 100 ms in all; then the copy gives up quietly (false). The
// clipboard is closed on every path once opened.
[[nodiscard]] bool PutOnClipboard(HWND owner, const std::uint8_t* data, std::size_t size,
                                  UINT format = CF_DIB);

// The same with the retry made explicit: `attempts` tries to open, calling
// `wait` between two of them. For tests.
[[nodiscard]] bool PutOnClipboardWithRetry(HWND owner, const std::uint8_t* data, std::size_t size,
                                           UINT format, int attempts,
                                           const std::function<void()>& wait);

// Converts the held image to `variant` unless it is kVariantAsCaptured (the
// conversion's result is not looked at: a failed conversion leaves the image
// as it was, still a whole DIB), then puts its DIB on the clipboard. False
// with no image or when the clipboard could not be had.
[[nodiscard]] bool CopyToClipboard(HWND owner, OutputImage& image, int variant);

// A fresh cut of `selection` out of `snapshot` (the frozen screen; no new
// snapshot is taken), then CopyToClipboard. False when nothing was captured.
[[nodiscard]] bool CaptureAndCopy(HWND owner, OutputImage& image,
                                  const imaging::PixelView& snapshot, const Rect& selection,
                                  int variant);

}  // namespace mrv
