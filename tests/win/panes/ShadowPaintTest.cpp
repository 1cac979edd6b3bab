// The drop shadow painted through GDI: over white the core becomes 0x7F and
// the fringe 0xC0 at exactly the stated pixels, nothing is darkened twice or
// outside the bands, strips smaller than the box shadow only what they hold,
// and a pane without a shadow paints nothing.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "view/PaneShadow.h"
#include "view/Pane_win.h"

namespace mrv {
namespace {

constexpr Colour Grey(int v) {
    return MakeColour(v, v, v);
}

struct ShadowedPane {
    ShadowedPane(int stripWidth, int stripHeight) {
        pane.AttachShadowStrips(&strips);
        pane.Init(Size{100, 100});
        EXPECT_TRUE(pane.RemakeShadowStrips(stripWidth, stripHeight));
        pane.SetContentSize(30, 20);
    }
    PaneShadow strips;
    Pane pane;
};

// What the two bands of box (x, y, w, h) make of a white pixel, from the
// per-pixel rule, bottom band first.
Colour Expected(int px, int py, int x, int y, int w, int h, int stripW, int stripH) {
    int v = 0xFF;
    auto apply = [&v](ShadeStep s) {
        if (s == ShadeStep::kHalf) v = HalfShade(static_cast<std::uint8_t>(v));
        if (s == ShadeStep::kThreeQuarter) v = ThreeQuarterShade(static_cast<std::uint8_t>(v));
    };
    const int bc = px - (x + 4), br = py - (y + h);
    if (bc >= 0 && bc < w && bc < stripW && br >= 0 && br < 4) apply(BottomBandStep(bc, br, w));
    const int rc = px - (x + w), rr = py - (y + 4);
    if (rc >= 0 && rc < 4 && rr >= 0 && rr < h && rr < stripH) apply(RightBandStep(rc, rr, h));
    return Grey(v);
}

void ExpectShadow(const test::Canvas& c, int x, int y, int w, int h, int stripW, int stripH) {
    for (int py = 0; py < c.Height(); ++py) {
        for (int px = 0; px < c.Width(); ++px) {
            ASSERT_EQ(c.At(px, py), Expected(px, py, x, y, w, h, stripW, stripH))
                << px << "," << py << " box " << w << "x" << h;
        }
    }
}

TEST(ShadowPaint, CoreHalfFringeThreeQuarterAtTheStatedPixels) {
    ShadowedPane s(30, 20);
    test::Canvas canvas(60, 50);
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);

    // Bottom band (14..43, 30..33), right band (40..43, 14..33).
    EXPECT_EQ(canvas.At(14, 30), Grey(0xC0));  // starting corner
    EXPECT_EQ(canvas.At(15, 30), Grey(0x7F));  // core
    EXPECT_EQ(canvas.At(39, 32), Grey(0x7F));
    EXPECT_EQ(canvas.At(14, 33), Grey(0xFF));  // outer row ends stay
    EXPECT_EQ(canvas.At(15, 33), Grey(0xC0));  // outer row
    EXPECT_EQ(canvas.At(40, 14), Grey(0xC0));  // right band's starting row
    EXPECT_EQ(canvas.At(43, 14), Grey(0xFF));
    EXPECT_EQ(canvas.At(43, 15), Grey(0xC0));  // outer column
    EXPECT_EQ(canvas.At(40, 15), Grey(0x7F));
    // Bottom-right corner: half in its first three rows and columns,
    // three-quarter on its outer row and column, the very corner untouched.
    EXPECT_EQ(canvas.At(42, 32), Grey(0x7F));
    EXPECT_EQ(canvas.At(41, 33), Grey(0xC0));
    EXPECT_EQ(canvas.At(43, 31), Grey(0xC0));
    EXPECT_EQ(canvas.At(43, 33), Grey(0xFF));
    EXPECT_EQ(canvas.At(20, 20), Grey(0xFF));  // the box itself is not touched
    ExpectShadow(canvas, 10, 10, 30, 20, 30, 20);
}

TEST(ShadowPaint, EveryBoxSizeDownToOnePixelDarkensOnceAndOnlyInItsBands) {
    ShadowedPane s(12, 12);
    for (int w = 1; w <= 9; ++w) {
        for (int h = 1; h <= 6; ++h) {
            test::Canvas canvas(30, 24);
            DrawShadow(canvas.Dc(), s.pane, s.strips, 5, 5, w, h);
            ExpectShadow(canvas, 5, 5, w, h, 12, 12);
        }
    }
}

TEST(ShadowPaint, StripsSmallerThanTheBoxShadowTheirPartOnly) {
    ShadowedPane s(10, 8);  // strips for a 10 x 8 box, asked to shadow 30 x 20
    test::Canvas canvas(60, 50);
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);
    ExpectShadow(canvas, 10, 10, 30, 20, 10, 8);
    EXPECT_EQ(canvas.At(15, 30), Grey(0x7F));
    EXPECT_EQ(canvas.At(24, 30), Grey(0xFF));  // past the strip's 10 columns
    EXPECT_EQ(canvas.At(40, 21), Grey(0x7F));
    EXPECT_EQ(canvas.At(40, 22), Grey(0xFF));  // past the strip's 8 rows
}

TEST(ShadowPaint, NoShadowWhenOffOrWithoutContent) {
    ShadowedPane s(30, 20);
    test::Canvas canvas(60, 50);
    s.pane.SetShadowOn(false);
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);
    s.pane.SetShadowOn(true);
    s.pane.SetContentSize(0, 20);
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);
    s.strips.Reset();  // strips gone: nothing to draw through
    s.pane.SetContentSize(30, 20);
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 60; ++x) ASSERT_EQ(canvas.At(x, y), Grey(0xFF));
    }
}

TEST(ShadowPaint, ColouredBackgroundDarkensEachComponent) {
    ShadowedPane s(30, 20);
    test::Canvas canvas(60, 50, MakeColour(200, 101, 7));
    DrawShadow(canvas.Dc(), s.pane, s.strips, 10, 10, 30, 20);
    EXPECT_EQ(canvas.At(15, 31), MakeColour(100, 50, 3));
    EXPECT_EQ(canvas.At(14, 31), MakeColour(150, 76, 6));
}

}  // namespace
}  // namespace mrv
