// The magnifier painted through GDI: every screen pixel a whole block, the
// marked pixel's box with its white middle, the black border, the
// selection's ring in black and white whatever the DC's colours, the factor 1
// box, and a hidden pane painting nothing.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "view/ZoomPane_win.h"

namespace mrv {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;

Colour ScreenPixel(int x, int y) {
    return MakeColour(x * 3, y * 3, 100);
}

class ZoomPaintTest : public ::testing::Test {
protected:
    ZoomPaintTest() : screen(64, 64) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) screen.Set(x, y, ScreenPixel(x, y));
        }
        // Two on, two off in every row: any run of 4 ring pixels has both colours.
        const WORD rows[8] = {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33};
        pattern = CreateBitmap(8, 8, 1, 1, rows);
        brush = CreatePatternBrush(pattern);
        zoom.AttachShadowStrips(&strips);
        zoom.Init(Size{64, 64});
        zoom.LinkSelection(&selection);
        zoom.SetFlipMargin(-1);
    }
    ~ZoomPaintTest() override {
        DeleteObject(brush);
        DeleteObject(pattern);
    }
    void Paint(test::Canvas& canvas) {
        DrawZoomPane(canvas.Dc(), zoom, strips, screen.Get(), brush);
    }

    test::LooseBitmap screen;
    HBITMAP pattern;
    HBRUSH brush;
    PaneShadow strips;
    Selection selection;
    ZoomPane zoom;
};

TEST_F(ZoomPaintTest, BlocksMarkedBoxBorderAndShadowAtFactorThree) {
    zoom.Configure(3, 3);       // source 7 x 7, content 23 x 23
    zoom.FollowCursor(20, 20);  // pane (20, 20), source (17, 17), cell (3, 3)
    test::Canvas canvas(80, 80);
    SetTextColor(canvas.Dc(), 0x0000FF);
    Paint(canvas);
    EXPECT_EQ(GetTextColor(canvas.Dc()), 0x0000FFu);  // state given back

    // The marked box: (29, 29) to (33, 33); its sides are black at both ends
    // and white in the middle; the block inside is the pointer's pixel.
    auto onMarkedBox = [](int x, int y) {
        const bool in = x >= 29 && x <= 33 && y >= 29 && y <= 33;
        return in && (x == 29 || x == 33 || y == 29 || y == 33);
    };
    for (int o = 0; o < 5; ++o) {
        const Colour want = o == 2 ? kWhite : kBlack;
        EXPECT_EQ(canvas.At(29 + o, 29), want) << o;
        EXPECT_EQ(canvas.At(29 + o, 33), want) << o;
        EXPECT_EQ(canvas.At(29, 29 + o), want) << o;
        EXPECT_EQ(canvas.At(33, 29 + o), want) << o;
    }

    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            for (int dy = 0; dy < 3; ++dy) {
                for (int dx = 0; dx < 3; ++dx) {
                    const int x = 21 + 3 * i + dx;
                    const int y = 21 + 3 * j + dy;
                    if (onMarkedBox(x, y)) continue;
                    ASSERT_EQ(canvas.At(x, y), ScreenPixel(17 + i, 17 + j)) << x << "," << y;
                }
            }
        }
    }
    for (int k = 0; k < 23; ++k) {
        EXPECT_EQ(canvas.At(20 + k, 20), kBlack);
        EXPECT_EQ(canvas.At(20 + k, 42), kBlack);
        EXPECT_EQ(canvas.At(20, 20 + k), kBlack);
        EXPECT_EQ(canvas.At(42, 20 + k), kBlack);
    }
    EXPECT_EQ(canvas.At(30, 44), MakeColour(0x7F, 0x7F, 0x7F));  // shadow below
    EXPECT_EQ(canvas.At(44, 30), MakeColour(0x7F, 0x7F, 0x7F));  // and right
    EXPECT_EQ(canvas.At(19, 30), kWhite);
}

TEST_F(ZoomPaintTest, SelectionRingIsBlackAndWhiteAroundTheSelectedBlocks) {
    zoom.Configure(3, 3);
    zoom.FollowCursor(20, 20);
    selection.left = 18;  // cell (1, 1): block (24..26, 24..26)
    selection.top = 18;
    selection.width = 1;
    selection.height = 1;
    test::Canvas canvas(80, 80);
    SetTextColor(canvas.Dc(), 0x00FF00);
    SetBkColor(canvas.Dc(), 0xFF0000);
    Paint(canvas);
    int black = 0, white = 0;
    for (int k = 0; k < 5; ++k) {
        for (Colour c : {canvas.At(23 + k, 23), canvas.At(23 + k, 27), canvas.At(23, 23 + k),
                         canvas.At(27, 23 + k)}) {
            ASSERT_TRUE(c == kBlack || c == kWhite) << std::hex << c;
            (c == kBlack ? black : white)++;
        }
    }
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);
    EXPECT_EQ(canvas.At(25, 25), ScreenPixel(18, 18));
    EXPECT_EQ(canvas.At(22, 25), ScreenPixel(17, 18));  // just outside the ring

    selection.left = 60;  // out of the square: no ring
    test::Canvas again(80, 80);
    DrawZoomPane(again.Dc(), zoom, strips, screen.Get(), brush);
    EXPECT_EQ(again.At(23, 23), ScreenPixel(17, 17));
}

TEST_F(ZoomPaintTest, FactorOneMarksWithAPlainBlackBoxAndHiddenPaintsNothing) {
    zoom.Configure(3, 1);       // content 9
    zoom.FollowCursor(20, 20);  // pane (20, 20); marked box (23, 23) 3 x 3
    test::Canvas canvas(40, 40);
    Paint(canvas);
    for (int y = 23; y < 26; ++y) {
        for (int x = 23; x < 26; ++x) {
            const Colour want = (x == 24 && y == 24) ? ScreenPixel(20, 20) : kBlack;
            EXPECT_EQ(canvas.At(x, y), want) << x << "," << y;
        }
    }

    zoom.SetVisible(false);
    test::Canvas blank(40, 40);
    Paint(blank);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) ASSERT_EQ(blank.At(x, y), kWhite);
    }
}

}  // namespace
}  // namespace mrv
