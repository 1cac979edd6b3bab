// Pictures and a small JPEG reader for the encoder's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PixelView.h"

namespace mrv::imaging::jpegtest {

// Tightly packed top-down B, G, R picture.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;

    Picture(int w, int h) : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3) {}
    std::uint8_t* At(int x, int y) { return &bgr[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const std::uint8_t* At(int x, int y) const {
        return &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
    }
    void Set(int x, int y, int r, int g, int b);
    PixelView View() const { return {bgr.data(), width, height, width * 3, PixelFormat::kBgr24}; }
};

// A red "F" on blue: upright bar on the left, arms to the right at the top
// and the middle; with cell = 8 every stroke is whole 8 x 8 blocks.
Picture FPicture(int width, int height);
// Slow waves in all three channels, equally smooth at any size.
Picture SmoothPicture(int width, int height);
// Gradients plus seeded noise and a few hard edges.
Picture BusyPicture(int width, int height, std::uint32_t seed);

// WriteJpeg into memory; empty on failure.
std::vector<std::uint8_t> EncodeToBytes(const PixelView& view, int quality);

struct Segment {
    int marker = 0;                  // second marker byte, e.g. 0xDB
    std::vector<std::uint8_t> body;  // without the length field
};
// The marker segments from SOI up to and including SOS.
std::vector<Segment> HeaderSegments(const std::vector<std::uint8_t>& file);
const Segment* FindSegment(const std::vector<Segment>& segments, int marker);

// Reads the entropy-coded data with the Huffman tables of the file itself:
// every block of every MCU, DC prediction undone, dequantised DC per block.
// Fails on a truncated or over-long scan, a marker inside it, padding that is
// not one bits, or a missing EOI right after the scan.
struct BlockDcs {
    int width = 0, height = 0;
    int lumaSampling = 0;  // 0x11 or 0x22
    // Per component (Y, Cb, Cr), row-major over that component's block grid
    // including padding blocks: the block's mean sample value.
    std::vector<double> mean[3];
    int blocksWide[3] = {}, blocksHigh[3] = {};
};
bool ReadBlockDcs(const std::vector<std::uint8_t>& file, BlockDcs& out, std::string& error);

}  // namespace mrv::imaging::jpegtest
