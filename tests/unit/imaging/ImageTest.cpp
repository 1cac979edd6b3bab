// The image library: record, conversions, file names, writers, and random
// pictures through all of them (under the sanitizers natively).
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "imaging/PngEncoder.h"
#include "imaging/PngFilters.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

using namespace test;

TEST(CreateImage, WritesAFullHeaderAndRefusesEmptyNegativeOrOutsideRectangles) {
    const Snapshot s = Noise(20, 10, 2);
    ImagePtr image(CreateImageFromPixels(s.View(), 2, 1, 5, 4));
    ASSERT_TRUE(image);
    const DibDescriptor* d = GetDibDescriptor(image.get());
    // 15 bytes a row padded with zero to 16; a positive height (bottom-up), 96 dpi.
    const std::uint32_t header[] = {40, 5, 4, 24u << 16 | 1, 0, 64, 3780, 3780, 0, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Le(d->dib + 4 * i), header[i]) << "field " << i;
    EXPECT_EQ(std::make_pair(d->headerSize, d->pixelSize), std::make_pair(40, 64));
    for (int row = 0; row < 4; ++row) EXPECT_EQ(d->dib[40 + row * 16 + 15], 0) << row;

    const int refused[][4] = {{0, 0, 0, 5},       {0, 0, 5, -1},      {-1, 0, 5, 5},
                              {0, -1, 5, 5},      {16, 0, 5, 5},      {0, 6, 5, 5},
                              {INT_MAX, 0, 5, 5}, {5, 0, INT_MAX, 1}, {0, 0, INT_MIN, 1}};
    for (const auto& r : refused)
        EXPECT_EQ(CreateImageFromPixels(s.View(), r[0], r[1], r[2], r[3]), nullptr)
            << r[0] << "," << r[1] << " " << r[2] << "x" << r[3];
    EXPECT_TRUE(ImagePtr(CreateImageFromPixels(s.View(), 19, 9, 1, 1))) << "the last pixel";
    // Rows that overlap, no pixels, and far more than the buffer holds (the DIB size limit
    // must refuse it before any read).
    for (const PixelView& bad :
         {PixelView{s.View().data, 20, 10, 79, PixelFormat::kBgrx32},
          PixelView{nullptr, 20, 10, 80, PixelFormat::kBgrx32},
          PixelView{s.View().data, 50000, 50000, 200000, PixelFormat::kBgrx32}})
        EXPECT_EQ(CreateImageFromPixels(bad, 0, 0, bad.width, bad.height), nullptr) << bad.width;
}

TEST(ConvertTo16Bit, StoresTheMasksAndTheNearestLevelOfEachChannel) {
    Snapshot ramp(256, 1);  // red rises, green falls, blue rises at half the pace
    for (int v = 0; v < 256; ++v) ramp.Set(v, {U8(v), U8(255 - v), U8(v / 2)});
    const std::vector<Rgb> want = ramp.Pixels();
    for (const auto& masks : {kMasks565, kMasks555}) {
        ImagePtr image = CaptureAll(ramp);
        const DibDescriptor* d = GetDibDescriptor(image.get());
        ASSERT_TRUE(ConvertTo16Bit(image.get(), masks));
        ASSERT_EQ(GetDibDescriptor(image.get()), d) << "the descriptor keeps its address";
        EXPECT_EQ(Le(d->dib + 14, 2) << 16 | Le(d->dib + 16), 16u << 16 | 3);  // bit fields
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(Le(d->dib + 40 + 4 * k), masks[k]);
            const std::uint32_t low = masks[k] & (0u - masks[k]), max = masks[k] / low;
            for (int v = 0; v < 256; ++v) {
                const double level = (Le(d->dib + 52 + 2 * v, 2) & masks[k]) / low;
                ASSERT_LE(std::abs(level * 255 / max - want[v][k]), 255.0 / max / 2)
                    << "channel " << k << " pixel " << v;
            }
        }
    }
    // Overlapping, empty, in two runs, above 16 bits, 9 bits wide: refused, image kept.
    const std::uint32_t bad[] = {0xF800, 0x0FE0,   0x1F,   0xF800, 0x07E0, 0,    0xF800, 0x05E0,
                                 0x1F,   0x1F0000, 0x07E0, 0x1F,   0xFF80, 0x60, 0x1F};
    ImagePtr image = CaptureAll(ramp);
    for (int i = 0; i < 15; i += 3)
        EXPECT_FALSE(ConvertTo16Bit(image.get(), {bad[i], bad[i + 1], bad[i + 2]})) << i / 3;
    EXPECT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), want);
}

