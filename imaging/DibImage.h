// Inside the image library: the Image record, DIB layout arithmetic and the
// little-endian field helpers shared by the conversions and the writers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include "imaging/Image.h"
#include "imaging/PixelView.h"

namespace mrv::imaging {

inline constexpr int kInfoHeaderSize = 40;
inline constexpr int kBiRgb = 0;
inline constexpr int kBiBitfields = 3;
// 96 dots per inch in pixels per metre: 96 / 0.0254 = 3779.5, rounded.
inline constexpr int kPixelsPerMetre96Dpi = 3780;

inline bool CheckedMul(std::size_t a, std::size_t b, std::size_t* out) {
    if (b != 0 && a > std::numeric_limits<std::size_t>::max() / b) return false;
    *out = a * b;
    return true;
}

inline bool CheckedAdd(std::size_t a, std::size_t b, std::size_t* out) {
    if (a > std::numeric_limits<std::size_t>::max() - b) return false;
    *out = a + b;
    return true;
}

inline void PutLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// Sizes of one DIB. All of them fit an int once Compute has succeeded.
struct DibLayout {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    int paletteSize = 0;  // 8-bit only
    bool bitfields = false;
    std::size_t stride = 0;
    std::size_t headerSize = 0;
    std::size_t pixelSize = 0;
    std::size_t totalSize = 0;

    // False for empty or negative sizes, unsupported depths and anything whose
    // length would not fit the 32-bit fields.
    [[nodiscard]] static bool Compute(int width, int height, int bitCount, int paletteSize,
                                      bool bitfields, DibLayout* out);
};

// One RGB palette entry.
struct PaletteEntry {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

class Image {
public:
    // Allocates an uninitialised DIB for the layout and writes its info header
    // (and the masks, when bitfields are used). Null when memory runs out.
    static std::unique_ptr<Image> Allocate(const DibLayout& layout,
                                           const std::array<std::uint32_t, 3>& masks = {});

    // Takes over another image's pixels (the result of a conversion), keeping
    // this object and thus the descriptor's address.
    void Replace(Image&& other);

    const DibLayout& Layout() const { return layout_; }
    const DibDescriptor& Descriptor() const { return descriptor_; }
    const std::array<std::uint32_t, 3>& Masks() const { return masks_; }

    std::uint8_t* Pixels() { return dib_.get() + layout_.headerSize; }
    const std::uint8_t* Pixels() const { return dib_.get() + layout_.headerSize; }
    // Row y counted from the top of the picture (the DIB stores it bottom-up).
    std::uint8_t* Row(int y) {
        return Pixels() + static_cast<std::size_t>(layout_.height - 1 - y) * layout_.stride;
    }
    const std::uint8_t* Row(int y) const {
        return Pixels() + static_cast<std::size_t>(layout_.height - 1 - y) * layout_.stride;
    }
    // Palette area (4 bytes per entry: B, G, R, 0) right after the info header.
    std::uint8_t* PaletteBytes() { return dib_.get() + kInfoHeaderSize; }
    const std::uint8_t* PaletteBytes() const { return dib_.get() + kInfoHeaderSize; }

    // The 24-bit pixels as a top-down view (negative stride).
    PixelView BgrView() const;

    // Zeroes the padding at the end of every row so the DIB's bytes are fully
    // determined by the picture.
    void ClearRowPadding();

    // For an 8-bit image whose rows were written with room for its current
    // palette size: stores the final palette of `count` <= that size, renumbers
    // every index through `remap` (old index -> new; null keeps them) and moves
    // the rows down to sit right after the shorter palette.
    void FinishPalette(const PaletteEntry* entries, int count, const std::uint8_t* remap);

private:
    Image() = default;
    void UpdateDescriptor();

    std::unique_ptr<std::uint8_t[]> dib_;
    DibLayout layout_;
    std::array<std::uint32_t, 3> masks_{};
    DibDescriptor descriptor_;
};

// Writes row y of any image as B, G, R bytes (width * 3) into out.
void ExpandRowToBgr(const Image& image, int y, std::uint8_t* out);

}  // namespace mrv::imaging
