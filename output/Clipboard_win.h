// Copying the selection to the clipboard: the image's packed DIB exactly as
// the image library holds it (info header, masks or colour table, rows) as
// CF_DIB, first, and beside it the same pixels as a PNG file under the
// registered format "PNG", which browsers, office suites and chat programs
// prefer (under Wine, X programs see it as image/png).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "base/Geometry.h"
#include "imaging/PixelView.h"

namespace mrv {

class OutputImage;

// The copy commands' "no conversion" variant: the image goes as captured.
constexpr int kVariantAsCaptured = -1;

// The registered clipboard format "PNG" (0 if it could not be registered).
UINT PngClipboardFormat();

// One block for the clipboard and the format it goes under.
struct ClipboardBlock {
    UINT format = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Replaces the clipboard's contents by `blocks`, offered in this order, owned
// by `owner` (the main window; the clipboard needs an owner for the data to
// stick). Every block is made and filled before the clipboard is opened, so a
// failed allocation leaves what is on the clipboard alone and the clipboard
// is held only for the hand-over. When another program has it open, opening
// is tried again for about 100 ms in all; then the copy gives up quietly
// (false). The clipboard is closed on every path once opened. True when
// every block was taken.
[[nodiscard]] bool PutOnClipboard(HWND owner, std::initializer_list<ClipboardBlock> blocks);
[[nodiscard]] bool PutOnClipboard(HWND owner, const std::uint8_t* data, std::size_t size,
                                  UINT format = CF_DIB);

// The same with the retry made explicit: `attempts` tries to open, calling
// `wait` between two of them. For tests.
[[nodiscard]] bool PutOnClipboardWithRetry(HWND owner, std::initializer_list<ClipboardBlock> blocks,
                                           int attempts, const std::function<void()>& wait);

// Converts the held image to `variant` unless it is kVariantAsCaptured (the
// conversion's result is not looked at: a failed conversion leaves the image
// as it was, still a whole DIB), then puts its DIB and its PNG on the
// clipboard (the DIB alone if the PNG cannot be made). False with no image or
// when the clipboard could not be had.
[[nodiscard]] bool CopyToClipboard(HWND owner, OutputImage& image, int variant);

// A fresh cut of `selection` out of `snapshot` (the frozen screen; no new
// snapshot is taken), then CopyToClipboard. False when nothing was captured.
[[nodiscard]] bool CaptureAndCopy(HWND owner, OutputImage& image,
                                  const imaging::PixelView& snapshot, const Rect& selection,
                                  int variant);

}  // namespace mrv
