// The panes painted through GDI and read back: shadow pixels, zoom blocks
// and marked box, tool icons in their three states, label lines, and no GDI
// growth over a thousand paints.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "selection/LabelPane_win.h"
#include "tests/win/support/GdiCount.h"
#include "view/PaneShadow.h"
#include "view/ToolPanel_win.h"
#include "view/ZoomPane_win.h"

namespace mrv {
namespace {

using test::Grey;
using test::kBlack;
using test::kWhite;

Colour ScreenPixel(int x, int y) {
    return MakeColour(x * 3, y * 3, 100);
}
Colour Icon(int i, bool lit) {
    return MakeColour(i * 10, lit ? 200 : 0, 100);
}

// A 300 x 200 screen of distinct pixels, a synthetic icon strip (one colour
// per cell and row) and every pane bound to them. The selection puts the tool
// panel at (20, 100); button 3 is its second button, column 48.
struct PanePaint : ::testing::Test {
    PanePaint() {
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 300; ++x) screen.Set(x, y, ScreenPixel(x, y));
        }
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 720; ++x) icons.Set(x, y, Icon(x / 24, y >= 24));
        }
        selection.left = 19;
        selection.top = 50;
        selection.width = 200;
        selection.height = 50;
        for (Pane* p :
             {static_cast<Pane*>(&zoom), static_cast<Pane*>(&tools), static_cast<Pane*>(&label)}) {
            p->Init(Size{300, 200});
        }
        zoom.AttachShadowStrips(&zoomStrips);
        tools.AttachShadowStrips(&toolStrips);
        label.AttachShadowStrips(&labelStrips);
        zoom.SetFlipMargin(-1);
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();
        label.MakeShadowStrips();
        LOGFONTW spec;
        InitFontSpec(spec, L"MS UI Gothic", 12);
        font.reset(CreateFontIndirectW(&spec));
    }
    void PaintTools(test::Canvas& c) {
        DrawToolPanel(c.Dc(), tools, toolStrips, icons.Bitmap(), screen.Bitmap());
    }
    static void ExpectIcon(const test::Canvas& c, int x, int y, Colour colour) {
        EXPECT_EQ(c.At(x, y), colour);
        EXPECT_EQ(c.At(x + 23, y + 23), colour);
        EXPECT_NE(c.At(x - 1, y), colour);
        EXPECT_NE(c.At(x + 23, y + 24), colour);
    }

    test::Canvas screen{300, 200, kWhite, false};
    test::Canvas icons{720, 48, kWhite, false};
    Settings settings;
    Selection selection;
    PaneShadow zoomStrips, toolStrips, labelStrips;
    ZoomPane zoom;
    ToolPanel tools;
    LabelPane label;
    UniqueFont font;
};

// A white pixel after the bands of box (x, y, w, h), by the per-pixel rule.
Colour ShadowOverWhite(int px, int py, int x, int y, int w, int h) {
    int v = 0xFF;
    auto apply = [&v](ShadeStep s) {
        v = s == ShadeStep::kHalf ? v / 2 : s == ShadeStep::kNone ? v : v - v / 4;
    };
    const int bc = px - x - 4, br = py - y - h, rc = px - x - w, rr = py - y - 4;
    if (bc >= 0 && bc < w && br >= 0 && br < 4) apply(BottomBandStep(bc, br, w));
    if (rc >= 0 && rc < 4 && rr >= 0 && rr < h) apply(RightBandStep(rc, rr, h));
    return Grey(v);
}

TEST_F(PanePaint, ShadowOverWhiteIsHalfInTheCoreAndThreeQuarterOnTheFringe) {
    label.SetContentSize(12, 12);
    for (int w = 1; w <= 12; ++w) {
        for (int h : {1, 2, 3, 12}) {
            test::Canvas c(30, 30);
            DrawShadow(c.Dc(), label, labelStrips, 5, 5, w, h);
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 30; ++x) {
                    ASSERT_EQ(c.At(x, y), ShadowOverWhite(x, y, 5, 5, w, h)) << w << "x" << h;
                }
            }
        }
    }
    test::Canvas c(30, 30);  // the stated pixels of a 12 x 12 box at (5, 5)
    DrawShadow(c.Dc(), label, labelStrips, 5, 5, 12, 12);
    EXPECT_EQ(c.At(9, 17), Grey(0xC0));   // starting corner
    EXPECT_EQ(c.At(10, 17), Grey(0x7F));  // core
    EXPECT_EQ(c.At(10, 20), Grey(0xC0));  // outer row
    EXPECT_EQ(c.At(20, 20), kWhite);      // outermost corner
}

