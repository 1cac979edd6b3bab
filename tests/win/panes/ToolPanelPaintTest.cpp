// The tool panel painted through GDI with a synthetic icon strip (one flat
// colour per cell and row): which image lands where at rest, hovered and
// pressed, how much shadow each state leaves visible, and the grey pinned
// background in both the frozen picture and the paint.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "view/ToolPanel_win.h"

namespace mrv {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kShadowCore = 0x7F7F7F;

Colour Normal(int i) {
    return MakeColour(i * 10, 0, 100);
}
Colour Highlighted(int i) {
    return MakeColour(i * 10, 200, 100);
}

class ToolPanelPaintTest : public ::testing::Test {
protected:
    ToolPanelPaintTest() : icons(kToolIconStripWidth, kToolIconStripHeight), screen(300, 200) {
        for (int y = 0; y < kToolIconStripHeight; ++y) {
            for (int x = 0; x < kToolIconStripWidth; ++x) {
                const int i = x / kToolIconSize;
                icons.Set(x, y, y < kToolIconSize ? Normal(i) : Highlighted(i));
            }
        }
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 300; ++x) screen.Set(x, y, kWhite);
        }
        panel.AttachShadowStrips(&strips);
        panel.Init(Size{300, 200});
        panel.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        panel.Layout();
        selection.left = 19;  // panel at (20, 100)
        selection.top = 50;
        selection.width = 200;
        selection.height = 50;
    }
    void Paint(test::Canvas& canvas) {
        DrawToolPanel(canvas.Dc(), panel, strips, icons.Get(), screen.Get());
    }
    // Whether the 24 x 24 image of colour c sits with its top-left at (x, y).
    static bool IconAt(const test::Canvas& c, int x, int y, Colour colour) {
        return c.At(x, y) == colour && c.At(x + 23, y + 23) == colour && c.At(x - 1, y) != colour &&
               c.At(x, y - 1) != colour && c.At(x + 24, y + 23) != colour &&
               c.At(x + 23, y + 24) != colour;
    }

    test::LooseBitmap icons;
    test::LooseBitmap screen;
    Settings settings;
    Selection selection;
    PaneShadow strips;
    ToolPanel panel;
};

TEST_F(ToolPanelPaintTest, RestHoverAndPressedOffsetsWithTheirShadows) {
    test::Canvas canvas(300, 200);
    Paint(canvas);
    ASSERT_EQ(panel.X(), 20);
    ASSERT_EQ(panel.Y(), 100);
    // Button 3 is the second shown: column 48; at rest its normal image sits
    // at (50, 104) and 2 rows of its shadow show below it (rows 128-129).
    EXPECT_TRUE(IconAt(canvas, 50, 104, Normal(3)));
    EXPECT_TRUE(IconAt(canvas, 22, 104, Normal(0)));
    EXPECT_EQ(canvas.At(60, 127), Normal(3));
    EXPECT_EQ(canvas.At(60, 128), kShadowCore);
    EXPECT_EQ(canvas.At(48, 110), kWhite);  // the shadow box itself is not filled

    panel.TrackHover(55, 110);  // hover button 3: highlighted, raised to (48, 102)
    test::Canvas hovered(300, 200);
    Paint(hovered);
    EXPECT_TRUE(IconAt(hovered, 48, 102, Highlighted(3)));
    EXPECT_EQ(hovered.At(60, 126), kShadowCore);  // all four shadow rows show
    EXPECT_EQ(hovered.At(72, 110), kShadowCore);  // and the right band
    EXPECT_TRUE(IconAt(hovered, 78, 104, Normal(6)));

    panel.Press();
    panel.TrackHover(80, 110);  // pressed 3, pointer wandered onto 6
    test::Canvas pressed(300, 200);
    Paint(pressed);
    EXPECT_TRUE(IconAt(pressed, 51, 105, Highlighted(3)));
    EXPECT_EQ(pressed.At(60, 128), Highlighted(3));
    EXPECT_EQ(pressed.At(60, 129), 0xC0C0C0u);         // one row of shadow left: the fringe
    EXPECT_TRUE(IconAt(pressed, 78, 104, Normal(6)));  // hovered but at rest
}

TEST_F(ToolPanelPaintTest, PinnedBackgroundGoesIntoTheFrozenPictureAndThisPaint) {
    panel.SetPinned(true);
    panel.Layout();  // six buttons: 166 + 4 wide
    test::Canvas canvas(300, 200);
    Paint(canvas);
    const Rect box = panel.PinnedBackground();
    EXPECT_EQ(box, Rect::FromXYWH(20, 102, 170, 30));
    auto expectFrame = [](auto at) {
        EXPECT_EQ(at(20, 102), 0x666666u);
        EXPECT_EQ(at(189, 131), 0x666666u);
        EXPECT_EQ(at(20, 101), kWhite);
        EXPECT_EQ(at(190, 110), kWhite);
    };
    expectFrame([&](int x, int y) { return canvas.At(x, y); });
    expectFrame([&](int x, int y) { return screen.At(x, y); });
    EXPECT_EQ(screen.At(21, 103), 0xCCCCCCu);  // the picture holds the plain fill
    EXPECT_EQ(canvas.At(21, 103), 0xCCCCCCu);
    EXPECT_FALSE(IconAt(canvas, 20 + 5 * 28 + 2, 104, Normal(19)));  // exit is gone
    EXPECT_TRUE(IconAt(canvas, 20 + 5 * 28 + 2, 104, Normal(18)));
}

TEST_F(ToolPanelPaintTest, HiddenOrEmptyPanelPaintsNothing) {
    panel.SetVisible(false);
    test::Canvas canvas(300, 200);
    Paint(canvas);
    for (auto& b : settings.toolButtons) b = 0;
    panel.SetVisible(true);
    panel.Layout();
    Paint(canvas);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) ASSERT_EQ(canvas.At(x, y), kWhite);
    }
}

}  // namespace
}  // namespace mrv