TEST(ReduceTo256Colours, ExactUpTo256ColoursElseCloseAndAlwaysRepeatableUsingEveryEntry) {
    // Then 4096 smooth colours, 257 colours, and 257 each met only at a row's start.
    std::vector<Snapshot> pictures{Noise(40, 30, 1, 1),   Noise(40, 30, 3, 3),
                                   Noise(40, 30, 4, 256), Snapshot(64, 64),
                                   Noise(50, 50, 9, 257), Snapshot(3, 257)};
    for (int i = 0; i < 64 * 64; ++i) pictures[3].Set(i, {U8(i % 64 * 4), U8(i / 64 * 4), 128});
    for (int i = 0; i < 3 * 257; ++i) pictures[5].Set(i, {U8(i / 3), U8(i / 6), 7});
    for (const Snapshot& s : pictures) {
        ImagePtr image = CaptureAll(s), twin = CaptureAll(s);
        ASSERT_TRUE(ReduceTo256Colours(image.get()) && ReduceTo256Colours(twin.get()));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        const int stride = (s.width + 3) / 4 * 4, size = d->headerSize + d->pixelSize;
        EXPECT_TRUE(std::equal(d->dib, d->dib + size, GetDibDescriptor(twin.get())->dib));
        std::set<int> used;
        for (int i = 0; i < s.width * s.height; ++i)
            used.insert(d->dib[d->headerSize + i / s.width * stride + i % s.width]);
        const std::vector<Rgb> want = s.Pixels();
        const std::size_t distinct = std::set<Rgb>(want.begin(), want.end()).size();
        EXPECT_EQ(used.size(), std::min<std::size_t>(distinct, 256));
        EXPECT_EQ(GetImageInfo(image.get()).paletteSize, static_cast<int>(used.size()));
        EXPECT_GE(Psnr(ReadDib(d->dib), want), distinct > 256 ? 33.0 : HUGE_VAL) << distinct;
    }
}

// Split over threads, the reduction gives the single-threaded DIB to the byte:
// colours met only in later strips (8-row bands of 32 colours each: 256, then
// 288), thousands of colours, a single row, and over 64K colours in cells.
TEST(ReduceTo256Colours, ThreadsNeverChangeABit) {
    const auto bands = [](int rows, std::uint32_t seed) {
        Snapshot s(40, rows);
        for (std::uint32_t i = 0, state = seed; i < 40u * rows; ++i) {
            state = state * 1664525u + 1013904223u;
            const std::uint32_t c = (i / 320 * 32 + (state >> 27) + 1) * 0x9E3779B1u >> 8;
            s.Set(static_cast<int>(i), {U8(c >> 16), U8(c >> 8), U8(c)});
        }
        return s;
    };
    Snapshot cells(300, 222);
    for (std::uint32_t i = 0; i < 300 * 222; ++i) {
        const std::uint32_t j = i * 7919 % (300 * 222), cell = j >> 6;
        cells.Set(static_cast<int>(i),
                  {U8((cell & 63) << 2 | (j >> 4 & 3)), U8((cell >> 6) << 2 | (j >> 2 & 3)),
                   U8((cell * 29 & 63) << 2 | (j & 3))});
    }
    const Snapshot pictures[] = {bands(64, 1), bands(72, 2), Noise(61, 47, 7, 5000),
                                 Noise(700, 1, 3, 3000), cells};
    for (const Snapshot& s : pictures) {
        ImagePtr single = CaptureAll(s);
        ASSERT_TRUE(ReduceTo256Colours(single.get(), 1));
        const DibDescriptor* want = GetDibDescriptor(single.get());
        const std::vector<std::uint8_t> bytes(want->dib,
                                              want->dib + want->headerSize + want->pixelSize);
        for (int threads : {3, 8}) {
            ImagePtr image = CaptureAll(s);
            ASSERT_TRUE(ReduceTo256Colours(image.get(), threads));
            const DibDescriptor* d = GetDibDescriptor(image.get());
            EXPECT_EQ(std::vector<std::uint8_t>(d->dib, d->dib + d->headerSize + d->pixelSize),
                      bytes)
                << s.width << "x" << s.height << " on " << threads << " threads";
        }
    }
}

