// The per-pixel and per-block work of the JPEG encoder, as a set of kernels.
// There is a portable scalar set and, on x86, an SSE2 set and an AVX2 set
// (for processors that have it); all compute the same integers, so the file
// does not depend on which one ran.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/ByteSink.h"
#include "imaging/PixelView.h"

namespace mrv::imaging::jpeg {

// Quantisation by 8 * Q (Q = table entry 1..255) of the DCT output below,
// rounded half away from zero: q = floor((|c| + 4Q) / 8Q), computed as
// floor(y / Q) with y = (|c| + 4Q) >> 3 < 2^11 (nested floors). Each kernel
// set divides exactly in its own way; the factors for both are here.
struct Quantizer {
    // Scalar: y * ceil(2^19 / Q) >> 19 is exact for y < 2^11 (error < 2^19).
    std::uint32_t reciprocal[64];
    std::uint16_t half[64];  // 4Q
    // 16-bit lanes: with b = max(1, ceil(log2 Q)), m = ceil(2^(11 + b) / Q)
    // fits 13 bits and ((y << 5) * m >> 16) * 2^(16 - b) >> 16 = floor(y / Q).
    std::uint16_t multiplier[64];
    std::uint16_t postScale[64];  // 2^(16 - b)
};

// `table` row-major, entries 1..255 (0 is taken as 1).
Quantizer MakeQuantizer(const std::array<std::uint8_t, 64>& table);

struct Kernels {
    // One row of pixels (3 or 4 bytes each, B G R order) to Y, Cb, Cr.
    void (*convertRow24)(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                         std::uint8_t* cr);
    void (*convertRow32)(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                         std::uint8_t* cr);
    // Two rows of `fullWidth` samples (even, the second right after the
    // first) to one row of fullWidth / 2 2x2 averages.
    void (*downsample)(const std::uint8_t* top, int fullWidth, std::uint8_t* out);
    // `count` blocks of 8 x 8 samples (0..255) side by side, each to its DCT
    // scaled by 8, row-major (row = vertical frequency), 64 values a block
    // one after the other in `out`; |value| <= 8192.
    void (*forwardDcts)(const std::uint8_t* samples, std::ptrdiff_t stride, int count,
                        std::int16_t* out);
    // Quantises `coef` into `out` (both row-major) and returns the AC mask:
    // bit k set when the k-th coefficient in zigzag order (k = 1..63) is not 0.
    std::uint64_t (*quantize)(const std::int16_t coef[64], const Quantizer& quantizer,
                              std::int16_t out[64]);
};

const Kernels& ScalarKernels();
// Null when this build has no SSE2.
const Kernels* Sse2Kernels();
// Null when this build or the processor (or its system) has no AVX2.
const Kernels* Avx2Kernels();
// What WriteJpeg uses: the first of AVX2, SSE2, scalar that is there.
const Kernels& FastestKernels();

// Mask of the non-zero entries of `coef` (row-major bit order) to zigzag bit
// order, bit 0 (the DC) cleared.
std::uint64_t NaturalToZigzagMask(std::uint64_t naturalMask);

// WriteJpeg with a chosen kernel set (validation and quality clamping are
// WriteJpeg's; `quality` here is already 1..100).
[[nodiscard]] bool EncodeWith(const Kernels& kernels, const PixelView& pixels, int quality,
                              ByteSink& sink);

}  // namespace mrv::imaging::jpeg
