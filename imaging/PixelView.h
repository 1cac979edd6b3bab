// A read-only view of pixels owned by someone else.
//
// `data` points at the first byte of the TOP row; `stride` is the signed byte
// distance from one row to the row below it. A bottom-up DIB is therefore
// viewed with data = start of its last stored row and a negative stride.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrv::imaging {

enum class PixelFormat : std::uint8_t {
    kBgr24,   // B, G, R bytes (24-bit DIB order)
    kBgrx32,  // B, G, R, unused (32-bit DIB section order)
};

struct PixelView {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    PixelFormat format = PixelFormat::kBgr24;

    const std::uint8_t* Row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }
    int BytesPerPixel() const { return format == PixelFormat::kBgr24 ? 3 : 4; }
};

}  // namespace mrv::imaging
