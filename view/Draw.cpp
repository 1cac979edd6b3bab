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

}  // namespace mrv
