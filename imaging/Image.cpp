#include "imaging/Image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "imaging/DibImage.h"
#include "imaging/Parallel.h"

namespace mrv::imaging {

bool DibLayout::Compute(int width, int height, int bitCount, int paletteSize, bool bitfields,
                        DibLayout* out) {
    if (width <= 0 || height <= 0) return false;
    if (bitCount != 8 && bitCount != 16 && bitCount != 24) return false;
    if (bitCount == 8 && (paletteSize < 1 || paletteSize > 256)) return false;
    if (bitCount != 8) paletteSize = 0;
    if (bitCount != 16) bitfields = false;

    // stride = ceil(width * bitCount / 32) * 4, in size_t so nothing wraps.
    std::size_t bits = 0;
    if (!CheckedMul(static_cast<std::size_t>(width), static_cast<std::size_t>(bitCount), &bits))
        return false;
    std::size_t stride = 0;
    if (!CheckedAdd(bits, 31, &stride)) return false;
    stride = stride / 32 * 4;
    std::size_t pixelSize = 0;
    if (!CheckedMul(stride, static_cast<std::size_t>(height), &pixelSize)) return false;
    const std::size_t headerSize = static_cast<std::size_t>(kInfoHeaderSize) +
                                   (bitfields ? 12u : 0u) +
                                   static_cast<std::size_t>(paletteSize) * 4u;
    std::size_t total = 0;
    if (!CheckedAdd(headerSize, pixelSize, &total)) return false;
    // Leave room for the 14-byte file header of a BMP: its size field is 32-bit.
    if (total > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - 14)
        return false;

    out->width = width;
    out->height = height;
    out->bitCount = bitCount;
    out->paletteSize = paletteSize;
    out->bitfields = bitfields;
    out->stride = stride;
    out->headerSize = headerSize;
    out->pixelSize = pixelSize;
    out->totalSize = total;
    return true;
}

std::unique_ptr<Image> Image::Allocate(const DibLayout& layout,
                                       const std::array<std::uint32_t, 3>& masks) {
    std::unique_ptr<Image> image(new (std::nothrow) Image());
    if (!image) return nullptr;
    // Not value-initialised: the rows are written right away, and untouched
    // pages of a large picture cost nothing until then.
    image->dib_.reset(new (std::nothrow) std::uint8_t[layout.totalSize]);
    if (!image->dib_) return nullptr;
    image->layout_ = layout;
    image->masks_ = layout.bitfields ? masks : std::array<std::uint32_t, 3>{};

    std::uint8_t* h = image->dib_.get();
    std::memset(h, 0, layout.headerSize);
    PutLe32(h + 0, kInfoHeaderSize);
    PutLe32(h + 4, static_cast<std::uint32_t>(layout.width));
    PutLe32(h + 8, static_cast<std::uint32_t>(layout.height));  // positive: bottom-up
    PutLe16(h + 12, 1);                                         // planes
    PutLe16(h + 14, static_cast<std::uint32_t>(layout.bitCount));
    PutLe32(h + 16, layout.bitfields ? kBiBitfields : kBiRgb);
    PutLe32(h + 20, static_cast<std::uint32_t>(layout.pixelSize));
    PutLe32(h + 24, kPixelsPerMetre96Dpi);
    PutLe32(h + 28, kPixelsPerMetre96Dpi);
    PutLe32(h + 32, static_cast<std::uint32_t>(layout.paletteSize));  // colours used
    PutLe32(h + 36, 0);                                               // all important
    if (layout.bitfields) {
        for (int i = 0; i < 3; ++i) PutLe32(h + kInfoHeaderSize + 4 * i, masks[i]);
    }
    image->UpdateDescriptor();
    return image;
}

void Image::Replace(Image&& other) {
    dib_ = std::move(other.dib_);
    layout_ = other.layout_;
    masks_ = other.masks_;
    UpdateDescriptor();
}

void Image::UpdateDescriptor() {
    descriptor_.headerSize = static_cast<int>(layout_.headerSize);
    descriptor_.pixelSize = static_cast<int>(layout_.pixelSize);
    descriptor_.dib = dib_.get();
}

PixelView Image::BgrView() const {
    PixelView view;
    view.data = Row(0);
    view.width = layout_.width;
    view.height = layout_.height;
    view.stride = -static_cast<std::ptrdiff_t>(layout_.stride);
    view.format = PixelFormat::kBgr24;
    return view;
}

void Image::ClearRowPadding() {
    const std::size_t used =
        (static_cast<std::size_t>(layout_.width) * static_cast<std::size_t>(layout_.bitCount) + 7) /
        8;
    if (used == layout_.stride) return;
    for (int y = 0; y < layout_.height; ++y) {
        std::memset(Row(y) + used, 0, layout_.stride - used);
    }
}

void Image::FinishPalette(const PaletteEntry* entries, int count, const std::uint8_t* remap) {
    const std::size_t oldHeader = layout_.headerSize;
    layout_.paletteSize = count;
    layout_.headerSize =
        static_cast<std::size_t>(kInfoHeaderSize) + 4u * static_cast<std::size_t>(count);
    layout_.totalSize = layout_.headerSize + layout_.pixelSize;
    std::uint8_t* h = dib_.get();
    PutLe32(h + 32, static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        std::uint8_t* e = h + kInfoHeaderSize + 4 * i;
        e[0] = entries[i].b;
        e[1] = entries[i].g;
        e[2] = entries[i].r;
        e[3] = 0;
    }
    // Rows move towards the start (the new header is not longer), so walking
    // upwards through memory never overwrites a row not yet moved.
    const std::size_t width = static_cast<std::size_t>(layout_.width);
    for (std::size_t row = 0; row < static_cast<std::size_t>(layout_.height); ++row) {
        const std::uint8_t* from = h + oldHeader + row * layout_.stride;
        std::uint8_t* to = h + layout_.headerSize + row * layout_.stride;
        if (remap) {
            for (std::size_t x = 0; x < width; ++x) to[x] = remap[from[x]];
            std::memset(to + width, 0, layout_.stride - width);
        } else if (to != from) {
            std::memmove(to, from, layout_.stride);
        }
    }
    UpdateDescriptor();
}

namespace {

struct MaskShape {
    int shift = 0;
    int bits = 0;
};

// A mask must be one contiguous run of 1-8 bits within the low 16.
bool ShapeOf(std::uint32_t mask, MaskShape* shape) {
    if (mask == 0 || mask > 0xFFFFu) return false;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0) return false;  // not contiguous
    int bits = 0;
    while ((run >> bits) != 0) ++bits;
    if (bits > 8) return false;
    shape->shift = shift;
    shape->bits = bits;
    return true;
}

bool ShapesOf(const std::array<std::uint32_t, 3>& masks, std::array<MaskShape, 3>* shapes) {
    for (int i = 0; i < 3; ++i) {
        if (!ShapeOf(masks[i], &(*shapes)[i])) return false;
    }
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

// n-bit level back to 8 bits, rounded: the exact inverse of the rounding in
// ConvertTo16Bit, so a 16-bit image survives a trip through 24 bits.
inline std::uint8_t ExpandLevel(std::uint32_t level, int bits) {
    const std::uint32_t maxLevel = (1u << bits) - 1;
    return static_cast<std::uint8_t>((level * 255u + maxLevel / 2) / maxLevel);
}

}  // namespace

void ExpandRowToBgr(const Image& image, int y, std::uint8_t* out) {
    const DibLayout& layout = image.Layout();
    const std::uint8_t* row = image.Row(y);
    const int width = layout.width;
    if (layout.bitCount == 24) {
        std::memcpy(out, row, static_cast<std::size_t>(width) * 3);
    } else if (layout.bitCount == 8) {
        const std::uint8_t* palette = image.PaletteBytes();
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* entry = palette + 4 * static_cast<std::size_t>(row[x]);
            out[3 * x] = entry[0];
            out[3 * x + 1] = entry[1];
            out[3 * x + 2] = entry[2];
        }
    } else {
        std::array<MaskShape, 3> shapes;
        if (!ShapesOf(image.Masks(), &shapes)) {
            std::memset(out, 0, static_cast<std::size_t>(width) * 3);
            return;
        }
        const std::array<std::uint32_t, 3>& masks = image.Masks();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = row[2 * x] | (static_cast<std::uint32_t>(row[2 * x + 1]) << 8);
            // Output order is B, G, R; masks are R, G, B.
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t level = (v & masks[c]) >> shapes[c].shift;
                out[3 * x + 2 - c] = ExpandLevel(level, shapes[c].bits);
            }
        }
    }
}

