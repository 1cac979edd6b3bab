// Pictures and marker-segment parsing for the encoder's tests.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/PixelView.h"

namespace mrv::imaging::jpegtest {

using Bytes = std::vector<std::uint8_t>;

// Tightly packed top-down B, G, R picture.
struct Picture {
    int width, height;
    Bytes bgr;

    Picture(int w, int h) : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3) {}
    std::uint8_t* At(int x, int y) { return &bgr[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const std::uint8_t* At(int x, int y) const {
        return &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
    }
    void Set(int x, int y, int r, int g, int b);
    PixelView View() const { return {bgr.data(), width, height, width * 3, PixelFormat::kBgr24}; }
};

// A red "F" on blue over an 8 x 8 grid of cells: upright bar in cells x 1-2,
// y 1-6; arms at y 1 (to x 6) and y 3 (to x 4).
Picture FPicture(int width, int height);
// Slow waves in all three channels, equally smooth at any size; with `noise`
// also seeded grain and hard diagonal edges.
Picture WavePicture(int width, int height, bool noise = false);

// WriteJpeg into memory; empty on failure.
Bytes EncodeToBytes(const PixelView& view, int quality);

struct Segment {
    int marker;  // second marker byte, e.g. 0xDB
    Bytes body;  // without the length field
};
// The marker segments after SOI up to and including SOS.
std::vector<Segment> HeaderSegments(const Bytes& file);
// Bodies of all segments with this marker, one after the other.
Bytes JoinedBodies(const Bytes& file, int marker);

}  // namespace mrv::imaging::jpegtest
