// Pictures and readers shared by the image library tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/ByteSink.h"
#include "imaging/Image.h"
#include "imaging/PixelView.h"

namespace mrv::imaging::test {

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

// A picture as the snapshot holds it: B, G, R, unused, top-down.
struct Snapshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgrx;

    Snapshot(int w, int h) : width(w), height(h), bgrx(static_cast<std::size_t>(w) * h * 4, 0) {}
    void Set(int x, int y, Rgb c) {
        std::uint8_t* p = &bgrx[(static_cast<std::size_t>(y) * width + x) * 4];
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        p[3] = 0xEE;  // the unused byte must never leak into the image
    }
    Rgb At(int x, int y) const {
        const std::uint8_t* p = &bgrx[(static_cast<std::size_t>(y) * width + x) * 4];
        return Rgb{p[2], p[1], p[0]};
    }
    PixelView View() const {
        return PixelView{bgrx.data(), width, height, static_cast<std::ptrdiff_t>(width) * 4,
                         PixelFormat::kBgrx32};
    }
};

// An asymmetric picture: a red "F" on blue, with a green pixel at the top left,
// so a flipped or mirrored image, or swapped red and blue, cannot pass.
inline Snapshot LetterF(int w, int h) {
    const Rgb red{220, 20, 30};
    const Rgb blue{10, 40, 200};
    Snapshot s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool stem = x == w / 4 && y >= h / 5;
            const bool topBar = y == h / 5 && x >= w / 4;
            const bool middleBar = y == h / 2 && x >= w / 4 && x <= w / 2;
            s.Set(x, y, stem || topBar || middleBar ? red : blue);
        }
    }
    s.Set(0, 0, Rgb{0, 255, 0});
    return s;
}

// Deterministic pseudo-random pixels with about `colours` distinct values.
inline Snapshot Noise(int w, int h, std::uint32_t seed, std::uint32_t colours = 1u << 24) {
    Snapshot s(w, h);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const std::uint32_t c = (state % colours) * (0xFFFFFFu / std::max(colours - 1, 1u));
            s.Set(x, y,
                  Rgb{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                      static_cast<std::uint8_t>(c)});
        }
    }
    return s;
}

inline std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Reads a packed DIB (24, 16 with bit fields, or 8 with a palette) back into
// top-down RGB, independently of the library's own row helpers.
inline std::vector<Rgb> ReadDib(const std::uint8_t* dib, int* width = nullptr,
                                int* height = nullptr) {
    const int w = static_cast<int>(Le32(dib + 4));
    const int h = static_cast<int>(Le32(dib + 8));
    const int bits = Le16(dib + 14);
    const std::uint32_t compression = Le32(dib + 16);
    const std::uint32_t colours = Le32(dib + 32);
    const std::uint8_t* table = dib + 40;
    const std::uint8_t* pixels = table + (compression == 3 ? 12 : 0) + 4 * colours;
    const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
    std::vector<Rgb> out;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            if (bits == 24) {
                out.push_back(Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else if (bits == 8) {
                const std::uint8_t* e = table + 4 * row[x];
                out.push_back(Rgb{e[2], e[1], e[0]});
            } else {
                const std::uint32_t v = Le16(row + 2 * x);
                std::uint8_t c[3];
                for (int k = 0; k < 3; ++k) {
                    const std::uint32_t mask = Le32(table + 4 * k);
                    int shift = 0;
                    while (((mask >> shift) & 1) == 0) ++shift;
                    const std::uint32_t max = mask >> shift;
                    c[k] = static_cast<std::uint8_t>((((v & mask) >> shift) * 255 + max / 2) / max);
                }
                out.push_back(Rgb{c[0], c[1], c[2]});
            }
        }
    }
    if (width) *width = w;
    if (height) *height = h;
    return out;
}

inline std::vector<Rgb> Pixels(const Snapshot& s) {
    std::vector<Rgb> out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) out.push_back(s.At(x, y));
    return out;
}

inline ImagePtr CaptureAll(const Snapshot& s) {
    return ImagePtr(CreateImageFromPixels(s.View(), 0, 0, s.width, s.height));
}

// Accepts the first `limit` bytes, then refuses.
class FailingSink final : public ByteSink {
public:
    explicit FailingSink(std::size_t limit) : limit_(limit) {}
    bool Write(const std::uint8_t*, std::size_t size) override {
        if (size > limit_ - written_) return false;
        written_ += size;
        return true;
    }

private:
    std::size_t limit_;
    std::size_t written_ = 0;
};

}  // namespace mrv::imaging::test
