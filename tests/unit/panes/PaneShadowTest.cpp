// Drop shadow arithmetic: the word-at-a-time darkening against the per-byte
// rule, the two bands' pixel maps, strips smaller than their box, 24- and
// 32-bit pixels, and that no pixel is darkened by both bands.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "view/Draw.h"
#include "view/PaneShadow.h"

namespace mrv {
namespace {

std::uint8_t Apply(ShadeStep step, std::uint8_t b) {
    switch (step) {
        case ShadeStep::kHalf:
            return HalfShade(b);
        case ShadeStep::kThreeQuarter:
            return ThreeQuarterShade(b);
        default:
            return b;
    }
}

char Letter(ShadeStep step) {
    return step == ShadeStep::kHalf ? 'H' : step == ShadeStep::kThreeQuarter ? 'T' : '.';
}

TEST(ShadeRuns, WordFormEqualsThePerByteRuleAtEveryLengthAndAlignment) {
    EXPECT_EQ(HalfShade(0xFF), 0x7F);
    EXPECT_EQ(ThreeQuarterShade(0xFF), 0xC0);
    EXPECT_EQ(ThreeQuarterShade(3), 3);
    EXPECT_EQ(ThreeQuarterShade(4), 3);

    std::vector<std::uint8_t> all(256 + 16);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (int value = 0; value < 256; ++value) all[value] = static_cast<std::uint8_t>(value);

    for (std::size_t offset = 0; offset < 4; ++offset) {
        for (std::size_t count : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u, 13u, 256u}) {
            std::vector<std::uint8_t> half = all;
            std::vector<std::uint8_t> three = all;
            HalveRun(half.data() + offset, count);
            ThreeQuarterRun(three.data() + offset, count);
            for (std::size_t i = 0; i < all.size(); ++i) {
                const bool inRun = i >= offset && i < offset + count;
                ASSERT_EQ(half[i], inRun ? HalfShade(all[i]) : all[i]) << offset << "/" << count;
                ASSERT_EQ(three[i], inRun ? ThreeQuarterShade(all[i]) : all[i])
                    << offset << "/" << count;
            }
        }
    }
}

TEST(ShadeBands, PixelMapsOfBothBands) {
    // Box 9 wide: rows 0-2 start three-quarter, half up to w - 5, then leave
    // the last four columns to the right band; row 3 is the soft outer edge.
    std::string bottom;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 9; ++col) bottom += Letter(BottomBandStep(col, row, 9));
        bottom += '\n';
    }
    EXPECT_EQ(bottom,
              "THHHH....\n"
              "THHHH....\n"
              "THHHH....\n"
              ".TTTTTTT.\n");

    std::string right;
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 4; ++col) right += Letter(RightBandStep(col, row, 5));
        right += '\n';
    }
    EXPECT_EQ(right,
              "TTT.\n"
              "HHHT\n"
              "HHHT\n"
              "HHHT\n"
              "....\n");
}

TEST(ShadeBands, NoPixelIsDarkenedByBothBandsWhateverTheBoxSize) {
    // Bottom band pixel (c, r) sits at box (4 + c, h + r); right band pixel
    // (c, r) at (w + c, 4 + r). Where they overlap at most one may shade.
    for (int w = 1; w <= 12; ++w) {
        for (int h = 1; h <= 12; ++h) {
            for (int c = 0; c < w; ++c) {
                for (int r = 0; r < 4; ++r) {
                    const int px = 4 + c - w;  // column inside the right band
                    const int py = h + r - 4;  // row inside the right band
                    if (px < 0 || px >= 4 || py < 0 || py >= h) continue;
                    const bool both = BottomBandStep(c, r, w) != ShadeStep::kNone &&
                                      RightBandStep(px, py, h) != ShadeStep::kNone;
                    ASSERT_FALSE(both) << w << "x" << h << " at " << c << "," << r;
                }
            }
        }
    }
}

