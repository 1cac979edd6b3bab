// Pictures and an independent DIB reader shared by the image library tests.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/Image.h"

namespace mrv::imaging::test {

using Rgb = std::array<std::uint8_t, 3>;  // red, green, blue
constexpr auto U8 = [](auto v) { return static_cast<std::uint8_t>(v); };

// A little-endian field of 2 or 4 bytes.
inline std::uint32_t Le(const std::uint8_t* p, int bytes = 4) {
    return p[0] | p[1] << 8 | (bytes == 4 ? p[2] << 16 | std::uint32_t{p[3]} << 24 : 0);
}

// A picture as the snapshot holds it: B, G, R, unused, top-down.
struct Snapshot {
    int width, height;
    std::vector<std::array<std::uint8_t, 4>> bgrx;

    Snapshot(int w, int h) : width(w), height(h), bgrx(static_cast<std::size_t>(w) * h) {}
    // The unused byte must never leak into an image.
    void Set(int i, Rgb c) { bgrx[static_cast<std::size_t>(i)] = {c[2], c[1], c[0], 0xEE}; }
    // A rectangle's pixels (by default all), top-down.
    std::vector<Rgb> Pixels(int left = 0, int top = 0, int w = 0, int h = 0) const {
        std::vector<Rgb> out;
        for (int i = 0, n = w ? w : width; i < n * (h ? h : height); ++i) {
            const auto& p = bgrx[static_cast<std::size_t>((top + i / n) * width + left + i % n)];
            out.push_back({p[2], p[1], p[0]});
        }
        return out;
    }
    PixelView View() const {
        return {bgrx[0].data(), width, height, width * 4, PixelFormat::kBgrx32};
    }
};

// Pseudo-random pixels from `colours` scattered colours: no symmetry, so a
// flipped or mirrored image, or red and blue swapped, cannot pass. Up to 256
// colours the first pixels take each in turn: all appear if there is room.
inline Snapshot Noise(int w, int h, std::uint32_t seed, std::uint32_t colours = 1u << 24) {
    Snapshot s(w, h);
    for (std::uint32_t i = 0, state = seed * 2654435761u + 1; i < std::uint32_t(w * h); ++i) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        const std::uint32_t c =
            ((colours <= 256 && i < colours ? i : state % colours) + 1) * 0x9E3779B1u >> 8;
        s.Set(static_cast<int>(i), {U8(c >> 16), U8(c >> 8), U8(c)});
    }
    return s;
}

// A packed DIB (24 bits, 16 with bit fields, 8 with a palette) as top-down RGB.
inline std::vector<Rgb> ReadDib(const std::uint8_t* dib) {
    const std::uint32_t w = Le(dib + 4), h = Le(dib + 8), bits = Le(dib + 14, 2);
    const std::uint8_t* table = dib + 40;
    const std::uint8_t* rows = table + (Le(dib + 16) == 3 ? 12 : 0) + 4 * Le(dib + 32);
    std::vector<Rgb> out(w * h);
    for (std::uint32_t i = 0, x = 0; i < w * h; x = ++i % w) {
        const std::uint8_t* p = rows + (h - 1 - i / w) * ((w * bits + 31) / 32 * 4);
        const std::uint32_t v = bits == 16 ? Le(p + 2 * x, 2) : 0;
        for (std::uint32_t k = 0; k < 3; ++k) {  // 16 bits: each level rounded back to 8 bits
            const std::uint32_t mask = bits == 16 ? Le(table + 4 * k) : 1, low = mask & (0u - mask);
            out[i][k] = bits == 24  ? p[3 * x + 2 - k]
                        : bits == 8 ? table[4 * p[x] + 2 - k]
                                    : U8(((v & mask) / low * 255 + mask / low / 2) / (mask / low));
        }
    }
    return out;
}

inline ImagePtr CaptureAll(const Snapshot& s) {
    return ImagePtr(CreateImageFromPixels(s.View(), 0, 0, s.width, s.height));
}

// To a colour variant: 24, 565, 555 or 8 bits.
inline bool Convert(Image* image, int depth) {
    if (depth == 8) return ReduceTo256Colours(image);
    return depth == 24 ? ConvertTo24Bit(image)
                       : ConvertTo16Bit(image, depth == 565 ? kMasks565 : kMasks555);
}

// Peak signal to noise in dB: infinite for equal pictures, -infinite for sizes that differ.
inline double Psnr(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    double sum = a.size() == b.size() ? 0 : HUGE_VAL;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()) * 3; ++i)
        sum += std::pow(a[i / 3][i % 3] - b[i / 3][i % 3], 2);
    return sum ? 10 * std::log10(255.0 * 255 * 3 * static_cast<double>(a.size()) / sum) : HUGE_VAL;
}

// Every size from 1x1 to 11x11 and long thin strips: all row paddings and odd widths.
inline std::vector<std::array<int, 2>> RoundTripSizes() {
    std::vector<std::array<int, 2>> sizes{{1, 17}, {17, 1}, {1, 64}, {64, 1}, {1, 333}, {333, 1}};
    for (int n = 0; n < 121; ++n) sizes.push_back({n / 11 + 1, n % 11 + 1});
    return sizes;
}

}  // namespace mrv::imaging::test
