// Automatic range selection on a 3840 x 2160 snapshot, in its worst case:
// every pixel the four scans pass is an edge candidate whose across-line
// matches for 7 of its 8 pixels, so each step makes all 9 reads and no scan
// stops before the picture's border.
//
// Prints: RESULT autoselect.ms.3840x2160 <median milliseconds per selection>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/Geometry.h"
#include "imaging/PixelView.h"
#include "selection/AutoSelect.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kClickX = kWidth / 2;
constexpr int kClickY = kHeight / 2;
constexpr int kRuns = 400;

// Colour of (i, j), as 0x00RRGGBB.
//  - rows kClickY-4 .. kClickY+3 (the horizontal scans' across-lines): a
//    different colour in every column, so each pixel of the click's row is a
//    candidate; the last row of the band differs, so every line test fails on
//    its 8th read;
//  - columns kClickX-4 .. kClickX+3 likewise for the vertical scans;
//  - elsewhere a plain background.
std::uint32_t WorstCaseColour(int i, int j) {
    const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
    if (j >= kClickY - 4 && j <= kClickY + 3)
        return j == kClickY + 3 ? 0x800000u | u(i) : 0x100000u | u(i);
    if (i >= kClickX - 4 && i <= kClickX + 3)
        return i == kClickX + 3 ? 0xC00000u | u(j) : 0x400000u | u(j);
    return 0x00808080u;
}

}  // namespace

int main() {
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(kWidth) * kHeight * 4);
    for (int j = 0; j < kHeight; ++j) {
        for (int i = 0; i < kWidth; ++i) {
            const std::uint32_t c = WorstCaseColour(i, j);
            std::uint8_t* p = &bgrx[(static_cast<std::size_t>(j) * kWidth + i) * 4];
            p[0] = static_cast<std::uint8_t>(c);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c >> 16);
            p[3] = 0;
        }
    }
    mrv::imaging::PixelView view;
    view.data = bgrx.data();
    view.width = kWidth;
    view.height = kHeight;
    view.stride = static_cast<std::ptrdiff_t>(kWidth) * 4;
    view.format = mrv::imaging::PixelFormat::kBgrx32;

    // The worst case reaches every border; anything else means the picture
    // is not what it claims to be.
    const std::optional<mrv::Rect> first = mrv::AutoSelectRect(view, kClickX, kClickY);
    if (!first || *first != mrv::Rect{0, 0, kWidth, kHeight}) {
        std::fprintf(stderr, "unexpected selection\n");
        return 1;
    }

    std::vector<double> ms;
    ms.reserve(kRuns);
    long long checksum = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::optional<mrv::Rect> r = mrv::AutoSelectRect(view, kClickX, kClickY);
        const auto end = std::chrono::steady_clock::now();
        checksum += r ? r->right + r->bottom : 0;
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::fprintf(stderr, "runs %d, min %.4f ms, max %.4f ms, checksum %lld\n", kRuns, ms.front(),
                 ms.back(), checksum);
    std::printf("RESULT autoselect.ms.3840x2160 %.4f\n", ms[ms.size() / 2]);
    return 0;
}
