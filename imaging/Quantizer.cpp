// Reduction to 8-bit index colour.
//
// 1. Exact: while scanning, colours go into a small hash table. If the picture
//    has at most 256 of them, the palette is exactly those (in order of first
//    appearance) and the indices are written in the same pass: lossless.
// 2. Otherwise the picture's colours with their counts (or, past 64K colours,
//    the centroids of 6-bit-per-channel cells) are split by Wu's
//    variance-minimising rule into at most 256 boxes, whose means a few
//    k-means passes then refine. Pixels are mapped to their nearest palette
//    colour (RGB Euclidean, lowest index on ties), and each palette colour
//    finally becomes the mean of the pixels mapped to it, which can only lower
//    the error. Unused entries are dropped.
//
// Everything is integer or floating point summed in a fixed order: same
// input, same bytes. The heavy passes (the exact scan, the histograms, the
// k-means assignments and sums, the final mapping) run in row strips or point
// chunks on worker threads; each strip keeps its own tables, and these are
// joined in strip order so the result never depends on the thread count.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "imaging/DibImage.h"
#include "imaging/Image.h"
#include "imaging/NearestColour.h"
#include "imaging/Parallel.h"

namespace mrv::imaging {
namespace {

constexpr int kMaxColours = 256;
// More threads than this gain nothing on any machine the program runs on.
constexpr int kMaxThreads = 16;

inline std::uint32_t PackBgr(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

// Row strips for `threads`: two per thread so that a thread slowed by other
// work on the machine does not hold up the rest; one without helpers.
int StripCount(int height, int threads) {
    return threads <= 1 ? 1 : std::max(1, std::min(height, 2 * threads));
}

// RunInParallel for the passes here: a job that threw (out of memory) fails
// the reduction like an allocation on the calling thread would.
void Parallel(std::size_t count, int threads,
              const std::function<void(std::size_t job, int worker)>& job) {
    if (!RunInParallel(count, threads, job)) throw std::bad_alloc();
}

// ---------------------------------------------------------------------------
// Exact palette

// Open addressing, 1024 slots for at most 256 keys; key 0 marks a free slot, so
// colours are stored plus 1 << 24.
class SmallColourTable {
public:
    // Index of the colour, adding it when new; -1 once a 257th colour appears.
    int IndexOf(std::uint32_t colour) {
        const std::uint32_t key = colour | (1u << 24);
        std::uint32_t slot = (colour * 0x9E3779B1u) >> 22;
        for (;;) {
            if (keys_[slot] == key) return values_[slot];
            if (keys_[slot] == 0) break;
            slot = (slot + 1) & 1023u;
        }
        if (count_ == kMaxColours) return -1;
        keys_[slot] = key;
        values_[slot] = static_cast<std::uint8_t>(count_);
        colours_[count_] = colour;
        return count_++;
    }
    int Count() const { return count_; }
    std::uint32_t Colour(int index) const { return colours_[index]; }

private:
    std::array<std::uint32_t, 1024> keys_{};
    std::array<std::uint8_t, 1024> values_{};
    std::array<std::uint32_t, kMaxColours> colours_{};
    int count_ = 0;
};

// Maps rows [span.first, span.end) through `table`; false once a 257th
// colour appears, here or (`tooMany` set) in another strip: the picture has
// more than 256 then, and a strip of few colours need not be mapped on.
bool MapRowsExactly(const PixelView& source, Span span, Image& out, SmallColourTable& table,
                    std::atomic<bool>& tooMany) {
    const auto fail = [&tooMany] {
        tooMany.store(true, std::memory_order_relaxed);
        return false;
    };
    for (int y = span.first; y < span.end; ++y) {
        if (tooMany.load(std::memory_order_relaxed)) return false;
        const std::uint8_t* in = source.Row(y);
        std::uint8_t* indices = out.Row(y);
        std::uint32_t last = PackBgr(in);
        int lastIndex = table.IndexOf(last);
        if (lastIndex < 0) return fail();
        for (int x = 0; x < source.width; ++x, in += 3) {
            const std::uint32_t colour = PackBgr(in);
            if (colour != last) {
                last = colour;
                lastIndex = table.IndexOf(colour);
                if (lastIndex < 0) return fail();
            }
            indices[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
    return true;
}

// Writes the indices into `out` (rows with room for 256 entries) and returns
// the number of colours, or 0 when there are more than 256. Each strip numbers
// its colours by first appearance; the strips' lists joined in order give
// the picture's first appearances, and later strips are renumbered.
int MapExactly(const PixelView& source, Image& out, int threads,
               std::vector<PaletteEntry>* palette) {
    const int strips = StripCount(source.height, threads);
    std::vector<SmallColourTable> tables(static_cast<std::size_t>(strips));
    std::vector<unsigned char> exact(static_cast<std::size_t>(strips), 0);
    std::atomic<bool> tooMany{false};
    Parallel(tables.size(), threads, [&](std::size_t i, int) {
        exact[i] = MapRowsExactly(source, PartOf(source.height, strips, static_cast<int>(i)), out,
                                  tables[i], tooMany);
    });
    if (std::find(exact.begin(), exact.end(), 0) != exact.end()) return 0;

    SmallColourTable& table = tables[0];
    std::vector<std::array<std::uint8_t, kMaxColours>> remaps(tables.size());
    std::vector<unsigned char> renumber(tables.size(), 0);
    for (std::size_t i = 1; i < tables.size(); ++i) {
        for (int c = 0; c < tables[i].Count(); ++c) {
            const int index = table.IndexOf(tables[i].Colour(c));
            if (index < 0) return 0;
            remaps[i][static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(index);
            renumber[i] |= index != c;
        }
    }
    Parallel(tables.size(), threads, [&](std::size_t i, int) {
        if (!renumber[i]) return;
        const Span span = PartOf(source.height, strips, static_cast<int>(i));
        for (int y = span.first; y < span.end; ++y) {
            std::uint8_t* indices = out.Row(y);
            for (int x = 0; x < source.width; ++x) indices[x] = remaps[i][indices[x]];
        }
    });

    palette->resize(static_cast<std::size_t>(table.Count()));
    for (int i = 0; i < table.Count(); ++i) {
        const std::uint32_t c = table.Colour(i);
        (*palette)[static_cast<std::size_t>(i)] =
            PaletteEntry{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c)};
    }
    return table.Count();
}

// ---------------------------------------------------------------------------
// The colours to choose a palette for: weighted points

// One colour of the picture, or the centroid of the colours in one 6-bit
// cell, with its pixel count.
struct WeightedPoint {
    float r, g, b;
    std::uint32_t weight;
};

// The boxes of NearestColour the points lie in, each once. Every pixel of
// the picture lies in one of them too: a point is a colour of the picture or
// the centroid of a 6-bit cell, which sits inside one 5-bit box.
std::vector<int> BoxesOf(const std::vector<WeightedPoint>& points) {
    std::vector<unsigned char> seen(1u << 15, 0);
    std::vector<int> boxes;
    for (const WeightedPoint& p : points) {
        const int box = NearestColour::BoxOf(static_cast<int>(p.r), static_cast<int>(p.g),
                                             static_cast<int>(p.b));
        if (!seen[static_cast<std::size_t>(box)]) {
            seen[static_cast<std::size_t>(box)] = 1;
            boxes.push_back(box);
        }
    }
    return boxes;
}

// Calls visit(colour, run) for every run of one colour along each row of
// [span.first, span.end) of a 24-bit view; stops early, returning false, when
// visit does.
template <typename Visit>
bool ForEachColourRun(const PixelView& source, Span span, Visit visit) {
    for (int y = span.first; y < span.end; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint32_t last = PackBgr(in);
        std::uint32_t run = 0;
        for (int x = 0; x < source.width; ++x, in += 3) {
            const std::uint32_t colour = PackBgr(in);
            if (colour == last) {
                ++run;
            } else {
                if (!visit(last, run)) return false;
                last = colour;
                run = 1;
            }
        }
        if (!visit(last, run)) return false;
    }
    return true;
}

// Distinct colours with their counts, at most `cap` of them. Open addressing
// over twice the cap; key 0 marks a free slot, so colours are stored plus
// 1 << 24. The slots taken depend only on the order in which the colours
// first arrive.
class ColourCounts {
public:
    explicit ColourCounts(std::size_t cap) : cap_(cap) {
        std::size_t slots = 1;
        while (slots < 2 * cap) slots *= 2;
        keys_.assign(slots, 0);
        counts_.assign(slots, 0);
        mask_ = static_cast<std::uint32_t>(slots - 1);
    }

    // False once a colour beyond the cap arrives.
    bool Add(std::uint32_t colour, std::uint32_t run) {
        const std::uint32_t key = colour | (1u << 24);
        std::uint32_t slot = (colour * 0x9E3779B1u) & mask_;
        while (keys_[slot] != key && keys_[slot] != 0) slot = (slot + 1) & mask_;
        if (keys_[slot] == 0) {
            if (order_.size() == cap_) return false;
            keys_[slot] = key;
            order_.push_back(slot);
        }
        counts_[slot] += run;
        return true;
    }

    // Adds another table's colours in their order of arrival.
    bool Add(const ColourCounts& other) {
        for (const std::uint32_t slot : other.order_) {
            if (!Add(other.keys_[slot] & 0xFFFFFFu, other.counts_[slot])) return false;
        }
        return true;
    }

    // The colours in slot order.
    std::vector<WeightedPoint> Points() const {
        std::vector<WeightedPoint> points;
        points.reserve(order_.size());
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            if (keys_[i] == 0) continue;
            const std::uint32_t c = keys_[i];
            points.push_back(WeightedPoint{static_cast<float>((c >> 16) & 0xFF),
                                           static_cast<float>((c >> 8) & 0xFF),
                                           static_cast<float>(c & 0xFF), counts_[i]});
        }
        return points;
    }

private:
    std::size_t cap_;
    std::uint32_t mask_ = 0;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint32_t> counts_;
    std::vector<std::uint32_t> order_;  // slots by first arrival
};

// The picture's distinct colours with their counts; empty when there are more
// than `cap` of them. The strips' tables, joined in strip order, fill the
// slots exactly as one scan of the whole picture would.
std::vector<WeightedPoint> ExactPoints(const PixelView& source, std::size_t cap, int threads) {
    const int strips = StripCount(source.height, threads);
    std::vector<std::unique_ptr<ColourCounts>> parts(static_cast<std::size_t>(strips));
    std::vector<unsigned char> within(parts.size(), 0);
    // A strip past the cap ends the others' counting too.
    std::atomic<bool> tooMany{false};
    Parallel(parts.size(), threads, [&](std::size_t i, int) {
        parts[i] = std::make_unique<ColourCounts>(cap);
        ColourCounts& counts = *parts[i];
        within[i] = ForEachColourRun(
            source, PartOf(source.height, strips, static_cast<int>(i)),
            [&](std::uint32_t colour, std::uint32_t run) {
                if (counts.Add(colour, run) && !tooMany.load(std::memory_order_relaxed))
                    return true;
                tooMany.store(true, std::memory_order_relaxed);
                return false;
            });
    });
    if (std::find(within.begin(), within.end(), 0) != within.end()) return {};
    if (parts.size() == 1) return parts[0]->Points();
    ColourCounts all(cap);
    for (const auto& part : parts) {
        if (!all.Add(*part)) return {};
    }
    return all.Points();
}

// Too many colours: a histogram of 6-bit-per-channel cells, each keeping its
// pixel count and the sums of the two low bits per channel, so the cell's
// exact centroid is known.
struct Cell {
    std::uint32_t count;
    std::uint32_t lowR, lowG, lowB;
};

inline std::uint32_t CellOf(std::uint32_t bgr) {
    const std::uint32_t b = (bgr >> 2) & 63u;
    const std::uint32_t g = (bgr >> 10) & 63u;
    const std::uint32_t r = (bgr >> 18) & 63u;
    return (r << 12) | (g << 6) | b;
}

inline void AddRun(Cell* cells, std::uint32_t bgr, std::uint32_t run) {
    Cell& cell = cells[CellOf(bgr)];
    cell.count += run;
    cell.lowB += (bgr & 3u) * run;
    cell.lowG += ((bgr >> 8) & 3u) * run;
    cell.lowR += ((bgr >> 16) & 3u) * run;
}

// Each strip fills its own histogram; the counts and sums are integers, so
// adding them up in any order gives the same cells.
std::vector<WeightedPoint> CellPoints(const PixelView& source, int threads) {
    constexpr std::size_t kCells = 1u << 18;
    // A strip per thread here: each histogram takes 4 MiB.
    const int strips = std::max(1, std::min(source.height, threads));
    std::vector<std::unique_ptr<Cell[]>> parts(static_cast<std::size_t>(strips));
    Parallel(parts.size(), threads, [&](std::size_t i, int) {
        parts[i].reset(new Cell[kCells]());
        Cell* cells = parts[i].get();
        (void)ForEachColourRun(source, PartOf(source.height, strips, static_cast<int>(i)),
                               [&](std::uint32_t colour, std::uint32_t run) {
                                   AddRun(cells, colour, run);
                                   return true;
                               });
    });
    Cell* cells = parts[0].get();
    for (std::size_t part = 1; part < parts.size(); ++part) {
        const Cell* more = parts[part].get();
        for (std::size_t i = 0; i < kCells; ++i) {
            cells[i].count += more[i].count;
            cells[i].lowR += more[i].lowR;
            cells[i].lowG += more[i].lowG;
            cells[i].lowB += more[i].lowB;
        }
    }
    std::size_t occupied = 0;
    for (std::uint32_t i = 0; i < kCells; ++i) occupied += cells[i].count != 0;
    std::vector<WeightedPoint> points;
    points.reserve(occupied);
    for (std::uint32_t i = 0; i < kCells; ++i) {
        const Cell& cell = cells[i];
        if (cell.count == 0) continue;
        const float n = static_cast<float>(cell.count);
        points.push_back(WeightedPoint{
            static_cast<float>((i >> 12) * 4) + static_cast<float>(cell.lowR) / n,
            static_cast<float>(((i >> 6) & 63u) * 4) + static_cast<float>(cell.lowG) / n,
            static_cast<float>((i & 63u) * 4) + static_cast<float>(cell.lowB) / n, cell.count});
    }
    return points;
}

// ---------------------------------------------------------------------------
// Wu's variance-minimising splits, on the points themselves
//
// Wu's quantiser cuts colour space into boxes, always splitting the box of
// largest variance at the plane that most reduces the summed variance; the
// best plane along an axis is found from cumulative moments (weight and
// first moments of everything on the low side). Here the moments along each
// axis come from a 256-bin sweep over the box's own points rather than from a
// coarse fixed grid, so a picture whose colours crowd into a few grid cells
// (anti-aliased text just over 256 colours) still gets all 256 entries.

struct Moments {
    double w = 0, r = 0, g = 0, b = 0, squares = 0;
    void Add(const WeightedPoint& p) {
        const double weight = p.weight;
        w += weight;
        r += weight * p.r;
        g += weight * p.g;
        b += weight * p.b;
        squares += weight * (static_cast<double>(p.r) * p.r + static_cast<double>(p.g) * p.g +
                             static_cast<double>(p.b) * p.b);
    }
    // Sum over the points of the squared distance to their mean.
    double Error() const { return w > 0 ? squares - (r * r + g * g + b * b) / w : 0; }
    double Gain() const { return w > 0 ? (r * r + g * g + b * b) / w : 0; }
};

struct Box {
    std::size_t begin, end;  // points [begin, end)
    Moments moments;
    bool splittable;
};

inline int Coordinate(const WeightedPoint& p, int axis) {
    return static_cast<int>(axis == 0 ? p.r : axis == 1 ? p.g : p.b);
}

// Splits the box at the best plane; false when all its points share one bin
// along every axis.
bool SplitBox(std::vector<WeightedPoint>& points, Box& box, Box* upper) {
    double bestGain = -1;
    int bestAxis = -1;
    int bestCut = 0;
    std::array<Moments, 256> bins;
    for (int axis = 0; axis < 3; ++axis) {
        bins.fill(Moments{});
        for (std::size_t i = box.begin; i < box.end; ++i) {
            bins[static_cast<std::size_t>(Coordinate(points[i], axis))].Add(points[i]);
        }
        Moments low;
        for (int cut = 0; cut < 255; ++cut) {
            const Moments& bin = bins[static_cast<std::size_t>(cut)];
            low.w += bin.w;
            low.r += bin.r;
            low.g += bin.g;
            low.b += bin.b;
            if (low.w <= 0 || low.w >= box.moments.w) continue;
            Moments high;
            high.w = box.moments.w - low.w;
            high.r = box.moments.r - low.r;
            high.g = box.moments.g - low.g;
            high.b = box.moments.b - low.b;
            const double gain = low.Gain() + high.Gain();
            if (gain > bestGain) {
                bestGain = gain;
                bestAxis = axis;
                bestCut = cut;
            }
        }
    }
    if (bestAxis < 0) return false;
    const auto middle =
        std::partition(points.begin() + static_cast<std::ptrdiff_t>(box.begin),
                       points.begin() + static_cast<std::ptrdiff_t>(box.end),
                       [&](const WeightedPoint& p) { return Coordinate(p, bestAxis) <= bestCut; });
    const std::size_t split = static_cast<std::size_t>(middle - points.begin());
    *upper = Box{split, box.end, Moments{}, true};
    box.end = split;
    box.moments = Moments{};
    for (std::size_t i = box.begin; i < box.end; ++i) box.moments.Add(points[i]);
    for (std::size_t i = upper->begin; i < upper->end; ++i) upper->moments.Add(points[i]);
    return true;
}

std::vector<PaletteEntry> SplitPalette(std::vector<WeightedPoint>& points) {
    std::vector<Box> boxes;
    boxes.reserve(kMaxColours);
    Box all{0, points.size(), Moments{}, true};
    for (const WeightedPoint& p : points) all.moments.Add(p);
    boxes.push_back(all);
    while (boxes.size() < static_cast<std::size_t>(kMaxColours)) {
        // The box of largest error goes next; ties to the earliest.
        std::size_t worst = boxes.size();
        double worstError = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const double error = boxes[i].moments.Error();
            if (boxes[i].splittable && boxes[i].end - boxes[i].begin > 1 && error > worstError) {
                worstError = error;
                worst = i;
            }
        }
        if (worst == boxes.size()) break;
        Box upper{};
        if (SplitBox(points, boxes[worst], &upper)) {
            boxes.push_back(upper);
        } else {
            boxes[worst].splittable = false;
        }
    }
    std::vector<PaletteEntry> palette;
    palette.reserve(boxes.size());
    for (const Box& box : boxes) {
        const Moments& m = box.moments;
        const auto mean = [&m](double sum) {
            return static_cast<std::uint8_t>(std::clamp(std::lround(sum / m.w), 0L, 255L));
        };
        palette.push_back(PaletteEntry{mean(m.r), mean(m.g), mean(m.b)});
    }
    return palette;
}

// ---------------------------------------------------------------------------
// k-means over the points

// The points go in chunks of a fixed size whatever the thread count; each
// chunk sums its own points in order, and the chunks' sums are added in chunk
// order, so the floating-point totals are the same on any number of threads.
void RefineByKMeans(const std::vector<WeightedPoint>& points, const std::vector<int>& boxes,
                    int threads, std::vector<PaletteEntry>* palette) {
    constexpr int kPasses = 4;
    constexpr std::size_t kChunk = 4096;
    struct Sums {
        double r, g, b, weight;
    };
    const std::size_t n = palette->size();
    const std::size_t chunks = (points.size() + kChunk - 1) / kChunk;
    std::vector<Sums> partial(chunks * n);
    for (int pass = 0; pass < kPasses; ++pass) {
        NearestColour nearest(palette->data(), static_cast<int>(n));
        nearest.Prepare(boxes, threads);
        Parallel(chunks, threads, [&](std::size_t chunk, int) {
            Sums* sums = partial.data() + chunk * n;
            std::fill(sums, sums + n, Sums{0, 0, 0, 0});
            const std::size_t end = std::min(points.size(), (chunk + 1) * kChunk);
            for (std::size_t i = chunk * kChunk; i < end; ++i) {
                const WeightedPoint& p = points[i];
                Sums& s = sums[static_cast<std::size_t>(nearest.FindPrepared(p.r, p.g, p.b))];
                const double w = p.weight;
                s.r += static_cast<double>(p.r) * w;
                s.g += static_cast<double>(p.g) * w;
                s.b += static_cast<double>(p.b) * w;
                s.weight += w;
            }
        });
        bool changed = false;
        for (std::size_t k = 0; k < n; ++k) {
            Sums total{0, 0, 0, 0};
            for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
                const Sums& s = partial[chunk * n + k];
                total.r += s.r;
                total.g += s.g;
                total.b += s.b;
                total.weight += s.weight;
            }
            if (total.weight <= 0) continue;  // keep it; unused entries go at the end
            const auto level = [&](double sum) {
                return static_cast<std::uint8_t>(
                    std::clamp(std::lround(sum / total.weight), 0L, 255L));
            };
            const PaletteEntry updated{level(total.r), level(total.g), level(total.b)};
            PaletteEntry& entry = (*palette)[k];
            if (updated.r != entry.r || updated.g != entry.g || updated.b != entry.b) {
                entry = updated;
                changed = true;
            }
        }
        if (!changed) break;
    }
}

// Maps every pixel to its nearest palette entry, writing the indices into
// `out`, and replaces each entry by the mean of its pixels. Returns the number
// of entries in use after dropping the unused ones, with `remap` renumbering.
int MapToPalette(const PixelView& source, Image& out, const std::vector<int>& boxes, int threads,
                 std::vector<PaletteEntry>* palette, std::array<std::uint8_t, kMaxColours>* remap) {
    const std::size_t n = palette->size();
    struct Sums {
        std::array<std::uint64_t, kMaxColours> r{}, g{}, b{}, count{};
    };
    const int strips = StripCount(source.height, threads);
    std::vector<Sums> parts(static_cast<std::size_t>(strips));
    NearestColour nearest(palette->data(), static_cast<int>(n));
    nearest.Prepare(boxes, threads);
    Parallel(parts.size(), threads, [&](std::size_t part, int) {
        Sums& sums = parts[part];
        const Span span = PartOf(source.height, strips, static_cast<int>(part));
        for (int y = span.first; y < span.end; ++y) {
            const std::uint8_t* in = source.Row(y);
            std::uint8_t* indices = out.Row(y);
            std::uint32_t last = PackBgr(in) ^ 1u;  // anything but the first pixel
            std::size_t lastIndex = 0;
            for (int x = 0; x < source.width; ++x, in += 3) {
                const std::uint32_t colour = PackBgr(in);
                if (colour != last) {
                    last = colour;
                    lastIndex = static_cast<std::size_t>(nearest.FindPrepared(in[2], in[1], in[0]));
                }
                indices[x] = static_cast<std::uint8_t>(lastIndex);
                sums.b[lastIndex] += in[0];
                sums.g[lastIndex] += in[1];
                sums.r[lastIndex] += in[2];
                ++sums.count[lastIndex];
            }
        }
    });
    Sums& total = parts[0];
    for (std::size_t part = 1; part < parts.size(); ++part) {
        for (std::size_t k = 0; k < n; ++k) {
            total.r[k] += parts[part].r[k];
            total.g[k] += parts[part].g[k];
            total.b[k] += parts[part].b[k];
            total.count[k] += parts[part].count[k];
        }
    }
    std::vector<PaletteEntry> used;
    used.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (total.count[k] == 0) continue;
        const std::uint64_t c = total.count[k];
        (*remap)[k] = static_cast<std::uint8_t>(used.size());
        used.push_back(PaletteEntry{static_cast<std::uint8_t>((total.r[k] + c / 2) / c),
                                    static_cast<std::uint8_t>((total.g[k] + c / 2) / c),
                                    static_cast<std::uint8_t>((total.b[k] + c / 2) / c)});
    }
    *palette = std::move(used);
    return static_cast<int>(palette->size());
}

bool Reduce(Image* image, int threads) {
    if (image->Layout().bitCount == 8) return true;

    // Work from 24-bit pixels; a 16-bit image is expanded into a scratch copy so
    // a failure leaves the image as it was.
    std::unique_ptr<Image> expanded;
    const Image* source = image;
    if (image->Layout().bitCount != 24) {
        DibLayout layout24;
        if (!DibLayout::Compute(image->Layout().width, image->Layout().height, 24, 0, false,
                                &layout24))
            return false;
        expanded = Image::Allocate(layout24);
        if (!expanded) return false;
        for (int y = 0; y < layout24.height; ++y) ExpandRowToBgr(*image, y, expanded->Row(y));
        source = expanded.get();
    }
    const PixelView view = source->BgrView();

    // Rows are written with room for a full palette and moved down at the end.
    DibLayout layout;
    if (!DibLayout::Compute(view.width, view.height, 8, kMaxColours, false, &layout)) return false;
    std::unique_ptr<Image> result = Image::Allocate(layout);
    if (!result) return false;

    std::vector<PaletteEntry> palette;
    if (MapExactly(view, *result, threads, &palette) > 0) {
        result->ClearRowPadding();
        result->FinishPalette(palette.data(), static_cast<int>(palette.size()), nullptr);
    } else {
        // Up to 64K colours are taken as they are; beyond that, 6-bit cells.
        std::vector<WeightedPoint> points = ExactPoints(view, 1u << 16, threads);
        if (points.empty()) points = CellPoints(view, threads);
        if (points.empty()) return false;
        const std::vector<int> boxes = BoxesOf(points);
        palette = SplitPalette(points);
        RefineByKMeans(points, boxes, threads, &palette);
        points = std::vector<WeightedPoint>();
        std::array<std::uint8_t, kMaxColours> remap{};
        const int used = MapToPalette(view, *result, boxes, threads, &palette, &remap);
        result->FinishPalette(palette.data(), used, remap.data());
    }
    image->Replace(std::move(*result));
    return true;
}

}  // namespace

bool ReduceTo256Colours(Image* image, int threads) {
    if (!image) return false;
    // The working tables are standard containers; running out of memory for
    // them is a failed reduction, not an exception for the caller.
    try {
        return Reduce(image, std::clamp(threads, 1, kMaxThreads));
    } catch (...) {
        return false;
    }
}

}  // namespace mrv::imaging
