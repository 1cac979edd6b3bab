#include "view/PaneShadow.h"

#include <algorithm>
#include <cstring>

#include "view/Pane.h"

namespace mrv {
namespace {

constexpr std::uint32_t kLow7 = 0x7F7F7F7Fu;
constexpr std::uint32_t kLow6 = 0x3F3F3F3Fu;

// Each byte of a word is shaded on its own: a right shift moves the low bit of
// every byte into the top of the byte below, and the mask drops it again.
// b - b / 4 never borrows, so the subtraction stays within each byte too.
inline std::uint32_t HalveWord(std::uint32_t w) {
    return (w >> 1) & kLow7;
}
inline std::uint32_t ThreeQuarterWord(std::uint32_t w) {
    return w - ((w >> 2) & kLow6);
}

// A mask of the colour bytes of a 4-byte pixel (B, G, R set, the unused byte
// clear), built in memory order so that it holds on any byte order.
std::uint32_t ColourBytesMask() {
    const std::uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0x00};
    std::uint32_t mask;
    std::memcpy(&mask, bytes, sizeof mask);
    return mask;
}

template <typename WordOp, typename ByteOp>
void ShadeRun(std::uint8_t* bytes, std::size_t count, WordOp wordOp, ByteOp byteOp) {
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t w;
        std::memcpy(&w, bytes + i, sizeof w);  // strips need not be word aligned
        w = wordOp(w);
        std::memcpy(bytes + i, &w, sizeof w);
    }
    for (; i < count; ++i) bytes[i] = byteOp(bytes[i]);
}

}  // namespace

ShadeStep BottomBandStep(int column, int row, int boxWidth, int size) {
    if (column < 0 || column >= boxWidth || row < 0 || row >= size) {
        return ShadeStep::kNone;
    }
    if (row == size - 1) {
        return (column == 0 || column == boxWidth - 1) ? ShadeStep::kNone
                                                       : ShadeStep::kThreeQuarter;
    }
    if (column >= boxWidth - size) return ShadeStep::kNone;  // the right band's
    return column == 0 ? ShadeStep::kThreeQuarter : ShadeStep::kHalf;
}

ShadeStep RightBandStep(int column, int row, int boxHeight, int size) {
    if (column < 0 || column >= size || row < 0 || row >= boxHeight) {
        return ShadeStep::kNone;
    }
    if (row == boxHeight - 1) return ShadeStep::kNone;
    if (row == 0) {
        return column == size - 1 ? ShadeStep::kNone : ShadeStep::kThreeQuarter;
    }
    return column == size - 1 ? ShadeStep::kThreeQuarter : ShadeStep::kHalf;
}

void HalveRun(std::uint8_t* bytes, std::size_t count) {
    ShadeRun(bytes, count, HalveWord, HalfShade);
}

void ThreeQuarterRun(std::uint8_t* bytes, std::size_t count) {
    ShadeRun(bytes, count, ThreeQuarterWord, ThreeQuarterShade);
}

void ShadePixelRun(std::uint8_t* pixels, int count, int bytesPerPixel, ShadeStep step) {
    if (count <= 0 || step == ShadeStep::kNone) return;
    if (bytesPerPixel == 3) {
        // B, G, R, B, G, R, ...: the run is one stretch of colour bytes.
        const std::size_t bytes = static_cast<std::size_t>(count) * 3;
        if (step == ShadeStep::kHalf) {
            HalveRun(pixels, bytes);
        } else {
            ThreeQuarterRun(pixels, bytes);
        }
        return;
    }
    if (bytesPerPixel != 4) return;
    // One word per pixel; the unused fourth byte keeps its value.
    const std::uint32_t colour = ColourBytesMask();
    for (int i = 0; i < count; ++i) {
        std::uint8_t* p = pixels + static_cast<std::size_t>(i) * 4;
        std::uint32_t w;
        std::memcpy(&w, p, sizeof w);
        const std::uint32_t shaded = step == ShadeStep::kHalf ? HalveWord(w) : ThreeQuarterWord(w);
        w = (shaded & colour) | (w & ~colour);
        std::memcpy(p, &w, sizeof w);
    }
}

namespace {

// Shades row `row` of a strip, columns [0, columns), as runs of equal steps.
template <typename StepOf>
void ShadeRow(const ShadowPixels& strip, int row, int columns, StepOf stepOf) {
    std::uint8_t* line = strip.Row(row);
    int start = 0;
    while (start < columns) {
        const ShadeStep step = stepOf(start);
        int end = start + 1;
        while (end < columns && stepOf(end) == step) ++end;
        ShadePixelRun(line + static_cast<std::ptrdiff_t>(start) * strip.bytesPerPixel, end - start,
                      strip.bytesPerPixel, step);
        start = end;
    }
}

bool Usable(const ShadowPixels& strip) {
    return strip.data != nullptr && strip.width > 0 && strip.height > 0 &&
           (strip.bytesPerPixel == 3 || strip.bytesPerPixel == 4);
}

}  // namespace

void ShadeBottomBand(const ShadowPixels& strip, int boxWidth, int size) {
    if (!Usable(strip) || boxWidth <= 0) return;
    const int columns = std::min(strip.width, boxWidth);
    const int rows = std::min(strip.height, size);
    for (int row = 0; row < rows; ++row) {
        ShadeRow(strip, row, columns,
                 [&](int column) { return BottomBandStep(column, row, boxWidth, size); });
    }
}

void ShadeRightBand(const ShadowPixels& strip, int boxHeight, int size) {
    if (!Usable(strip) || boxHeight <= 0) return;
    const int columns = std::min(strip.width, size);
    const int rows = std::min(strip.height, boxHeight);
    for (int row = 0; row < rows; ++row) {
        ShadeRow(strip, row, columns,
                 [&](int column) { return RightBandStep(column, row, boxHeight, size); });
    }
}

}  // namespace mrv
