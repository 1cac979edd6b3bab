// Nearest palette entry by RGB Euclidean distance, exact, lowest index on ties.
//
// RGB space is cut into 8 x 8 x 8 boxes (32768 of them). For a box, only entries
// whose nearest possible distance to it is within the smallest farthest distance
// of any entry can be nearest to a colour inside it; that short candidate list is
// built the first time a colour falls into the box. A search then scans a
// handful of entries instead of 256.
//
// For several threads at once, Prepare builds the lists of the boxes a job
// will meet (on worker threads), after which the const searches only read:
// a box left unprepared is searched over the whole palette, which gives the
// same entry.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/DibImage.h"

namespace mrv::imaging {

class NearestColour {
public:
    NearestColour(const PaletteEntry* palette, int count);

    int Find(int r, int g, int b) { return Nearest(CandidatesOf(BoxOf(r, g, b)), r, g, b); }

    // For points with fractional coordinates inside [0, 256).
    int Find(float r, float g, float b);

    // Builds the lists of `boxes` (indices as BoxOf gives them, each at most
    // once) on up to `threads` threads.
    void Prepare(const std::vector<int>& boxes, int threads);
    static int BoxOf(int r, int g, int b) { return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3); }

    // The searches above, reading only: safe on many threads at once.
    int FindPrepared(int r, int g, int b) const {
        return Nearest(Prepared(BoxOf(r, g, b)), r, g, b);
    }
    int FindPrepared(float r, float g, float b) const;

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
    int Nearest(Candidates c, int r, int g, int b) const {
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
    int Nearest(Candidates c, float r, float g, float b) const;
    Candidates CandidatesOf(int box) {
        if (start_[box] < 0) Build(box);
        return Candidates{pool_.data() + start_[box], count_[box]};
    }
    // Every entry, in order, for a box without a list.
    Candidates Prepared(int box) const {
        if (start_[box] < 0) return Candidates{all_, size_};
        return Candidates{pool_.data() + start_[box], count_[box]};
    }
    // Appends the candidates of `box` to `pool` and returns their number.
    int Collect(int box, std::vector<std::uint8_t>& pool) const;
    void Build(int box);

    int size_;
    int r_[256];
    int g_[256];
    int b_[256];
    std::vector<std::int32_t> start_;   // per box: offset into pool_, -1 = not built
    std::vector<std::uint16_t> count_;  // per box: number of candidates
    std::vector<std::uint8_t> pool_;
    std::uint8_t all_[256];  // 0, 1, ..., 255
};

}  // namespace mrv::imaging