// A strip of random pixels with canary bytes around it; returns a view.
struct Strip {
    Strip(int w, int h, int bpp, bool bottomUp, std::uint32_t seed)
        : width(w), height(h), bytesPerPixel(bpp) {
        stride = DibStride(w, bpp * 8);
        bytes.resize(static_cast<std::size_t>(stride) * h + 2 * kCanary);
        std::mt19937 rng(seed);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        original = bytes;
        view.width = w;
        view.height = h;
        view.bytesPerPixel = bpp;
        std::uint8_t* first = bytes.data() + kCanary;
        if (bottomUp) {
            view.data = first + static_cast<std::ptrdiff_t>(h - 1) * stride;
            view.stride = -stride;
        } else {
            view.data = first;
            view.stride = stride;
        }
    }
    std::size_t Offset(int col, int row) const {
        return static_cast<std::size_t>((view.data - bytes.data()) + row * view.stride +
                                        col * bytesPerPixel);
    }
    static constexpr int kCanary = 16;
    int width, height, bytesPerPixel, stride;
    std::vector<std::uint8_t> bytes, original;
    ShadowPixels view;
};

template <typename StepOf>
void ExpectShaded(const Strip& s, int cols, int rows, StepOf stepOf) {
    std::vector<bool> touched(s.bytes.size());
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const std::size_t at = s.Offset(col, row);
            for (int k = 0; k < s.bytesPerPixel; ++k) {
                touched[at + k] = true;
                const std::uint8_t was = s.original[at + k];
                const std::uint8_t want = k == 3 ? was : Apply(stepOf(col, row), was);
                ASSERT_EQ(s.bytes[at + k], want) << col << "," << row << " byte " << k;
            }
        }
    }
    for (std::size_t i = 0; i < s.bytes.size(); ++i) {
        if (!touched[i]) {
            ASSERT_EQ(s.bytes[i], s.original[i]) << "byte " << i << " changed";
        }
    }
}

TEST(ShadeBands, StripsOf24And32BitsFollowThePerPixelRuleAndStayInside) {
    std::uint32_t seed = 1;
    for (int bpp : {3, 4}) {
        for (bool bottomUp : {false, true}) {
            for (int w : {1, 2, 4, 5, 6, 11, 40}) {
                Strip bottom(w, 4, bpp, bottomUp, seed++);
                ShadeBottomBand(bottom.view, w);
                ExpectShaded(bottom, w, 4, [w](int c, int r) { return BottomBandStep(c, r, w); });
            }
            for (int h : {1, 2, 3, 5, 30}) {
                Strip right(4, h, bpp, bottomUp, seed++);
                ShadeRightBand(right.view, h);
                ExpectShaded(right, 4, h, [h](int c, int r) { return RightBandStep(c, r, h); });
            }
        }
    }
}

TEST(ShadeBands, StripsSmallerThanTheBoxShadeOnlyWhatTheyHold) {
    // A 480-wide label strip under a 600-wide box: the first 480 columns get
    // the rule of the 600-wide box (so no soft end appears at 480).
    Strip bottom(480, 4, 3, true, 99);
    ShadeBottomBand(bottom.view, 600);
    ExpectShaded(bottom, 480, 4, [](int c, int r) { return BottomBandStep(c, r, 600); });

    Strip right(4, 320, 3, true, 98);
    ShadeRightBand(right.view, 400);
    ExpectShaded(right, 4, 320, [](int c, int r) { return RightBandStep(c, r, 400); });

    // A band view narrower than its strip (the painter passes the part it
    // copied): columns beyond the view stay untouched.
    Strip wide(40, 4, 3, false, 97);
    ShadowPixels part = wide.view;
    part.width = 10;
    ShadeBottomBand(part, 10);
    ExpectShaded(wide, 10, 4, [](int c, int r) { return BottomBandStep(c, r, 10); });
}

TEST(DibArithmetic, StrideRoundsWholeBitsUpToFourBytesAndSizesAreChecked) {
    EXPECT_EQ(DibStride(5, 24), 16);
    EXPECT_EQ(DibStride(5, 8), 8);
    EXPECT_EQ(DibStride(4, 24), 12);
    EXPECT_EQ(DibStride(1, 32), 4);
    EXPECT_EQ(DibStride(0, 24), 0);
    EXPECT_EQ(DibStride(5, 1), 4);  // a partial byte still needs room
    EXPECT_EQ(DibStride(33, 1), 8);
    EXPECT_EQ(DibStride(-1, 24), -1);
    EXPECT_EQ(DibStride(10, 0), -1);
    EXPECT_EQ(DibStride(0x7FFFFFFF, 24), -1);

    EXPECT_EQ(DibImageSize(16, 3), 48);
    EXPECT_EQ(DibImageSize(16, -3), 48);  // top-down heights count the same
    EXPECT_EQ(DibImageSize(0x10000, 0x8000), -1);
}

}  // namespace
}  // namespace mrv
