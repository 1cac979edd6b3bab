// The file WriteJpeg produces, read back by the test reader: markers, tables,
// sampling, every block of every size, the input layouts, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "JpegTestSupport.h"
#include "imaging/JpegTables.h"
#include "imaging/JpegWriter.h"

namespace mrv::imaging::jpegtest {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(JpegStream, HeaderIsBaselineJfifWithBothTablesAndThreeComponents) {
    const Picture pic = SmoothPicture(37, 21);
    const Bytes file = EncodeToBytes(pic.View(), 80);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[file.size() - 2], 0xFF);
    EXPECT_EQ(file[file.size() - 1], 0xD9);

    const auto segments = HeaderSegments(file);
    std::vector<int> markers;
    for (const Segment& s : segments) markers.push_back(s.marker);
    EXPECT_EQ(markers, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xC0, 0xC4, 0xDA}));

    const Bytes app0 = {'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 96, 0, 96, 0, 0};
    EXPECT_EQ(FindSegment(segments, 0xE0)->body, app0);
    const Bytes& dqt = FindSegment(segments, 0xDB)->body;
    ASSERT_EQ(dqt.size(), 130u);  // two 8-bit tables
    EXPECT_EQ(dqt[0], 0);
    EXPECT_EQ(dqt[65], 1);
    const Bytes sof = {8, 0, 21, 0, 37, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    EXPECT_EQ(FindSegment(segments, 0xC0)->body, sof);
    const Bytes sos = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    EXPECT_EQ(FindSegment(segments, 0xDA)->body, sos);
}

TEST(JpegStream, ChromaIsHalvedBelowQuality90AndOutOfRangeQualitiesAreClamped) {
    const Picture pic = BusyPicture(24, 16, 3);
    auto lumaSampling = [&](int quality) {
        const auto segments = HeaderSegments(EncodeToBytes(pic.View(), quality));
        const Segment* sof = FindSegment(segments, 0xC0);
        return sof ? int{sof->body[7]} : -1;
    };
    for (int q : {-20, 0, 1, 50, 89}) EXPECT_EQ(lumaSampling(q), 0x22) << q;
    for (int q : {90, 95, 100, 250}) EXPECT_EQ(lumaSampling(q), 0x11) << q;

    EXPECT_EQ(EncodeToBytes(pic.View(), 0), EncodeToBytes(pic.View(), 1));
    EXPECT_EQ(EncodeToBytes(pic.View(), -7), EncodeToBytes(pic.View(), 1));
    EXPECT_EQ(EncodeToBytes(pic.View(), 101), EncodeToBytes(pic.View(), 100));
    EXPECT_NE(EncodeToBytes(pic.View(), 2), EncodeToBytes(pic.View(), 1));
}

TEST(JpegStream, QuantTablesAreStoredInZigzagOrder) {
    const Picture pic = SmoothPicture(8, 8);
    auto tables = [&](int quality) {
        return FindSegment(HeaderSegments(EncodeToBytes(pic.View(), quality)), 0xDB)->body;
    };
    // At 50 the base tables go in unscaled; the file order is zigzag.
    const Bytes q50 = tables(50);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(q50[1 + k], jpeg::kBaseLuminanceQuant[jpeg::kZigzag[k]]) << k;
        EXPECT_EQ(q50[66 + k], jpeg::kBaseChrominanceQuant[jpeg::kZigzag[k]]) << k;
    }
    EXPECT_EQ(q50[1 + 2], 12);  // third in zigzag: row 1, column 0
    // The extremes stay within 1..255.
    const Bytes q100 = tables(100), q1 = tables(1);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(q100[1 + k], 1);
        EXPECT_EQ(q100[66 + k], 1);
        EXPECT_EQ(q1[1 + k], 255);
        EXPECT_EQ(q1[66 + k], 255);
    }
}

// Every size from 1 x 1 up through the MCU boundaries: the scan holds exactly
// the blocks of the padded MCU grid, and each block's mean colour is that of
// the pixels it covers (padding repeats the last row and column).
TEST(JpegStream, EverySmallSizeDecodesToTheRightBlockColours) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 11; ++w) {
        for (int h = 1; h <= 11; ++h) sizes.push_back({w, h});
    }
    for (int n : {1, 7, 8, 9, 15, 16, 17, 33, 100}) {
        sizes.push_back({1, n});
        sizes.push_back({n, 1});
    }
    for (auto wh : {std::pair{17, 9}, {9, 17}, {31, 33}, {48, 16}, {65, 23}}) sizes.push_back(wh);

    for (auto [w, h] : sizes) {
        const Picture pic = SmoothPicture(w, h);
        for (int quality : {75, 100}) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h << " q" << quality);
            BlockDcs dcs;
            std::string error;
            ASSERT_TRUE(ReadBlockDcs(EncodeToBytes(pic.View(), quality), dcs, error)) << error;
            EXPECT_EQ(dcs.width, w);
            EXPECT_EQ(dcs.height, h);
            // Luma blocks that hold pixels: mean Y of the covered pixels,
            // edge-replicated to 8 x 8.
            const int lumaWide = (w + 7) / 8, lumaHigh = (h + 7) / 8;
            for (int by = 0; by < lumaHigh; ++by) {
                for (int bx = 0; bx < lumaWide; ++bx) {
                    double sum = 0;
                    for (int y = 0; y < 8; ++y) {
                        for (int x = 0; x < 8; ++x) {
                            const std::uint8_t* p =
                                pic.At(std::min(8 * bx + x, w - 1), std::min(8 * by + y, h - 1));
                            sum += 0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0];
                        }
                    }
                    const double got =
                        dcs.mean[0][static_cast<std::size_t>(by) * dcs.blocksWide[0] + bx];
                    EXPECT_NEAR(got, sum / 64, quality == 100 ? 1.0 : 3.0) << bx << "," << by;
                }
            }
        }
    }
}

