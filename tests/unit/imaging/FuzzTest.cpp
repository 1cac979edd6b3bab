// Random sizes, rectangles and pixels through every conversion and writer. Run
// under the sanitizers natively, this is where out-of-bounds access and size
// arithmetic faults show.
#include <gtest/gtest.h>

#include "imaging/PngEncoder.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed | 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1));
    }

private:
    std::uint32_t state_;
};

class CountingSink final : public ByteSink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) checksum = checksum * 31 + data[i];
        count += size;
        return true;
    }
    std::size_t count = 0;
    std::uint32_t checksum = 0;
};

TEST(Fuzz, RandomPicturesThroughEveryConversionAndWriter) {
    Random rng(20240611);
    const std::vector<PngPlan> plans = CandidatePlans();
    for (int round = 0; round < 250; ++round) {
        const int w = rng.Range(1, 70);
        const int h = rng.Range(1, 70);
        const std::uint32_t colours = static_cast<std::uint32_t>(rng.Range(1, 3)) == 1
                                          ? static_cast<std::uint32_t>(rng.Range(1, 300))
                                          : 1u << 24;
        const test::Snapshot s = test::Noise(w, h, rng.Next(), colours);

        // A 24-bit source half of the time, cut with a rectangle that is
        // sometimes out of bounds.
        ImagePtr source = test::CaptureAll(s);
        ASSERT_TRUE(source);
        const PixelView view = rng.Range(0, 1) ? s.View() : GetBgrView(source.get());
        int left = rng.Range(-3, w);
        int top = rng.Range(-3, h);
        int cw = rng.Range(-2, w + 2);
        int ch = rng.Range(-2, h + 2);
        const bool inside =
            left >= 0 && top >= 0 && cw > 0 && ch > 0 && left + cw <= w && top + ch <= h;
        ImagePtr image(CreateImageFromPixels(view, left, top, cw, ch));
        ASSERT_EQ(static_cast<bool>(image), inside) << left << "," << top << " " << cw << "x" << ch;
        if (!image) continue;

        const int steps = rng.Range(0, 3);
        for (int i = 0; i < steps; ++i) {
            switch (rng.Range(0, 3)) {
                case 0:
                    ASSERT_TRUE(ConvertTo24Bit(image.get()));
                    break;
                case 1:
                    ASSERT_TRUE(
                        ConvertTo16Bit(image.get(), rng.Range(0, 1) ? kMasks565 : kMasks555));
                    break;
                default:
                    ASSERT_TRUE(ReduceTo256Colours(image.get()));
                    break;
            }
            const DibDescriptor* d = GetDibDescriptor(image.get());
            const ImageInfo info = GetImageInfo(image.get());
            const int stride = (cw * info.bitCount + 31) / 32 * 4;
            ASSERT_EQ(d->pixelSize, stride * ch);
            ASSERT_EQ(d->headerSize, 40 + (info.bitCount == 16 ? 12 : 0) + 4 * info.paletteSize);
        }

        CountingSink bmp;
        ASSERT_TRUE(WriteBmp(image.get(), bmp));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        ASSERT_EQ(bmp.count, static_cast<std::size_t>(14 + d->headerSize + d->pixelSize));

        PngOptions options;
        options.threads = rng.Range(1, 3);
        options.filter = static_cast<PngFilter>(rng.Range(0, 2));
        CountingSink png;
        ASSERT_TRUE(WritePng(image.get(), png, options));
        if (GetImageInfo(image.get()).bitCount == 24) {
            CountingSink planned;
            ASSERT_TRUE(EncodeTruecolourPng(GetBgrView(image.get()),
                                            plans[static_cast<std::size_t>(rng.Range(0, 3))], 1,
                                            planned));
        }
#if __has_include("imaging/JpegWriter.h")
        CountingSink jpeg;
        ASSERT_TRUE(WriteJpeg(image.get(), rng.Range(-5, 105), jpeg));
#endif
        // The same input gives the same PNG.
        CountingSink again;
        ASSERT_TRUE(WritePng(image.get(), again, options));
        ASSERT_EQ(again.checksum, png.checksum);
    }
}

}  // namespace
}  // namespace mrv::imaging
