#include "view/Draw.h"

#include <climits>
#include <cstdlib>

namespace mrv {

int DibStride(int width, int bitCount) {
    if (width < 0 || bitCount < 1 || bitCount > 32) return -1;
    const std::int64_t bits = static_cast<std::int64_t>(width) * bitCount;
    const std::int64_t stride = (bits + 31) / 32 * 4;
    return stride > INT_MAX ? -1 : static_cast<int>(stride);
}

int DibImageSize(int stride, int height) {
    if (stride < 0) return -1;
    const std::int64_t size = static_cast<std::int64_t>(stride) * std::llabs(height);
    return size > INT_MAX ? -1 : static_cast<int>(size);
}

StripePattern StripePatternFor(UiScale scale) {
    StripePattern p;
    p.step = scale.Px(2);
    p.period = 4 * p.step;
    p.light = (3 * p.period + 4) / 8;  // 3/8 of the period, halves up
    return p;
}

std::vector<std::uint8_t> StripeTileBits(const StripePattern& pattern, int slot) {
    const int n = pattern.period;
    if (n <= 0) return {};
    const int rowBytes = (n + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(rowBytes) *
                                   static_cast<std::size_t>(n));
    const int shift = ((pattern.step * (slot & 3)) % n + n) % n;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if ((x + y + n - shift) % n < pattern.light)
                bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return bits;
}

}  // namespace mrv