TEST(JpegStream, FPictureKeepsItsOrientationAndColours) {
    const Picture pic = FPicture(64, 64);  // one cell = one 8 x 8 block
    for (int quality : {60, 95}) {
        BlockDcs dcs;
        std::string error;
        ASSERT_TRUE(ReadBlockDcs(EncodeToBytes(pic.View(), quality), dcs, error)) << error;
        const bool full = dcs.lumaSampling == 0x11;
        auto colour = [&](int cellX, int cellY, int c) {
            const int scale = c == 0 || full ? 1 : 2;
            return dcs.mean[c][static_cast<std::size_t>(cellY / scale) * dcs.blocksWide[c] +
                               cellX / scale];
        };
        // Red: Cr well above 128, Cb below. Blue: the other way round.
        auto isRed = [&](int x, int y) { return colour(x, y, 2) > 200 && colour(x, y, 1) < 110; };
        auto isBlue = [&](int x, int y) { return colour(x, y, 1) > 190 && colour(x, y, 2) < 128; };
        if (full) {
            EXPECT_TRUE(isRed(1, 1) && isRed(6, 1) && isRed(1, 6) && isRed(4, 3));
            EXPECT_TRUE(isBlue(6, 6) && isBlue(6, 3) && isBlue(0, 0) && isBlue(7, 7));
        } else {
            // 16 x 16 chroma: the top-left quarter is mostly red, the bottom
            // right one blue.
            EXPECT_GT(colour(2, 2, 2), colour(6, 6, 2) + 60);
            EXPECT_LT(colour(2, 2, 1), colour(6, 6, 1) - 60);
        }
        // Luma: the arm at the top runs right, the one in the middle is
        // shorter, the foot has none.
        EXPECT_NEAR(colour(5, 1, 0), colour(1, 1, 0), 6);
        EXPECT_GT(std::fabs(colour(5, 3, 0) - colour(4, 3, 0)), 10);
        EXPECT_GT(std::fabs(colour(3, 6, 0) - colour(2, 6, 0)), 10);
    }
}

TEST(JpegStream, BottomUpRowsAndFourBytePixelsGiveTheSameFile) {
    const Picture pic = BusyPicture(45, 27, 9);
    for (int quality : {70, 92}) {
        const Bytes expected = EncodeToBytes(pic.View(), quality);
        ASSERT_FALSE(expected.empty());

        // Bottom-up 24-bit, rows padded to 4 bytes as in a DIB.
        const int dibStride = (45 * 3 + 3) & ~3;
        std::vector<std::uint8_t> dib(static_cast<std::size_t>(dibStride) * 27, 0xCD);
        for (int y = 0; y < 27; ++y) {
            std::memcpy(&dib[static_cast<std::size_t>(26 - y) * dibStride], pic.At(0, y), 45 * 3);
        }
        PixelView bottomUp{dib.data() + static_cast<std::size_t>(26) * dibStride, 45, 27,
                           -dibStride, PixelFormat::kBgr24};
        EXPECT_EQ(EncodeToBytes(bottomUp, quality), expected);

        // 32-bit with junk in the unused byte, top-down and bottom-up.
        std::vector<std::uint8_t> down(static_cast<std::size_t>(45) * 27 * 4), up(down.size());
        for (int y = 0; y < 27; ++y) {
            for (int x = 0; x < 45; ++x) {
                std::uint8_t* d = &down[(static_cast<std::size_t>(y) * 45 + x) * 4];
                std::memcpy(d, pic.At(x, y), 3);
                d[3] = static_cast<std::uint8_t>(x * 37 + y);
                std::memcpy(&up[(static_cast<std::size_t>(26 - y) * 45 + x) * 4], d, 4);
            }
        }
        EXPECT_EQ(EncodeToBytes({down.data(), 45, 27, 45 * 4, PixelFormat::kBgrx32}, quality),
                  expected);
        EXPECT_EQ(EncodeToBytes({up.data() + 26 * 45 * 4, 45, 27, -45 * 4, PixelFormat::kBgrx32},
                                quality),
                  expected);
    }
}

class CountingSink final : public ByteSink {
public:
    explicit CountingSink(int acceptCalls) : accept(acceptCalls) {}
    [[nodiscard]] bool Write(const std::uint8_t*, std::size_t size) override {
        ++calls;
        if (calls > accept) return false;
        bytes += size;
        return true;
    }
    int accept;
    int calls = 0;
    std::size_t bytes = 0;
};

TEST(JpegStream, RefusingSinkMakesTheWriterFailAndStop) {
    const Picture pic = BusyPicture(400, 300, 5);
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
    std::vector<std::uint8_t> pixels(16 * 16 * 4, 0x80);
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
    bad[7].width = 65536;  // beyond what SOF0 can state
    bad[7].stride = 65536 * 3;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        CountingSink sink(1 << 30);
        EXPECT_FALSE(WriteJpeg(bad[i], 80, sink)) << i;
        EXPECT_EQ(sink.calls, 0) << i;
    }
}

}  // namespace
}  // namespace mrv::imaging::jpegtest
