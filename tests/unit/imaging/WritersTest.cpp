// File layouts of the writers, BMP round trips, and failing sinks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "imaging/PngEncoder.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

using test::CaptureAll;
using test::Le16;
using test::Le32;
using test::Pixels;
using test::ReadDib;
using test::Rgb;
using test::Snapshot;

std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Converts an image to a colour variant: 24, 565, 555 or 8 bits.
bool Convert(Image* image, int depth) {
    switch (depth) {
        case 565:
            return ConvertTo16Bit(image, kMasks565);
        case 555:
            return ConvertTo16Bit(image, kMasks555);
        case 8:
            return ReduceTo256Colours(image);
        default:
            return ConvertTo24Bit(image);
    }
}

TEST(WriteBmp, FramesTheDibWithAFileHeader) {
    for (int depth : {24, 565, 8}) {
        ImagePtr image = CaptureAll(test::LetterF(7, 5));
        ASSERT_TRUE(Convert(image.get(), depth));
        VectorSink sink;
        ASSERT_TRUE(WriteBmp(image.get(), sink));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        const std::size_t dibSize = static_cast<std::size_t>(d->headerSize + d->pixelSize);
        ASSERT_EQ(sink.bytes.size(), 14 + dibSize);
        EXPECT_EQ(sink.bytes[0], 'B');
        EXPECT_EQ(sink.bytes[1], 'M');
        EXPECT_EQ(Le32(&sink.bytes[2]), 14 + dibSize);
        EXPECT_EQ(Le32(&sink.bytes[6]), 0u);
        EXPECT_EQ(Le32(&sink.bytes[10]), static_cast<std::uint32_t>(14 + d->headerSize));
        EXPECT_EQ(std::memcmp(&sink.bytes[14], d->dib, dibSize), 0);
    }
}

// Every size from 1x1 to 11x11 plus long thin strips, so row padding and odd
// widths are all met.
std::vector<std::pair<int, int>> RoundTripSizes() {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 11; ++w)
        for (int h = 1; h <= 11; ++h) sizes.emplace_back(w, h);
    for (int n : {17, 64, 333}) {
        sizes.emplace_back(1, n);
        sizes.emplace_back(n, 1);
    }
    return sizes;
}

// What a 16-bit conversion should store, expanded back to 8 bits per channel.
Rgb Through16(Rgb c, bool sixGreen) {
    const auto q = [](int v, int bits) {
        const int max = (1 << bits) - 1;
        const int level = (v * max + 127) / 255;
        return static_cast<std::uint8_t>((level * 255 + max / 2) / max);
    };
    return Rgb{q(c.r, 5), q(c.g, sixGreen ? 6 : 5), q(c.b, 5)};
}

TEST(WriteBmp, RoundTripsEverySizeAndDepth) {
    for (auto [w, h] : RoundTripSizes()) {
        const Snapshot s = w * h > 16
                               ? test::Noise(w, h, static_cast<std::uint32_t>(w * 31 + h), 200)
                               : test::LetterF(w, h);
        for (int depth : {24, 565, 555, 8}) {
            ImagePtr image = CaptureAll(s);
            ASSERT_TRUE(Convert(image.get(), depth));
            VectorSink sink;
            ASSERT_TRUE(WriteBmp(image.get(), sink));
            int rw = 0, rh = 0;
            const std::vector<Rgb> got = ReadDib(sink.bytes.data() + 14, &rw, &rh);
            ASSERT_EQ(rw, w);
            ASSERT_EQ(rh, h);
            std::vector<Rgb> want = Pixels(s);
            if (depth == 565 || depth == 555) {
                for (Rgb& c : want) c = Through16(c, depth == 565);
            }
            ASSERT_EQ(got, want) << w << "x" << h << " at " << depth;
        }
    }
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG into chunks, checking the signature and every CRC.
std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& png) {
    static const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<Chunk> chunks;
    EXPECT_GE(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), kSignature, 8), 0);
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(&png[at]);
        if (at + 12 + length > png.size()) break;
        Chunk c;
        c.type.assign(reinterpret_cast<const char*>(&png[at + 4]), 4);
        c.data.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        const uLong crc = crc32(0, &png[at + 4], 4 + length);
        EXPECT_EQ(Be32(&png[at + 8 + length]), crc) << c.type;
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size()) << "nothing after IEND";
    return chunks;
}

