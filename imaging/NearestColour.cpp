#include "imaging/NearestColour.h"

#include <algorithm>
#include <limits>
#include <new>

#include "imaging/Parallel.h"

namespace mrv::imaging {

NearestColour::NearestColour(const PaletteEntry* palette, int count)
    : size_(count), start_(32768, -1), count_(32768, 0) {
    for (int k = 0; k < count; ++k) {
        r_[k] = palette[k].r;
        g_[k] = palette[k].g;
        b_[k] = palette[k].b;
    }
    for (int k = 0; k < 256; ++k) all_[k] = static_cast<std::uint8_t>(k);
    pool_.reserve(4096);
}

namespace {

// Squared distance from v to the interval [lo, lo + 7], nearest and farthest.
// Without branches (at most one of the two terms is positive), so the loops
// over the palette below can run in vector lanes.
inline int Near(int v, int lo) {
    const int d = std::max(lo - v, 0) + std::max(v - lo - 7, 0);
    return d * d;
}
inline int Far(int v, int lo) {
    const int d = std::max(v - lo, lo + 7 - v);
    return d * d;
}

}  // namespace

int NearestColour::Collect(int box, std::vector<std::uint8_t>& pool) const {
    const int loR = (box >> 10) * 8;
    const int loG = ((box >> 5) & 31) * 8;
    const int loB = (box & 31) * 8;
    int nearest[256];
    int bound = std::numeric_limits<int>::max();
    for (int k = 0; k < size_; ++k) {
        nearest[k] = Near(r_[k], loR) + Near(g_[k], loG) + Near(b_[k], loB);
        bound = std::min(bound, Far(r_[k], loR) + Far(g_[k], loG) + Far(b_[k], loB));
    }
    int count = 0;
    for (int k = 0; k < size_; ++k) {
        if (nearest[k] <= bound) {
            pool.push_back(static_cast<std::uint8_t>(k));
            ++count;
        }
    }
    return count;
}

void NearestColour::Build(int box) {
    start_[box] = static_cast<std::int32_t>(pool_.size());
    count_[box] = static_cast<std::uint16_t>(Collect(box, pool_));
}

void NearestColour::Prepare(const std::vector<int>& boxes, int threads) {
    // Each part collects into a pool of its own; the pools then go one after
    // the other into the shared one.
    const int parts = std::max(1, std::min(static_cast<int>(boxes.size()) / 64, 4 * threads));
    std::vector<std::vector<std::uint8_t>> pools(static_cast<std::size_t>(parts));
    std::vector<std::uint16_t> counts(boxes.size());
    if (!RunInParallel(pools.size(), threads, [&](std::size_t part, int) {
            const Span span = PartOf(static_cast<int>(boxes.size()), parts, static_cast<int>(part));
            for (int i = span.first; i < span.end; ++i) {
                const int box = boxes[static_cast<std::size_t>(i)];
                if (start_[box] < 0)
                    counts[static_cast<std::size_t>(i)] =
                        static_cast<std::uint16_t>(Collect(box, pools[part]));
            }
        }))
        throw std::bad_alloc();
    for (int part = 0; part < parts; ++part) {
        const Span span = PartOf(static_cast<int>(boxes.size()), parts, part);
        std::size_t at = pool_.size();
        pool_.insert(pool_.end(), pools[static_cast<std::size_t>(part)].begin(),
                     pools[static_cast<std::size_t>(part)].end());
        for (int i = span.first; i < span.end; ++i) {
            const int box = boxes[static_cast<std::size_t>(i)];
            if (start_[box] >= 0) continue;
            start_[box] = static_cast<std::int32_t>(at);
            count_[box] = counts[static_cast<std::size_t>(i)];
            at += count_[box];
        }
    }
}

int NearestColour::Find(float r, float g, float b) {
    return Nearest(
        CandidatesOf(BoxOf(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b))), r, g,
        b);
}

int NearestColour::FindPrepared(float r, float g, float b) const {
    return Nearest(Prepared(BoxOf(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b))),
                   r, g, b);
}

int NearestColour::Nearest(Candidates c, float r, float g, float b) const {
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