TEST_F(PanePaint, ZoomBlocksMarkedBoxAndBorder) {
    zoom.Configure(3, 3);       // source 7 x 7, content 23
    zoom.FollowCursor(20, 20);  // pane (20, 20), source (17, 17), marked box (29, 29) 5 x 5
    test::Canvas c(80, 80);
    DrawZoomPane(c.Dc(), zoom, zoomStrips, screen.Bitmap(), nullptr);
    for (int y = 21; y < 42; ++y) {
        for (int x = 21; x < 42; ++x) {
            const bool marked = x >= 29 && x <= 33 && y >= 29 && y <= 33 &&
                                (x == 29 || x == 33 || y == 29 || y == 33);
            if (!marked) {
                ASSERT_EQ(c.At(x, y), ScreenPixel(17 + (x - 21) / 3, 17 + (y - 21) / 3));
            }
        }
    }
    for (int o = 0; o < 5; ++o) {  // two black pixels at each end, white between
        EXPECT_EQ(c.At(29 + o, 29), o == 2 ? kWhite : kBlack);
        EXPECT_EQ(c.At(33, 29 + o), o == 2 ? kWhite : kBlack);
        EXPECT_EQ(c.At(20 + o * 5, 42), kBlack);  // border
    }
    EXPECT_EQ(c.At(30, 44), Grey(0x7F));
}

TEST_F(PanePaint, ToolIconsAtRestHoveredPressedAndPinned) {
    test::Canvas rest(300, 200);
    PaintTools(rest);
    ExpectIcon(rest, 50, 104, Icon(3, false));
    EXPECT_EQ(rest.At(60, 128), Grey(0x7F));  // 2 shadow rows show
    tools.TrackHover(55, 110);
    test::Canvas hover(300, 200);
    PaintTools(hover);
    ExpectIcon(hover, 48, 102, Icon(3, true));
    EXPECT_EQ(hover.At(60, 126), Grey(0x7F));  // all 4 show
    tools.Press();
    tools.TrackHover(80, 110);  // pressed 3, pointer now on 6
    test::Canvas pressed(300, 200);
    PaintTools(pressed);
    ExpectIcon(pressed, 51, 105, Icon(3, true));
    EXPECT_EQ(pressed.At(60, 129), Grey(0xC0));  // 1 shows: the fringe
    ExpectIcon(pressed, 78, 104, Icon(6, false));

    tools.SetPinned(true);  // grey box into the frozen picture and this paint
    tools.Layout();
    test::Canvas pinned(300, 200);
    PaintTools(pinned);
    EXPECT_EQ(screen.At(21, 103), 0xCCCCCCu);
    EXPECT_EQ(screen.At(20, 102), 0x666666u);
    EXPECT_EQ(pinned.At(21, 103), 0xCCCCCCu);
}

TEST_F(PanePaint, LabelLinesAndEmptyLineHeight) {
    GdiTextMeasurer m(nullptr, font.get());
    Size ab, empty;
    ASSERT_TRUE(m.Measure(L"ab", &ab));
    ASSERT_TRUE(m.Measure(L"", &empty));
    EXPECT_EQ(empty.height, ab.height);  // an empty line is still a line
    label.SetText(L"ab\r\nab", m);
    EXPECT_EQ(label.ContentHeight(), 2 * ab.height + 6);
    label.MoveTo(10, 10);
    test::Canvas c(200, 100, 0x00C000);
    DrawLabelPane(c.Dc(), label, labelStrips, font.get());
    bool secondLine = false;  // drawn one line height below the first
    for (int y = 13 + ab.height; y < 13 + 2 * ab.height; ++y) {
        for (int x = 13; x < 13 + ab.width; ++x) secondLine |= c.At(x, y) != kWhite;
    }
    EXPECT_TRUE(secondLine);
    EXPECT_EQ(c.At(10, 10), kBlack);
    EXPECT_EQ(c.At(11, 11), kWhite);
}

TEST_F(PanePaint, AThousandPaintsOfEveryPaneLeaveTheGdiObjectCountAlone) {
    test::Canvas c(300, 200);
    auto paintOnce = [&](int i) {
        zoom.Configure(4 + i % 3, 1 + i % 8);  // re-makes the strips
        zoom.FollowCursor(60 + i % 200, 60 + i % 100);
        tools.SetPinned(i % 2 == 1);
        tools.Layout();
        tools.TrackHover(tools.X() + 30, tools.Y() + 5);
        GdiTextMeasurer m(c.Dc(), font.get());
        label.SetText(i % 2 ? L"320 x 200" : L"ab\r\ncd", m);
        DrawZoomPane(c.Dc(), zoom, zoomStrips, screen.Bitmap(),
                     static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        PaintTools(c);
        DrawLabelPane(c.Dc(), label, labelStrips, font.get());
    };
    paintOnce(0);  // the first use may realise the font for good
    const unsigned long before = test::CountGdiObjects();
    for (int i = 1; i <= 1000; ++i) paintOnce(i);
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
