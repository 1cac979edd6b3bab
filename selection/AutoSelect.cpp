#include "selection/AutoSelect.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "selection/Selection.h"

namespace mrv {
namespace {

using imaging::PixelFormat;
using imaging::PixelView;

// The across-line runs from kLineBefore pixels before the scan line to
// kLineAfter pixels after it: 8 pixels with the one on the scan line.
constexpr int kLineBefore = 4;
constexpr int kLineAfter = 3;
constexpr int kBytesPerPixel = 4;

// RGB of the pixel at p, as 0x00RRGGBB. Only equality matters, so the order of
// the components is free; the unused fourth byte is never part of it.
inline std::uint32_t Rgb(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

// Whether the 8 pixels p - 4 * across ... p + 3 * across all have colour c.
// The caller has checked that they lie inside the picture.
inline bool AcrossLineIs(const std::uint8_t* p, std::ptrdiff_t across, std::uint32_t c) {
    const std::uint8_t* q = p - kLineBefore * across;
    for (int k = 0; k < kLineBefore + 1 + kLineAfter; ++k, q += across) {
        if (Rgb(q) != c) return false;
    }
    return true;
}

// Walks `count` pixels from the click, `step` bytes apart, and returns how many
// steps away the edge lies (1 ... count), or count + 1 when there is none.
// `canStop` is false when the across-lines would leave the picture: then no
// pixel can be an edge and the scan runs out, so it is not walked at all.
int StepsToEdge(const std::uint8_t* click, std::ptrdiff_t step, int count, std::ptrdiff_t across,
                bool canStop, std::uint32_t c0) {
    if (!canStop) return count + 1;
    std::uint32_t previous = c0;
    const std::uint8_t* p = click;
    for (int k = 1; k <= count; ++k) {
        p += step;
        const std::uint32_t c = Rgb(p);
        // The predecessor moves on at every step, also past a failed candidate,
        // so a gradient or noise keeps being tested pixel by pixel.
        if (c != previous && c != c0 && AcrossLineIs(p, across, c)) return k;
        previous = c;
    }
    return count + 1;
}

Rect Scan(const PixelView& v, int x, int y) {
    const std::ptrdiff_t stride = v.stride;
    const std::uint8_t* click = v.Row(y) + static_cast<std::ptrdiff_t>(x) * kBytesPerPixel;
    const std::uint32_t c0 = Rgb(click);

    const bool rowsAround = y >= kLineBefore && y + kLineAfter < v.height;
    const bool columnsAround = x >= kLineBefore && x + kLineAfter < v.width;

    const int left = x - StepsToEdge(click, -kBytesPerPixel, x, stride, rowsAround, c0) + 1;
    const int right =
        x + StepsToEdge(click, kBytesPerPixel, v.width - 1 - x, stride, rowsAround, c0);
    const int top = y - StepsToEdge(click, -stride, y, kBytesPerPixel, columnsAround, c0) + 1;
    const int bottom =
        y + StepsToEdge(click, stride, v.height - 1 - y, kBytesPerPixel, columnsAround, c0);
    return Rect{left, top, right, bottom};
}

bool RowsFitStride(const PixelView& v) {
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(v.width) * kBytesPerPixel;
    return std::llabs(static_cast<long long>(v.stride)) >= rowBytes;
}

}  // namespace

std::optional<Rect> AutoSelectRect(const PixelView& snapshot, int x, int y) {
    if (snapshot.width <= 0 || snapshot.height <= 0) return std::nullopt;
    if (x < 0 || y < 0 || x >= snapshot.width || y >= snapshot.height) return std::nullopt;
    // The snapshot is a 32-bit DIB section; nothing else is read.
    if (snapshot.format != PixelFormat::kBgrx32) return std::nullopt;
    // No pixels to read: every read would fail, no edge exists, and the scans
    // run to the borders.
    if (snapshot.data == nullptr) return Rect{0, 0, snapshot.width, snapshot.height};
    if (!RowsFitStride(snapshot)) return std::nullopt;
    return Scan(snapshot, x, y);
}

bool AutoSelect(const PixelView& snapshot, int x, int y, Selection& selection) {
    const std::optional<Rect> found = AutoSelectRect(snapshot, x, y);
    if (!found) return false;
    selection.left = found->left;
    selection.top = found->top;
    selection.width = found->Width();
    selection.height = found->Height();
    selection.anchorX = found->left;
    selection.anchorY = found->top;
    return true;
}

}  // namespace mrv