// Tight clusters of 18 colours: now and then the quantiser drops an entry no
// pixel maps to (seeds 18, 45, 93), and the indices behind it must move down.
TEST(ReduceTo256Colours, DroppedEntriesRenumberTheIndices) {
    int dropped = 0;
    for (const std::uint32_t seed : {1, 2, 3, 4, 5, 6, 7, 8, 18, 45, 93}) {
        std::mt19937 rng(seed);
        const auto level = [&rng](int lo, int hi) { return lo + int(rng() % (hi - lo + 1u)); };
        std::array<Rgb, 18> centres;
        for (Rgb& c : centres) c = {U8(level(5, 250)), U8(level(5, 250)), U8(level(5, 250))};
        Snapshot s(35, 25);
        for (int i = 0; i < 35 * 25; ++i) {
            const Rgb& c = centres[rng() % centres.size()];
            s.Set(i, {U8(c[0] + level(-5, 5)), U8(c[1] + level(-5, 5)), U8(c[2] + level(-5, 5))});
        }
        ImagePtr image = CaptureAll(s);
        ASSERT_TRUE(ReduceTo256Colours(image.get()));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        const int entries = GetImageInfo(image.get()).paletteSize;
        dropped += entries < 256;
        for (int i = 0; i < 35 * 25; ++i)
            ASSERT_LT(d->dib[d->headerSize + i / 35 * 36 + i % 35], entries) << "seed " << seed;
        EXPECT_GE(Psnr(ReadDib(d->dib), s.Pixels()), 40.0) << "seed " << seed;
    }
    EXPECT_GT(dropped, 0) << "no picture here drops an entry any more: pick others";
}

TEST(ClassifyFileName, ByTheLastExtensionIgnoringCaseOthersZero) {
    const std::vector<std::vector<const char*>> namesByType = {
        {"img", "img.", "i.pngx", "i.gif", "i.png.txt", "d.png\\f", "d.png/f", ""},
        {"a.bmp", "A.BMP", "x.Dib"},
        {"p.jpg", "p.JPEG", "p.jpe", "p.jfif", "a.tar.jpg"},
        {".png", "C:\\s\\i.png"}};
    for (int type = 0; type < 4; ++type)
        for (const std::string name : namesByType[static_cast<std::size_t>(type)]) {
            EXPECT_EQ(static_cast<int>(ClassifyFileName(name)), type) << name;
            const std::wstring wide(name.begin(), name.end());
            EXPECT_EQ(static_cast<int>(ClassifyFileName(wide)), type) << name;
        }
    EXPECT_EQ(ClassifyFileName(std::wstring_view(L"\u753b\u50cf.PNG")), FileType::kPng);
}