Image* CreateImageFromPixels(const PixelView& source, int left, int top, int width, int height,
                             int threads) {
    if (source.data == nullptr || source.width <= 0 || source.height <= 0) return nullptr;
    if (source.format != PixelFormat::kBgr24 && source.format != PixelFormat::kBgrx32)
        return nullptr;
    const int bpp = source.BytesPerPixel();
    const std::ptrdiff_t absStride = source.stride < 0 ? -source.stride : source.stride;
    if (absStride / bpp < source.width) return nullptr;  // rows would overlap
    if (width <= 0 || height <= 0 || left < 0 || top < 0) return nullptr;
    if (left > source.width - width || top > source.height - height) return nullptr;

    DibLayout layout;
    if (!DibLayout::Compute(width, height, 24, 0, false, &layout)) return nullptr;
    std::unique_ptr<Image> image = Image::Allocate(layout);
    if (!image) return nullptr;

    const auto copyRows = [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const std::uint8_t* in = source.Row(top + y) + static_cast<std::ptrdiff_t>(left) * bpp;
            std::uint8_t* out = image->Row(y);
            if (bpp == 3) {
                std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
                continue;
            }
            // Four bytes a pixel, the fourth overwritten by the next pixel;
            // the last pixel of the row gets its three alone.
            for (int x = 0; x + 1 < width; ++x, out += 3, in += 4) std::memcpy(out, in, 4);
            std::memcpy(out, in, 3);
        }
    };
    // A large cut goes in row strips on worker threads: most of its time is
    // the system's first touch of the new pages, which runs in parallel too.
    const int strips = threads > 1 && static_cast<long long>(width) * height >= (1 << 18)
                           ? std::min(height, 2 * threads)
                           : 1;
    bool copied = false;
    if (strips > 1) {
        try {
            copied =
                RunInParallel(static_cast<std::size_t>(strips), threads, [&](std::size_t i, int) {
                    const Span span = PartOf(height, strips, static_cast<int>(i));
                    copyRows(span.first, span.end);
                });
        } catch (...) {
            copied = false;  // no memory for the helpers: copy here
        }
    }
    if (!copied) copyRows(0, height);
    image->ClearRowPadding();
    return image.release();
}

