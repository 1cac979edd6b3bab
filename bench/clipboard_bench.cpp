// What a copy of a 1920 x 1080 selection costs before the clipboard takes it:
// the cut out of the snapshot, the DIB block filled, and the PNG encoded
// beside it; for the full-colour copy (Ctrl+C) and the 256-colour one
// (Ctrl+Shift+C, with its reduction), over the "ui" picture of imaging_bench.
//
// Prints: RESULT clipboard.ms.1920x1080 <median milliseconds, full colour>
//         RESULT clipboard_reduced.ms.1920x1080 <median milliseconds, 256 colours>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchPictures.h"
#include "output/OutputImage.h"
#include "settings/Settings.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRuns = 7;

// One copy's work; the milliseconds it took, or a negative value on failure.
double TimeCopy(const mrv::imaging::PixelView& snapshot, int variant) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    mrv::OutputImage image;
    if (!image.Capture(snapshot, mrv::Rect::FromXYWH(0, 0, kWidth, kHeight))) return -1;
    if (variant >= 0 && !image.ConvertTo(variant)) return -1;
    // The DIB goes into a block of its own, as GlobalAlloc's.
    std::vector<std::uint8_t> block(static_cast<std::size_t>(image.DibSize()));
    std::memcpy(block.data(), image.DibInfo()->dib, block.size());
    std::vector<std::uint8_t> png;
    if (!image.EncodePng(&png)) return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(const mrv::imaging::PixelView& snapshot, int variant) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) times.push_back(TimeCopy(snapshot, variant));
    std::sort(times.begin(), times.end());
    return times.front() < 0 ? -1 : times[times.size() / 2];
}

}  // namespace

int main() {
    const mrv::bench::Picture picture = mrv::bench::MakePicture("ui", kWidth, kHeight);
    const double full = Median(picture.View(), -1);
    const double reduced = Median(picture.View(), mrv::kVariant8);
    if (full < 0 || reduced < 0) {
        std::fprintf(stderr, "a copy failed\n");
        return 1;
    }
    std::printf("RESULT clipboard.ms.1920x1080 %.1f\n", full);
    std::printf("RESULT clipboard_reduced.ms.1920x1080 %.1f\n", reduced);
    return 0;
}
