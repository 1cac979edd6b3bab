// Pane base geometry and the drop shadow arithmetic behind it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeStrips.h"
#include "view/Draw.h"
#include "view/Pane.h"
#include "view/PaneShadow.h"

namespace mrv {
namespace {

Pane& Make(Pane& p, int w, int h, bool shadow, int margin) {
    p.Init(Size{800, 600});
    p.SetFlipMargin(margin);
    p.SetShadowOn(shadow);
    p.SetContentSize(w, h);
    return p;
}

TEST(Pane, KeepOnScreenFlipsOnEveryEdge) {
    Pane p;
    Make(p, 96, 20, true, 0);  // outer 100 x 24
    p.MoveTo(-10, 50);
    EXPECT_EQ(p.X(), 90);
    p.MoveTo(701, -1);  // over the right edge, above the top
    EXPECT_EQ(p.X(), 601);
    EXPECT_EQ(p.Y(), 23);

    Make(p, 77, 77, true, 8);  // outer 81: a flip jumps 97
    p.MoveTo(7, 7);
    EXPECT_EQ(p.X(), 104);
    EXPECT_EQ(p.Y(), 104);
    p.MoveTo(712, 512);  // bottom-right corner: both axes
    EXPECT_EQ(p.X(), 615);
    EXPECT_EQ(p.Y(), 415);

    Make(p, 50, 50, false, -3);  // rule off
    p.MoveTo(-20, 590);
    EXPECT_EQ(p.X(), -20);
    EXPECT_EQ(p.Y(), 590);
}

TEST(Pane, DirtyRectStartsWithTheScreenThenJoinsOldAndNew) {
    Pane p;
    Make(p, 20, 10, false, 0);
    EXPECT_EQ(p.DirtyRect(), (Rect{0, 0, 800, 600}));
    p.MoveTo(100, 100);
    EXPECT_EQ(p.DirtyRect(), (Rect{0, 0, 120, 110}));
    p.MoveTo(300, 200);
    EXPECT_EQ(p.DirtyRect(), (Rect{100, 100, 320, 210}));
}

TEST(Pane, HitTestIncludesBothEdgesButNeverTheShadow) {
    Pane p;
    Make(p, 20, 10, true, 0).MoveTo(100, 100);
    EXPECT_TRUE(p.HitTest(100, 100));
    EXPECT_TRUE(p.HitTest(120, 110));
    EXPECT_FALSE(p.HitTest(121, 105));
    EXPECT_FALSE(p.HitTest(110, 111));
    EXPECT_FALSE(p.HitTest(99, 105));
    p.SetVisible(false);
    EXPECT_FALSE(p.HitTest(110, 105));
}

TEST(Pane, ShadowIsOnOnlyWhenBothStripsWereMade) {
    Pane p;
    Make(p, 30, 40, false, 0);
    test::FakeStrips bad(false), good;
    p.AttachShadowStrips(&bad);
    EXPECT_FALSE(p.RemakeShadowStrips(24, 24));
    p.AttachShadowStrips(&good);
    EXPECT_TRUE(p.RemakeShadowStrips(24, 24));
    p.SetContentSize(30, 40);
    EXPECT_EQ(p.OuterRect(), (Rect{0, 0, 34, 44}));
}

TEST(Shadow, WordAtATimeEqualsThePerByteRule) {
    std::vector<std::uint8_t> bytes(260);
    for (int i = 0; i < 260; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    for (std::size_t offset = 0; offset < 4; ++offset) {
        for (std::size_t count : {1u, 3u, 4u, 7u, 9u, 256u}) {
            auto half = bytes, three = bytes;
            HalveRun(half.data() + offset, count);
            ThreeQuarterRun(three.data() + offset, count);
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const bool in = i >= offset && i < offset + count;
                ASSERT_EQ(half[i], in ? bytes[i] / 2 : bytes[i]);
                ASSERT_EQ(three[i], in ? bytes[i] - bytes[i] / 4 : bytes[i]);
            }
        }
    }
}

std::string Map(ShadeStep (*step)(int, int, int), int cols, int rows, int size) {
    std::string s;
    for (int r = 0; r < rows; ++r, s += '\n') {
        for (int c = 0; c < cols; ++c) {
            const ShadeStep k = step(c, r, size);
            s += k == ShadeStep::kHalf ? 'H' : k == ShadeStep::kThreeQuarter ? 'T' : '.';
        }
    }
    return s;
}

TEST(Shadow, BandMapsAndNoPixelDarkenedTwice) {
    EXPECT_EQ(Map(BottomBandStep, 9, 4, 9), "THHHH....\nTHHHH....\nTHHHH....\n.TTTTTTT.\n");
    EXPECT_EQ(Map(RightBandStep, 4, 5, 5), "TTT.\nHHHT\nHHHT\nHHHT\n....\n");
    // Bottom pixel (c, r) lies at box (4 + c, h + r), right pixel (c, r) at
    // (w + c, 4 + r): where they overlap, at most one may shade, any size.
    for (int w = 1; w <= 12; ++w) {
        for (int h = 1; h <= 12; ++h) {
            for (int c = 0; c < w; ++c) {
                for (int r = 0; r < 4; ++r) {
                    const int rc = 4 + c - w, rr = h + r - 4;
                    if (rc < 0 || rc >= 4 || rr < 0 || rr >= h) continue;
                    ASSERT_FALSE(BottomBandStep(c, r, w) != ShadeStep::kNone &&
                                 RightBandStep(rc, rr, h) != ShadeStep::kNone);
                }
            }
        }
    }
}

TEST(Shadow, StripSmallerThanTheBoxIsShadedWithinItself) {
    // 10 x 4 bytes-per-row strip of 3-byte pixels inside a guarded buffer.
    std::vector<std::uint8_t> buf(16 + 32 * 4 + 16, 0xFF);
    ShadowPixels strip{buf.data() + 16, 10, 4, 32, 3};
    ShadeBottomBand(strip, 600);  // a 600-wide box: no soft end at column 9
    EXPECT_EQ(strip.Row(0)[9 * 3], 0x7F);
    EXPECT_EQ(strip.Row(3)[9 * 3], 0xC0);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(buf[i], 0xFF);
    for (std::size_t i = 16 + 3 * 32 + 30; i < buf.size(); ++i) ASSERT_EQ(buf[i], 0xFF);
}

TEST(Dib, StrideRoundsWholeBitsUpToFourBytesWithOverflowRefused) {
    EXPECT_EQ(DibStride(5, 24), 16);
    EXPECT_EQ(DibStride(5, 8), 8);
    EXPECT_EQ(DibStride(5, 1), 4);  // a partial byte still needs room
    EXPECT_EQ(DibStride(0x7FFFFFFF, 24), -1);
    EXPECT_EQ(DibImageSize(16, -3), 48);
    EXPECT_EQ(DibImageSize(0x10000, 0x8000), -1);
}

}  // namespace
}  // namespace mrv
