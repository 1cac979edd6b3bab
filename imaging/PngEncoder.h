// Inside the PNG writer: how a truecolour image is encoded, exposed so tests
// can round-trip every way and tools can compare them.
#pragma once

#include <cstddef>
#include <vector>

#include "imaging/ByteSink.h"
#include "imaging/PixelView.h"

namespace mrv::imaging {

// How the rows become deflate blocks.
enum class DeflateCoding {
    kMatches,          // LZ77 matches and Huffman codes
    kFilteredMatches,  // the same, ignoring short matches (zlib's Z_FILTERED)
    kHuffmanOnly,      // no matches: filtered photographs are noise to LZ77
};

struct PngPlan {
    bool filtered = true;  // rows adaptively filtered; otherwise all unfiltered
    DeflateCoding coding = DeflateCoding::kFilteredMatches;
    // Match search effort, as zlib's deflateTune: 0 = zlib's level 6 values.
    int goodLength = 0;
    int maxLazy = 0;
    int niceLength = 0;
    int maxChain = 0;
};

// The candidate plans, in order of preference on a tie.
std::vector<PngPlan> CandidatePlans();

// Deflates sample bands of the picture with every candidate plan (on up to
// `threads` threads) and returns the one giving the fewest bytes.
PngPlan ChoosePlan(const PixelView& bgr, int threads = 1);

// A whole PNG file of a 24-bit top-down BGR view. With threads > 1 the rows
// are deflated in strips on worker threads (joined before returning).
[[nodiscard]] bool EncodeTruecolourPng(const PixelView& bgr, const PngPlan& plan, int threads,
                                       ByteSink& sink);

}  // namespace mrv::imaging
