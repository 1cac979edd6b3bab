// The image library: an image held as a packed DIB, its colour conversions and
// its writers.
//
// An image is an opaque handle (null = none). Its pixels always live in one
// packed DIB laid out exactly as the clipboard's CF_DIB expects:
//
//     +---------------------------+  <- DibDescriptor::dib
//     | BITMAPINFOHEADER (40)     |
//     | masks (12) or palette     |     headerSize = 40 + 12 | 40 + 4 * colours
//     +---------------------------+
//     | bottom row                |     pixelSize = stride * height,
//     | ...                       |     stride = row bytes rounded up to 4
//     | top row                   |
//     +---------------------------+
//
// Conversions replace the image's pixels in place; the descriptor handed out by
// GetDibDescriptor stays at the same address for the image's whole life and is
// updated by every conversion.
//
// Nothing here throws: failures are null handles or false results. Every size is
// checked for overflow, and a DIB longer than INT32_MAX bytes is refused (its
// lengths are 32-bit fields in the header, the file header and the descriptor).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "imaging/ByteSink.h"
#include "imaging/PixelView.h"

namespace mrv::imaging {

class Image;

// What the callers read the DIB through. headerSize + pixelSize is its length.
struct DibDescriptor {
    int headerSize = 0;  // info header plus masks or palette
    int pixelSize = 0;   // the rows
    const std::uint8_t* dib = nullptr;
};

struct ImageInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;     // 24, 16 or 8; 0 for no image
    int paletteSize = 0;  // colours in the palette of an 8-bit image
};

enum class FileType : int { kUnknown = 0, kBmp = 1, kJpeg = 2, kPng = 3 };

// The two 16-bit layouts the program writes, masks in the order red, green, blue.
inline constexpr std::array<std::uint32_t, 3> kMasks565 = {0xF800, 0x07E0, 0x001F};
inline constexpr std::array<std::uint32_t, 3> kMasks555 = {0x7C00, 0x03E0, 0x001F};

enum class PngFilter : std::uint8_t {
    kAuto,      // choose per image by test-compressing sample rows
    kNone,      // every row unfiltered
    kAdaptive,  // per-row choice among the five filters
};

struct PngOptions {
    PngFilter filter = PngFilter::kAuto;
    // Deflate threads. Above 1 the rows (truecolour or palette indices) of a
    // large enough picture are deflated in horizontal strips on worker
    // threads, all joined before WritePng returns. The file may then differ
    // from the single-threaded one (each strip ends on a byte boundary and
    // starts a new block) and is a little larger, well under 1%.
    int threads = 1;
};

// Copies the rectangle (left, top, width, height) of a 24- or 32-bit view into a
// new 24-bit image. The rectangle must lie wholly inside the view: an empty
// rectangle or one reaching outside gives null (selections are clamped to the
// screen before they get here, so a rectangle outside means a fault upstream).
// With threads > 1 a large rectangle is copied in row strips on worker
// threads, joined before returning.
[[nodiscard]] Image* CreateImageFromPixels(const PixelView& source, int left, int top, int width,
                                           int height, int threads = 1);

// Null for a null image.
[[nodiscard]] const DibDescriptor* GetDibDescriptor(const Image* image);
[[nodiscard]] ImageInfo GetImageInfo(const Image* image);
// The pixels of a 24-bit image as a top-down view into its DIB (negative
// stride); an empty view for any other image.
[[nodiscard]] PixelView GetBgrView(const Image* image);

// Null is allowed and ignored.
void ReleaseImage(Image* image);

// A 24-bit image converts to itself. 16- and 8-bit images expand back.
[[nodiscard]] bool ConvertTo24Bit(Image* image);

// 16 bits per pixel, written as BI_BITFIELDS with the three masks (red, green,
// blue). Each mask must be one run of 1 to 8 bits inside the low 16, and the
// three must not overlap; components are rounded to the nearest level.
[[nodiscard]] bool ConvertTo16Bit(Image* image, const std::array<std::uint32_t, 3>& masks);

// 8-bit index colour. A picture of at most 256 colours gets exactly those
// colours (lossless); otherwise a variance-minimising palette refined by k-means,
// each pixel mapped without dithering. The palette holds only colours in use.
// Deterministic: the same pixels always give the same bytes, whatever the
// number of `threads` the heavy passes are split over.
[[nodiscard]] bool ReduceTo256Colours(Image* image, int threads = 1);

// By extension, ASCII case-insensitive: bmp/dib, jpg/jpeg/jpe/jfif, png.
// Both '/' and '\' separate folders; a dot in a folder name does not count.
[[nodiscard]] FileType ClassifyFileName(std::string_view path);
[[nodiscard]] FileType ClassifyFileName(std::wstring_view path);

// The writers put a whole file into the sink and return false when the image is
// null or the sink refuses bytes (what was already written is then garbage; the
// caller discards it). BMP is written at the image's own depth; PNG as 8-bit
// palette for 8-bit images and as 24-bit truecolour otherwise; JPEG from the
// full-colour pixels at quality 0-100 (clamped).
[[nodiscard]] bool WriteBmp(const Image* image, ByteSink& sink);
[[nodiscard]] bool WritePng(const Image* image, ByteSink& sink, const PngOptions& options = {});
[[nodiscard]] bool WriteJpeg(const Image* image, int quality, ByteSink& sink);

struct ImageDeleter {
    void operator()(Image* image) const { ReleaseImage(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

}  // namespace mrv::imaging