const DibDescriptor* GetDibDescriptor(const Image* image) {
    return image ? &image->Descriptor() : nullptr;
}

ImageInfo GetImageInfo(const Image* image) {
    ImageInfo info;
    if (!image) return info;
    info.width = image->Layout().width;
    info.height = image->Layout().height;
    info.bitCount = image->Layout().bitCount;
    info.paletteSize = image->Layout().paletteSize;
    return info;
}

PixelView GetBgrView(const Image* image) {
    if (!image || image->Layout().bitCount != 24) return PixelView{};
    return image->BgrView();
}

void ReleaseImage(Image* image) {
    delete image;
}

bool ConvertTo24Bit(Image* image) {
    if (!image) return false;
    if (image->Layout().bitCount == 24) return true;
    DibLayout layout;
    if (!DibLayout::Compute(image->Layout().width, image->Layout().height, 24, 0, false, &layout))
        return false;
    std::unique_ptr<Image> result = Image::Allocate(layout);
    if (!result) return false;
    for (int y = 0; y < layout.height; ++y) ExpandRowToBgr(*image, y, result->Row(y));
    result->ClearRowPadding();
    image->Replace(std::move(*result));
    return true;
}

bool ConvertTo16Bit(Image* image, const std::array<std::uint32_t, 3>& masks) {
    if (!image) return false;
    std::array<MaskShape, 3> shapes;
    if (!ShapesOf(masks, &shapes)) return false;
    DibLayout layout;
    if (!DibLayout::Compute(image->Layout().width, image->Layout().height, 16, 0, true, &layout))
        return false;
    std::unique_ptr<Image> result = Image::Allocate(layout, masks);
    if (!result) return false;

    // One table per channel, indexed by the 8-bit value (B, G, R order), giving
    // the channel's bits already in place: round(v * maxLevel / 255) << shift.
    // 255 is odd, so v * maxLevel / 255 is never exactly halfway.
    std::array<std::array<std::uint16_t, 256>, 3> table;
    for (int c = 0; c < 3; ++c) {
        const MaskShape& shape = shapes[2 - c];
        const std::uint32_t maxLevel = (1u << shape.bits) - 1;
        for (std::uint32_t v = 0; v < 256; ++v) {
            table[c][v] = static_cast<std::uint16_t>(((v * maxLevel + 127) / 255) << shape.shift);
        }
    }

    const bool from24 = image->Layout().bitCount == 24;
    std::unique_ptr<std::uint8_t[]> scratch;
    if (!from24) {
        scratch.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(layout.width) * 3]);
        if (!scratch) return false;
    }
    for (int y = 0; y < layout.height; ++y) {
        const std::uint8_t* in = image->Row(y);
        if (!from24) {
            ExpandRowToBgr(*image, y, scratch.get());
            in = scratch.get();
        }
        std::uint8_t* out = result->Row(y);
        for (int x = 0; x < layout.width; ++x) {
            const std::uint32_t v = table[0][in[0]] | table[1][in[1]] | table[2][in[2]];
            out[0] = static_cast<std::uint8_t>(v);
            out[1] = static_cast<std::uint8_t>(v >> 8);
            in += 3;
            out += 2;
        }
    }
    result->ClearRowPadding();
    image->Replace(std::move(*result));
    return true;
}

}  // namespace mrv::imaging