TEST(WritePng, LaysOutChunksWithValidChecksums) {
    for (int depth : {24, 8}) {
        ImagePtr image = CaptureAll(test::LetterF(9, 6));
        ASSERT_TRUE(Convert(image.get(), depth));
        VectorSink sink;
        ASSERT_TRUE(WritePng(image.get(), sink));
        const std::vector<Chunk> chunks = Chunks(sink.bytes);
        std::vector<std::string> types;
        for (const Chunk& c : chunks) types.push_back(c.type);
        const std::vector<std::string> expected =
            depth == 8 ? std::vector<std::string>{"IHDR", "PLTE", "pHYs", "IDAT", "IEND"}
                       : std::vector<std::string>{"IHDR", "pHYs", "IDAT", "IEND"};
        ASSERT_EQ(types, expected);
        const std::vector<std::uint8_t>& ihdr = chunks[0].data;
        ASSERT_EQ(ihdr.size(), 13u);
        EXPECT_EQ(Be32(&ihdr[0]), 9u);
        EXPECT_EQ(Be32(&ihdr[4]), 6u);
        EXPECT_EQ(ihdr[8], 8);
        EXPECT_EQ(ihdr[9], depth == 8 ? 3 : 2);
        EXPECT_EQ(ihdr[10] | ihdr[11] | ihdr[12], 0);
        if (depth == 8) {
            EXPECT_EQ(chunks[1].data.size(), 3u * 3);  // green, red, blue
        }
        const std::vector<std::uint8_t>& phys = chunks[depth == 8 ? 2 : 1].data;
        ASSERT_EQ(phys.size(), 9u);
        EXPECT_EQ(Be32(&phys[0]), 3780u);
        EXPECT_EQ(Be32(&phys[4]), 3780u);
        EXPECT_EQ(phys[8], 1);
    }
}

// Every writer, every way of writing PNG, fails when the sink gives up.
TEST(Writers, FailWhenTheSinkRefuses) {
    const Snapshot s = test::Noise(40, 30, 3, 5000);
    ImagePtr full = CaptureAll(s);
    ImagePtr indexed = CaptureAll(s);
    ASSERT_TRUE(ReduceTo256Colours(indexed.get()));
    std::vector<std::function<bool(ByteSink&)>> writers = {
        [&](ByteSink& k) { return WriteBmp(full.get(), k); },
        [&](ByteSink& k) { return WritePng(full.get(), k); },
        [&](ByteSink& k) { return WritePng(indexed.get(), k); },
    };
    for (const PngPlan& plan : CandidatePlans()) {
        writers.push_back([&, plan](ByteSink& k) {
            return EncodeTruecolourPng(GetBgrView(full.get()), plan, 1, k);
        });
    }
#if __has_include("imaging/JpegWriter.h")
    writers.push_back([&](ByteSink& k) { return WriteJpeg(full.get(), 80, k); });
#endif
    for (std::size_t i = 0; i < writers.size(); ++i) {
        VectorSink whole;
        ASSERT_TRUE(writers[i](whole)) << i;
        const std::size_t n = whole.bytes.size();
        for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{20}, n / 2, n - 1}) {
            test::FailingSink failing(limit);
            EXPECT_FALSE(writers[i](failing)) << "writer " << i << " limit " << limit;
        }
        test::FailingSink enough(n);
        EXPECT_TRUE(writers[i](enough)) << i;
    }
}

}  // namespace
}  // namespace mrv::imaging
