// Nearest palette entry by RGB Euclidean distance, exact, lowest index on ties.
//
// RGB space is cut into 8 x 8 x 8 boxes (32768 of them). For a box, only entries
// whose nearest possible distance to it is within the smallest farthest distance
// of any entry can be nearest to a colour inside it; that short candidate list is
// built the first time a colour falls into the box. A search then scans a
// handful of entries instead of 256.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/DibImage.h"

namespace mrv::imaging {

class NearestColour {
public:
    NearestColour(const PaletteEntry* palette, int count);

    int Find(int r, int g, int b) {
        const Candidates c = CandidatesOf((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
        int best = c.first[0];
        int bestDistance = Distance(best, r, g, b);
        for (int i = 1; i < c.count; ++i) {
            const int k = c.first[i];
            const int d = Distance(k, r, g, b);
            if (d < bestDistance) {
                bestDistance = d;
                best = k;
            }
        }
        return best;
    }

    // For points with fractional coordinates inside [0, 256).
    int Find(float r, float g, float b);

private:
    struct Candidates {
        const std::uint8_t* first;
        int count;
    };

    int Distance(int k, int r, int g, int b) const {
        const int dr = r - r_[k];
        const int dg = g - g_[k];
        const int db = b - b_[k];
        return dr * dr + dg * dg + db * db;
    }
    Candidates CandidatesOf(int box) {
        if (start_[box] < 0) Build(box);
        return Candidates{pool_.data() + start_[box], count_[box]};
    }
    void Build(int box);

    int size_;
    int r_[256];
    int g_[256];
    int b_[256];
    std::vector<std::int32_t> start_;   // per box: offset into pool_, -1 = not built
    std::vector<std::uint16_t> count_;  // per box: number of candidates
    std::vector<std::uint8_t> pool_;
};

}  // namespace mrv::imaging
