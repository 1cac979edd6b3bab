// Reduction to 8-bit index colour.
//
// 1. Exact: while scanning, colours go into a small hash table. If the picture
//    has at most 256 of them, the palette is exactly those (in order of first
//    appearance) and the indices are written in the same pass: lossless.
// 2. Otherwise: a histogram of 6-bit-per-channel cells (count and the sum of
//    the two low bits, so each cell's exact centroid is known) feeds Wu's
//    variance-minimising box splitting on a 5-bit grid for the first palette,
//    which a few k-means passes over the cell centroids then refine. Pixels
//    are mapped to their nearest palette colour (RGB Euclidean, lowest index on
//    ties), and each palette colour finally becomes the mean of the pixels
//    mapped to it, which can only lower the error. Unused entries are dropped.
//
// Everything is integer or sequential floating point: same input, same bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/DibImage.h"
#include "imaging/Image.h"
#include "imaging/NearestColour.h"

namespace mrv::imaging {
namespace {

constexpr int kMaxColours = 256;

inline std::uint32_t PackBgr(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
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

// Writes the indices into `out` (rows with room for 256 entries) and returns
// the number of colours, or 0 when there are more than 256.
int MapExactly(const PixelView& source, Image& out, std::vector<PaletteEntry>* palette) {
    SmallColourTable table;
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint8_t* indices = out.Row(y);
        std::uint32_t last = PackBgr(in);
        int lastIndex = table.IndexOf(last);
        for (int x = 0; x < source.width; ++x, in += 3) {
            const std::uint32_t colour = PackBgr(in);
            if (colour != last) {
                last = colour;
                lastIndex = table.IndexOf(colour);
                if (lastIndex < 0) return 0;
            }
            indices[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
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
// Histogram of 6-bit cells

struct Cell {
    std::uint32_t count;
    std::uint32_t lowR, lowG, lowB;  // sums of each channel's two low bits
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

// One occupied cell: its centroid and weight, the points of the k-means.
struct WeightedPoint {
    float r, g, b;
    std::uint32_t weight;
};

std::vector<WeightedPoint> BuildPoints(const PixelView& source) {
    std::unique_ptr<Cell[]> cells(new (std::nothrow) Cell[1u << 18]());
    if (!cells) return {};
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint32_t last = PackBgr(in);
        std::uint32_t run = 0;
        for (int x = 0; x < source.width; ++x, in += 3) {
            const std::uint32_t colour = PackBgr(in);
            if (colour == last) {
                ++run;
            } else {
                AddRun(cells.get(), last, run);
                last = colour;
                run = 1;
            }
        }
        AddRun(cells.get(), last, run);
    }
    std::size_t occupied = 0;
    for (std::uint32_t i = 0; i < (1u << 18); ++i) occupied += cells[i].count != 0;
    std::vector<WeightedPoint> points;
    points.reserve(occupied);
    for (std::uint32_t i = 0; i < (1u << 18); ++i) {
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
// Wu's quantiser on a 5-bit grid (33 bins per axis, bin 0 empty so the
// cumulative moments need no special case at the low edge).

constexpr int kSide = 33;
constexpr int kBins = kSide * kSide * kSide;

inline int At(int r, int g, int b) {
    return (r * kSide + g) * kSide + b;
}

struct Moments {
    std::vector<std::int64_t> w, r, g, b;
    std::vector<double> m2;
};

// A box of bins: lower bounds exclusive, upper bounds inclusive.
struct Box {
    int r0, r1, g0, g1, b0, b1;
    int Volume() const { return (r1 - r0) * (g1 - g0) * (b1 - b0); }
};

template <typename T>
T Vol(const Box& c, const std::vector<T>& m) {
    return m[At(c.r1, c.g1, c.b1)] - m[At(c.r1, c.g1, c.b0)] - m[At(c.r1, c.g0, c.b1)] +
           m[At(c.r1, c.g0, c.b0)] - m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] +
           m[At(c.r0, c.g0, c.b1)] - m[At(c.r0, c.g0, c.b0)];
}

// The part of Vol that does not depend on the box's upper bound along `axis`,
// and the part that does, at upper bound `pos`: sums over the lower half of a
// cut are Bottom + Top(pos).
template <typename T>
T Bottom(const Box& c, int axis, const std::vector<T>& m) {
    switch (axis) {
        case 0:
            return -m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] + m[At(c.r0, c.g0, c.b1)] -
                   m[At(c.r0, c.g0, c.b0)];
        case 1:
            return -m[At(c.r1, c.g0, c.b1)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g0, c.b1)] -
                   m[At(c.r0, c.g0, c.b0)];
        default:
            return -m[At(c.r1, c.g1, c.b0)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g1, c.b0)] -
                   m[At(c.r0, c.g0, c.b0)];
    }
}

template <typename T>
T Top(const Box& c, int axis, int pos, const std::vector<T>& m) {
    switch (axis) {
        case 0:
            return m[At(pos, c.g1, c.b1)] - m[At(pos, c.g1, c.b0)] - m[At(pos, c.g0, c.b1)] +
                   m[At(pos, c.g0, c.b0)];
        case 1:
            return m[At(c.r1, pos, c.b1)] - m[At(c.r1, pos, c.b0)] - m[At(c.r0, pos, c.b1)] +
                   m[At(c.r0, pos, c.b0)];
        default:
            return m[At(c.r1, c.g1, pos)] - m[At(c.r1, c.g0, pos)] - m[At(c.r0, c.g1, pos)] +
                   m[At(c.r0, c.g0, pos)];
    }
}

double Variance(const Box& c, const Moments& m) {
    const double r = static_cast<double>(Vol(c, m.r));
    const double g = static_cast<double>(Vol(c, m.g));
    const double b = static_cast<double>(Vol(c, m.b));
    const double w = static_cast<double>(Vol(c, m.w));
    if (w <= 0) return 0;
    return Vol(c, m.m2) - (r * r + g * g + b * b) / w;
}

// Best cut along one axis: the position maximising the sum over both halves of
// |sum|^2 / weight (equivalently, minimising the summed variance).
double Maximize(const Box& c, int axis, int first, int last, int* cut, const Moments& m,
                std::int64_t wholeR, std::int64_t wholeG, std::int64_t wholeB,
                std::int64_t wholeW) {
    const std::int64_t baseR = Bottom(c, axis, m.r);
    const std::int64_t baseG = Bottom(c, axis, m.g);
    const std::int64_t baseB = Bottom(c, axis, m.b);
    const std::int64_t baseW = Bottom(c, axis, m.w);
    double best = 0;
    *cut = -1;
    for (int i = first; i < last; ++i) {
        const std::int64_t hw = baseW + Top(c, axis, i, m.w);
        if (hw == 0) continue;
        const std::int64_t ow = wholeW - hw;
        if (ow == 0) continue;
        const double hr = static_cast<double>(baseR + Top(c, axis, i, m.r));
        const double hg = static_cast<double>(baseG + Top(c, axis, i, m.g));
        const double hb = static_cast<double>(baseB + Top(c, axis, i, m.b));
        const double orr = static_cast<double>(wholeR) - hr;
        const double og = static_cast<double>(wholeG) - hg;
        const double ob = static_cast<double>(wholeB) - hb;
        const double value = (hr * hr + hg * hg + hb * hb) / static_cast<double>(hw) +
                             (orr * orr + og * og + ob * ob) / static_cast<double>(ow);
        if (value > best) {
            best = value;
            *cut = i;
        }
    }
    return best;
}

bool Cut(Box* set1, Box* set2, const Moments& m) {
    const std::int64_t wholeR = Vol(*set1, m.r);
    const std::int64_t wholeG = Vol(*set1, m.g);
    const std::int64_t wholeB = Vol(*set1, m.b);
    const std::int64_t wholeW = Vol(*set1, m.w);
    int cutR, cutG, cutB;
    const double maxR =
        Maximize(*set1, 0, set1->r0 + 1, set1->r1, &cutR, m, wholeR, wholeG, wholeB, wholeW);
    const double maxG =
        Maximize(*set1, 1, set1->g0 + 1, set1->g1, &cutG, m, wholeR, wholeG, wholeB, wholeW);
    const double maxB =
        Maximize(*set1, 2, set1->b0 + 1, set1->b1, &cutB, m, wholeR, wholeG, wholeB, wholeW);
    int axis;
    if (maxR >= maxG && maxR >= maxB) {
        axis = 0;
        if (cutR < 0) return false;  // not splittable
    } else if (maxG >= maxR && maxG >= maxB) {
        axis = 1;
    } else {
        axis = 2;
    }
    *set2 = *set1;
    switch (axis) {
        case 0:
            set2->r0 = set1->r1 = cutR;
            break;
        case 1:
            set2->g0 = set1->g1 = cutG;
            break;
        default:
            set2->b0 = set1->b1 = cutB;
            break;
    }
    return true;
}

std::vector<PaletteEntry> WuPalette(const std::vector<WeightedPoint>& points) {
    Moments m;
    m.w.assign(kBins, 0);
    m.r.assign(kBins, 0);
    m.g.assign(kBins, 0);
    m.b.assign(kBins, 0);
    m.m2.assign(kBins, 0.0);
    for (const WeightedPoint& p : points) {
        // Cell centroids sit inside their 4-wide cell, so the 5-bit bin is exact.
        const int i = At(static_cast<int>(p.r) / 8 + 1, static_cast<int>(p.g) / 8 + 1,
                         static_cast<int>(p.b) / 8 + 1);
        const double w = p.weight;
        const double sr = static_cast<double>(p.r) * w;
        const double sg = static_cast<double>(p.g) * w;
        const double sb = static_cast<double>(p.b) * w;
        m.w[i] += p.weight;
        m.r[i] += std::llround(sr);
        m.g[i] += std::llround(sg);
        m.b[i] += std::llround(sb);
        m.m2[i] += (sr * sr + sg * sg + sb * sb) / w;
    }
    // Cumulative moments: each bin becomes the sum over the box from the origin.
    for (int r = 1; r < kSide; ++r) {
        std::array<std::int64_t, kSide> areaW{}, areaR{}, areaG{}, areaB{};
        std::array<double, kSide> area2{};
        for (int g = 1; g < kSide; ++g) {
            std::int64_t lineW = 0, lineR = 0, lineG = 0, lineB = 0;
            double line2 = 0;
            for (int b = 1; b < kSide; ++b) {
                const int i = At(r, g, b);
                lineW += m.w[i];
                lineR += m.r[i];
                lineG += m.g[i];
                lineB += m.b[i];
                line2 += m.m2[i];
                areaW[b] += lineW;
                areaR[b] += lineR;
                areaG[b] += lineG;
                areaB[b] += lineB;
                area2[b] += line2;
                const int below = At(r - 1, g, b);
                m.w[i] = m.w[below] + areaW[b];
                m.r[i] = m.r[below] + areaR[b];
                m.g[i] = m.g[below] + areaG[b];
                m.b[i] = m.b[below] + areaB[b];
                m.m2[i] = m.m2[below] + area2[b];
            }
        }
    }

    std::vector<Box> boxes(kMaxColours);
    std::vector<double> variance(kMaxColours, 0.0);
    boxes[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1};
    int count = 1;
    int next = 0;
    for (int i = 1; i < kMaxColours; ++i) {
        if (Cut(&boxes[static_cast<std::size_t>(next)], &boxes[static_cast<std::size_t>(i)], m)) {
            const Box& a = boxes[static_cast<std::size_t>(next)];
            const Box& b = boxes[static_cast<std::size_t>(i)];
            variance[static_cast<std::size_t>(next)] = a.Volume() > 1 ? Variance(a, m) : 0.0;
            variance[static_cast<std::size_t>(i)] = b.Volume() > 1 ? Variance(b, m) : 0.0;
            count = i + 1;
        } else {
            variance[static_cast<std::size_t>(next)] = 0.0;
            --i;
        }
        next = 0;
        double best = variance[0];
        for (int k = 1; k < count; ++k) {
            if (variance[static_cast<std::size_t>(k)] > best) {
                best = variance[static_cast<std::size_t>(k)];
                next = k;
            }
        }
        if (best <= 0.0) break;
    }

    std::vector<PaletteEntry> palette;
    palette.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Box& box = boxes[static_cast<std::size_t>(i)];
        const std::int64_t w = Vol(box, m.w);
        if (w <= 0) continue;
        const auto mean = [w](std::int64_t sum) {
            return static_cast<std::uint8_t>(std::clamp<std::int64_t>((sum + w / 2) / w, 0, 255));
        };
        palette.push_back(
            PaletteEntry{mean(Vol(box, m.r)), mean(Vol(box, m.g)), mean(Vol(box, m.b))});
    }
    return palette;
}

// ---------------------------------------------------------------------------
// k-means over the cell centroids

void RefineByKMeans(const std::vector<WeightedPoint>& points, std::vector<PaletteEntry>* palette) {
    constexpr int kPasses = 4;
    const std::size_t n = palette->size();
    std::vector<double> sumR(n), sumG(n), sumB(n), weight(n);
    for (int pass = 0; pass < kPasses; ++pass) {
        NearestColour nearest(palette->data(), static_cast<int>(n));
        std::fill(sumR.begin(), sumR.end(), 0.0);
        std::fill(sumG.begin(), sumG.end(), 0.0);
        std::fill(sumB.begin(), sumB.end(), 0.0);
        std::fill(weight.begin(), weight.end(), 0.0);
        for (const WeightedPoint& p : points) {
            const std::size_t k = static_cast<std::size_t>(nearest.Find(p.r, p.g, p.b));
            const double w = p.weight;
            sumR[k] += static_cast<double>(p.r) * w;
            sumG[k] += static_cast<double>(p.g) * w;
            sumB[k] += static_cast<double>(p.b) * w;
            weight[k] += w;
        }
        bool changed = false;
        for (std::size_t k = 0; k < n; ++k) {
            if (weight[k] <= 0) continue;  // keep it; unused entries go at the end
            const auto level = [&](double sum) {
                return static_cast<std::uint8_t>(
                    std::clamp(std::lround(sum / weight[k]), 0L, 255L));
            };
            const PaletteEntry updated{level(sumR[k]), level(sumG[k]), level(sumB[k])};
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
int MapToPalette(const PixelView& source, Image& out, std::vector<PaletteEntry>* palette,
                 std::array<std::uint8_t, kMaxColours>* remap) {
    const std::size_t n = palette->size();
    NearestColour nearest(palette->data(), static_cast<int>(n));
    std::array<std::uint64_t, kMaxColours> sumR{}, sumG{}, sumB{}, count{};
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.Row(y);
        std::uint8_t* indices = out.Row(y);
        std::uint32_t last = PackBgr(in) ^ 1u;  // anything but the first pixel
        int lastIndex = 0;
        for (int x = 0; x < source.width; ++x, in += 3) {
            const std::uint32_t colour = PackBgr(in);
            if (colour != last) {
                last = colour;
                lastIndex = nearest.Find(in[2], in[1], in[0]);
            }
            indices[x] = static_cast<std::uint8_t>(lastIndex);
            sumB[static_cast<std::size_t>(lastIndex)] += in[0];
            sumG[static_cast<std::size_t>(lastIndex)] += in[1];
            sumR[static_cast<std::size_t>(lastIndex)] += in[2];
            ++count[static_cast<std::size_t>(lastIndex)];
        }
    }
    std::vector<PaletteEntry> used;
    used.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (count[k] == 0) continue;
        const std::uint64_t c = count[k];
        (*remap)[k] = static_cast<std::uint8_t>(used.size());
        used.push_back(PaletteEntry{static_cast<std::uint8_t>((sumR[k] + c / 2) / c),
                                    static_cast<std::uint8_t>((sumG[k] + c / 2) / c),
                                    static_cast<std::uint8_t>((sumB[k] + c / 2) / c)});
    }
    *palette = std::move(used);
    return static_cast<int>(palette->size());
}

bool Reduce(Image* image) {
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
    if (MapExactly(view, *result, &palette) > 0) {
        result->ClearRowPadding();
        result->FinishPalette(palette.data(), static_cast<int>(palette.size()), nullptr);
    } else {
        std::vector<WeightedPoint> points = BuildPoints(view);
        if (points.empty()) return false;
        palette = WuPalette(points);
        RefineByKMeans(points, &palette);
        points = std::vector<WeightedPoint>();
        std::array<std::uint8_t, kMaxColours> remap{};
        const int used = MapToPalette(view, *result, &palette, &remap);
        result->FinishPalette(palette.data(), used, remap.data());
    }
    image->Replace(std::move(*result));
    return true;
}

}  // namespace

bool ReduceTo256Colours(Image* image) {
    if (!image) return false;
    // The working tables are standard containers; running out of memory for
    // them is a failed reduction, not an exception for the caller.
    try {
        return Reduce(image);
    } catch (...) {
        return false;
    }
}

}  // namespace mrv::imaging