TEST(WriteBmp, FramesTheDibAndRoundTripsEverySizeAndDepth) {
    for (auto [w, h] : RoundTripSizes()) {
        const Snapshot s = Noise(w, h, w * 31 + h, 200);
        for (int depth : {24, 565, 555, 8}) {
            ImagePtr image = CaptureAll(s);
            VectorSink file;
            ASSERT_TRUE(Convert(image.get(), depth) && WriteBmp(image.get(), file));
            const std::uint8_t* b = file.bytes.data();
            const DibDescriptor* d = GetDibDescriptor(image.get());
            const auto size = static_cast<std::uint32_t>(file.bytes.size());
            ASSERT_EQ(size, 14u + d->headerSize + d->pixelSize);
            ASSERT_EQ((std::array{Le(b, 2), Le(b + 2), Le(b + 6), Le(b + 10)}),
                      (std::array{0x4D42u, size, 0u, 14u + d->headerSize}));
            // 16 bits: within half a level; else exact.
            ASSERT_GE(Psnr(ReadDib(b + 14), s.Pixels()), depth > 100 ? 36.0 : HUGE_VAL)
                << w << "x" << h << " at " << depth;
        }
    }
}

// Rows where Paeth ties (a left, b above, c above left, p = a - c): b = c - p/2
// ties b with the estimate, where a must win; b = c - 2p, where b beats c.
// Every byte is the predictor's choice, so the Paeth row is zero on every tie,
// through the 16-byte blocks and the bytes left over.
TEST(PngRowFilter, PaethTiesGoToTheLeftThenToTheAbove) {
    enum Step { kPlain, kLeftWins, kAboveWins };
    const std::vector<Step> cycles[3] = {{kPlain, kLeftWins, kLeftWins, kAboveWins},
                                         {kPlain, kLeftWins, kAboveWins},
                                         {kPlain, kAboveWins, kPlain, kLeftWins, kAboveWins}};
    constexpr int kPixels = 23;  // 69 bytes: four blocks and 5 bytes more
    std::vector<std::uint8_t> above(3 + 3 * kPixels), row(3 + 3 * kPixels), want(3 * kPixels);
    int ties = 0;
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < kPixels; ++j) {
            const std::size_t i = 3 + 3 * std::size_t(j) + std::size_t(k);
            const int a = row[i - 3], c = above[i - 3], p = a - c;
            const Step step = cycles[k][std::size_t(j) % cycles[k].size()];
            ASSERT_EQ(step == kPlain, p == 0) << "channel " << k << " pixel " << j;
            const int b = step == kPlain ? 110 + 5 * k : step == kLeftWins ? c - p / 2 : c - 2 * p;
            ASSERT_TRUE(b >= 0 && b < 256 && (step != kLeftWins || p % 2 == 0));
            above[i] = U8(b);
            row[i] = U8(step == kLeftWins ? a : b + (step == kPlain ? 4 << k : 0));
            want[i - 3] = step == kPlain ? U8(4 << k) : 0;
            ties += step != kPlain;
        }
    ASSERT_GT(ties, 30);
    RowFilter filter(3 * kPixels);
    ASSERT_TRUE(filter.Allocate());
    const std::uint8_t* out = filter.Adaptive(row.data() + 3, above.data() + 3);
    EXPECT_EQ(out[0], kFilterPaeth);
    EXPECT_EQ(std::vector<std::uint8_t>(out + 1, out + 1 + want.size()), want);
}

// Refuses its `refuse`-th write (from 0) and takes the others, counting them.
struct FailingSink final : ByteSink {
    explicit FailingSink(int k) : refuse(k) {}
    bool Write(const std::uint8_t*, std::size_t) override { return calls++ != refuse; }
    int refuse, calls = 0;
};

