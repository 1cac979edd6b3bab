#include "imaging/NearestColour.h"

#include <algorithm>
#include <limits>

namespace mrv::imaging {

NearestColour::NearestColour(const PaletteEntry* palette, int count)
    : size_(count), start_(32768, -1), count_(32768, 0) {
    for (int k = 0; k < count; ++k) {
        r_[k] = palette[k].r;
        g_[k] = palette[k].g;
        b_[k] = palette[k].b;
    }
    pool_.reserve(4096);
}

namespace {

// Squared distance from v to the interval [lo, lo + 7], nearest and farthest.
inline int Near(int v, int lo) {
    const int d = v < lo ? lo - v : (v > lo + 7 ? v - lo - 7 : 0);
    return d * d;
}
inline int Far(int v, int lo) {
    const int d = std::max(v - lo, lo + 7 - v);
    return d * d;
}

}  // namespace

void NearestColour::Build(int box) {
    const int loR = (box >> 10) * 8;
    const int loG = ((box >> 5) & 31) * 8;
    const int loB = (box & 31) * 8;
    int nearest[256];
    int bound = std::numeric_limits<int>::max();
    for (int k = 0; k < size_; ++k) {
        nearest[k] = Near(r_[k], loR) + Near(g_[k], loG) + Near(b_[k], loB);
        bound = std::min(bound, Far(r_[k], loR) + Far(g_[k], loG) + Far(b_[k], loB));
    }
    start_[box] = static_cast<std::int32_t>(pool_.size());
    for (int k = 0; k < size_; ++k) {
        if (nearest[k] <= bound) pool_.push_back(static_cast<std::uint8_t>(k));
    }
    count_[box] = static_cast<std::uint16_t>(pool_.size() - static_cast<std::size_t>(start_[box]));
}

int NearestColour::Find(float r, float g, float b) {
    const int box = (static_cast<int>(r) >> 3) << 10 | (static_cast<int>(g) >> 3) << 5 |
                    (static_cast<int>(b) >> 3);
    const Candidates c = CandidatesOf(box);
    int best = c.first[0];
    float bestDistance = std::numeric_limits<float>::max();
    for (int i = 0; i < c.count; ++i) {
        const int k = c.first[i];
        const float dr = r - static_cast<float>(r_[k]);
        const float dg = g - static_cast<float>(g_[k]);
        const float db = b - static_cast<float>(b_[k]);
        const float d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

}  // namespace mrv::imaging
