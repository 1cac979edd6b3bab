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

#include "base/Geometry.h"
#include "imaging/ByteSink.h"
#include "imaging/Image.h"
#include "imaging/PixelView.h"

namespace mrv {

// Pictures from this many pixels up are reduced and written on worker threads.
constexpr long long kThreadedSavePixels = 1000000;
constexpr int kMaxSaveThreads = 4;

// Threads for converting and writing a width x height picture on a machine
// running `hardwareThreads` at once (0 when unknown): one below
// kThreadedSavePixels, otherwise as many as the machine has, at most
// kMaxSaveThreads.
int SaveThreads(int width, int height, unsigned hardwareThreads);

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

    // Writes the image, as it is now, to `sink` as a file of the code's family
    // (bits 4-5): BMP, PNG, or JPEG at the quality of the code's level. False
    // without an image, for a code without family, and when the writer
    // fails (the sink's bytes are then garbage).
    [[nodiscard]] bool Write(std::uint8_t code, imaging::ByteSink& sink) const;

    // Threads for the cut, the reduction to 256 colours and PNG writing: 0
    // (the default) chooses by the picture's size and the machine (SaveThreads).
    // Neither changes the pixels; a PNG written in strips may differ in its
    // bytes. The benchmark sets 1 for its single-threaded yardstick.
    void SetThreads(int threads) { threads_ = threads; }
    int Threads() const;

    // Byte length of the packed DIB (the sum of the descriptor's two sizes);
    // 0 without an image.
    int DibSize() const;

    void ReleaseImage();

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
    int threads_ = 0;
};

}  // namespace mrv
