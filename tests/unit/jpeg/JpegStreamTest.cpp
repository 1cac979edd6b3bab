// The file WriteJpeg produces, without an outside decoder: markers and
// header fields, sampling by quality, the input layouts, and failures.
#include <gtest/gtest.h>

#include <cstring>

#include "JpegTestSupport.h"
#include "imaging/JpegWriter.h"

namespace mrv::imaging::jpegtest {
namespace {

TEST(JpegStream, HeaderIsBaselineJfifAt96DpiWithThreeComponents) {
    const Bytes file = EncodeToBytes(WavePicture(37, 21).View(), 80);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[file.size() - 2], 0xFF);  // EOI
    EXPECT_EQ(file[file.size() - 1], 0xD9);

    const auto segments = HeaderSegments(file);
    std::vector<int> markers;
    for (const Segment& s : segments) markers.push_back(s.marker);
    ASSERT_EQ(markers, (std::vector<int>{0xE0, 0xDB, 0xC0, 0xC4, 0xDA}));
    EXPECT_EQ(segments[0].body, (Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 96, 0, 96, 0, 0}));
    EXPECT_EQ(segments[1].body.size(), 130u);  // two 8-bit tables
    EXPECT_EQ(segments[2].body, (Bytes{8, 0, 21, 0, 37, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
    EXPECT_EQ(segments[4].body, (Bytes{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
}

TEST(JpegStream, ChromaIsHalvedBelowQuality90AndQualityIsClampedTo1To100) {
    const Picture pic = WavePicture(24, 16, true);
    auto lumaSampling = [&](int quality) {
        const auto segments = HeaderSegments(EncodeToBytes(pic.View(), quality));
        return segments.size() > 2 ? int{segments[2].body[7]} : -1;
    };
    for (int q : {-20, 0, 1, 50, 89}) EXPECT_EQ(lumaSampling(q), 0x22) << q;
    for (int q : {90, 95, 100, 250}) EXPECT_EQ(lumaSampling(q), 0x11) << q;

    EXPECT_EQ(EncodeToBytes(pic.View(), 0), EncodeToBytes(pic.View(), 1));
    EXPECT_EQ(EncodeToBytes(pic.View(), -7), EncodeToBytes(pic.View(), 1));
    EXPECT_EQ(EncodeToBytes(pic.View(), 101), EncodeToBytes(pic.View(), 100));
    EXPECT_NE(EncodeToBytes(pic.View(), 2), EncodeToBytes(pic.View(), 1));
}

TEST(JpegStream, BottomUpRowsAndFourBytePixelsGiveTheSameFile) {
    const int w = 45, h = 27;
    const Picture pic = WavePicture(w, h, true);
    // Bottom-up 24-bit with rows padded to 4 bytes, as in a DIB; 32-bit
    // top-down and bottom-up with junk in the unused byte.
    const int dibStride = (w * 3 + 3) & ~3;
    Bytes dib(static_cast<std::size_t>(dibStride) * h, 0xCD);
    Bytes down(static_cast<std::size_t>(w) * h * 4), up(down.size());
    for (int y = 0; y < h; ++y) {
        std::memcpy(&dib[static_cast<std::size_t>(h - 1 - y) * dibStride], pic.At(0, y), w * 3);
        for (int x = 0; x < w; ++x) {
            std::uint8_t* d = &down[(static_cast<std::size_t>(y) * w + x) * 4];
            std::memcpy(d, pic.At(x, y), 3);
            d[3] = static_cast<std::uint8_t>(x * 37 + y);
            std::memcpy(&up[(static_cast<std::size_t>(h - 1 - y) * w + x) * 4], d, 4);
        }
    }
    const std::size_t last = static_cast<std::size_t>(h - 1);
    const PixelView views[] = {
        {dib.data() + last * dibStride, w, h, -dibStride, PixelFormat::kBgr24},
        {down.data(), w, h, w * 4, PixelFormat::kBgrx32},
        {up.data() + last * w * 4, w, h, -w * 4, PixelFormat::kBgrx32},
    };
    for (int quality : {70, 92}) {
        const Bytes expected = EncodeToBytes(pic.View(), quality);
        ASSERT_FALSE(expected.empty());
        for (const PixelView& v : views) EXPECT_EQ(EncodeToBytes(v, quality), expected);
    }
}

class CountingSink final : public ByteSink {
public:
    explicit CountingSink(int acceptCalls) : accept(acceptCalls) {}
    [[nodiscard]] bool Write(const std::uint8_t*, std::size_t) override {
        return ++calls <= accept;
    }
    int accept;
    int calls = 0;
};

TEST(JpegStream, RefusingSinkMakesTheWriterFailAndStopWriting) {
    const Picture pic = WavePicture(400, 300, true);
    CountingSink all(1 << 30);
    ASSERT_TRUE(WriteJpeg(pic.View(), 100, all));
    ASSERT_GE(all.calls, 3);  // the file goes out in several pieces
    for (int accept = 0; accept < all.calls; ++accept) {
        CountingSink sink(accept);
        EXPECT_FALSE(WriteJpeg(pic.View(), 100, sink)) << accept;
        EXPECT_EQ(sink.calls, accept + 1) << "wrote on after a refusal";
    }
}

TEST(JpegStream, RejectsViewsItCannotReadAndWritesNothing) {
    Bytes pixels(16 * 16 * 4, 0x80);
    const PixelView good{pixels.data(), 16, 16, 16 * 3, PixelFormat::kBgr24};
    CountingSink ok(1 << 30);
    EXPECT_TRUE(WriteJpeg(good, 80, ok));

    std::vector<PixelView> bad(8, good);
    bad[0].data = nullptr;
    bad[1].width = 0;
    bad[2].height = -3;
    bad[3].stride = 16 * 3 - 1;  // rows would overlap
    bad[4].stride = -(16 * 3 - 1);
    bad[5].format = PixelFormat::kBgrx32;  // 4 bytes a pixel need a wider stride
    bad[6].format = static_cast<PixelFormat>(7);
    bad[7].width = 65536;  // more than SOF0 can state
    bad[7].stride = 65536 * 3;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        CountingSink sink(1 << 30);
        EXPECT_FALSE(WriteJpeg(bad[i], 80, sink)) << i;
        EXPECT_EQ(sink.calls, 0) << i;
    }
}

}  // namespace
}  // namespace mrv::imaging::jpegtest
