// PNG row filters for 3-byte pixels, and the per-row adaptive choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mrv::imaging {

enum PngFilterType : std::uint8_t {
    kFilterNone,
    kFilterSub,
    kFilterUp,
    kFilterAverage,
    kFilterPaeth
};

// Filters rows of `length` bytes (3 bytes per pixel). Rows passed in must have
// 3 readable zero bytes in front of them (the "pixel to the left" of the first
// pixel); the row above the first row is all zeros.
class RowFilter {
public:
    explicit RowFilter(std::size_t length) : length_(length) {}

    [[nodiscard]] bool Allocate();

    // Returns the filter type byte followed by the filtered row (length + 1
    // bytes, valid until the next call): the filter whose output has the
    // smallest sum of absolute values taken as signed bytes, ties going to the
    // lower type.
    const std::uint8_t* Adaptive(const std::uint8_t* cur, const std::uint8_t* prev);

private:
    std::size_t length_;
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint8_t* outputs_[5] = {};  // per filter type: type byte, then the row
};

}  // namespace mrv::imaging
