// The image cut out of the frozen snapshot for one output (a save or a
// clipboard copy), converted in place to the colour format that output needs.
//
// Every output starts from a fresh cut: Capture drops the previous image
// first, so the conversions of one output never leak into the next. The
// entry points that need the view (the re-snapshot of pinned mode, saving to a
// file, the clipboard) sit on top of this.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/Geometry.h"
#include "imaging/Image.h"
#include "imaging/PixelView.h"

namespace mrv {

class OutputImage {
public:
    OutputImage() = default;
    ~OutputImage() { ReleaseImage(); }
    OutputImage(const OutputImage&) = delete;
    OutputImage& operator=(const OutputImage&) = delete;

    // Cuts `selection` out of the snapshot (32-bit top-down, as the screen's DIB
    // section, or 24-bit) into a new 24-bit image. The previous image is
    // released first, whatever happens. An empty selection, or one not wholly
    // inside the snapshot, gives no image and false.
    [[nodiscard]] bool Capture(const imaging::PixelView& snapshot, const Rect& selection);

    // Converts the image in place by the colour variant (bits 2-3 of a format
    // code): 0x04 R5 G6 B5, 0x08 R5 G5 B5, 0x0C 256 colours, any other value
    // 24 bits. False without an image or when the conversion fails.
    [[nodiscard]] bool ConvertTo(int variant);

    // Byte length of the packed DIB (the sum of the descriptor's two sizes);
    // 0 without an image.
    int DibSize() const;

    void ReleaseImage();

    // The held image as a whole PNG file, with the same pixels as its DIB:
    // 8-bit palette for a 256-colour image, 24-bit truecolour otherwise.
    // False without an image or when the encoder fails (`png` is then empty).
    [[nodiscard]] bool EncodePng(std::vector<std::uint8_t>* png) const;

    const imaging::Image* Image() const { return image_; }
    // Valid while the image lives; reflects every conversion.
    const imaging::DibDescriptor* DibInfo() const { return dibInfo_; }

    // The JPEG quality values by level (high, standard, medium, low): copies
    // of the settings, refreshed whenever the settings change.
    void SetJpegQuality(const std::array<int, 4>& quality) { jpegQuality = quality; }
    std::array<int, 4> jpegQuality = {80, 60, 40, 20};

private:
    imaging::Image* image_ = nullptr;
    const imaging::DibDescriptor* dibInfo_ = nullptr;
};

}  // namespace mrv