TEST(Writers, FailWhenTheSinkRefusesOrTheImageIsNull) {
    ImagePtr full = CaptureAll(Noise(40, 30, 3)), indexed = CaptureAll(Noise(40, 30, 3));
    ASSERT_TRUE(ReduceTo256Colours(indexed.get()));
    const std::vector<PngPlan> plans = CandidatePlans();
    // BMP, JPEG, PNG of the full and indexed images, then PNG by every plan.
    const auto write = [&](std::size_t i, ByteSink& k) {
        return i == 0   ? WriteBmp(full.get(), k)
               : i == 1 ? WriteJpeg(full.get(), 80, k)
               : i < 4  ? WritePng((i == 2 ? full : indexed).get(), k)
                        : EncodeTruecolourPng(GetBgrView(full.get()), plans[i - 4], 1, k);
    };
    for (std::size_t i = 0; i < 4 + plans.size(); ++i) {
        FailingSink all(-1);
        ASSERT_TRUE(write(i, all)) << i;
        for (int k = 0; k < all.calls; ++k) {
            FailingSink sink(k);
            EXPECT_FALSE(write(i, sink)) << "writer " << i << " refused at write " << k;
        }
    }
    VectorSink sink;
    EXPECT_FALSE(WriteBmp(nullptr, sink) || WritePng(nullptr, sink) || WriteJpeg(nullptr, 1, sink));
    EXPECT_FALSE(ConvertTo24Bit(nullptr) || Convert(nullptr, 565) || Convert(nullptr, 8));
}

TEST(Fuzz, RandomPicturesThroughEveryCutConversionAndWriter) {
    std::mt19937 rng(20240611);
    const auto range = [&rng](int lo, int hi) { return lo + int(rng() % (hi - lo + 1u)); };
    for (int round = 0; round < 150; ++round) {
        const int w = range(1, 70), h = range(1, 70), n = range(0, 2) ? 1 << 24 : range(1, 300);
        const Snapshot s = Noise(w, h, rng(), static_cast<std::uint32_t>(n));  // n colours
        // From the snapshot or a 24-bit image's view, by a rectangle that may reach outside.
        ImagePtr source = CaptureAll(s);
        const PixelView view = range(0, 1) ? s.View() : GetBgrView(source.get());
        const int x = range(-1, w - 1), cw = range(0, w - x + 1);
        const int y = range(-1, h - 1), ch = range(0, h - y + 1);
        ImagePtr image(CreateImageFromPixels(view, x, y, cw, ch));
        ASSERT_EQ(!!image, x >= 0 && y >= 0 && cw > 0 && ch > 0 && x + cw <= w && y + ch <= h);
        if (!image) continue;
        std::vector<Rgb> shown = s.Pixels(x, y, cw, ch);
        ASSERT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), shown);
        for (int steps = range(0, 3), last = 24; steps > 0; --steps) {
            const int depth = std::array{24, 565, 555, 8}[static_cast<std::size_t>(range(0, 3))];
            // Back to 24 bits, to the depth it has, or to 8 bits with few colours: no change.
            const std::size_t colours = std::set<Rgb>(shown.begin(), shown.end()).size();
            const bool exact = depth == 24 || depth == last || (depth == 8 && colours <= 256);
            ASSERT_TRUE(Convert(image.get(), depth));
            const ImageInfo info = GetImageInfo(image.get());
            const DibDescriptor* d = GetDibDescriptor(image.get());
            const int bits = depth > 100 ? 16 : depth, stride = (cw * bits + 31) / 32 * 4;
            ASSERT_EQ((std::array{info.width, info.height, info.bitCount, d->pixelSize}),
                      (std::array{cw, ch, bits, stride * ch}));
            ASSERT_EQ(d->headerSize, 40 + (bits == 16 ? 12 : 4 * info.paletteSize));
            const std::vector<Rgb> now = ReadDib(d->dib);
            ASSERT_EQ(exact ? now : shown, shown) << last << " to " << depth;
            shown = now;
            last = depth;
        }
        const PngOptions options{static_cast<PngFilter>(range(0, 2)), range(1, 3)};
        VectorSink bmp, png, again, jpeg;
        ASSERT_TRUE(WriteBmp(image.get(), bmp) && WritePng(image.get(), png, options) &&
                    WritePng(image.get(), again, options) &&
                    WriteJpeg(image.get(), range(-5, 105), jpeg));
        ASSERT_EQ(png.bytes, again.bytes) << "the same image gives the same PNG";
    }
}

}  // namespace
}  // namespace mrv::imaging
