// Pane base geometry: the keep-on-screen flip on every edge, the dirty
// rectangle bookkeeping, the hit test's inclusive edges and the shadow's part
// in the outer size.
#include <gtest/gtest.h>

#include "FakeStrips.h"
#include "view/Pane.h"

namespace mrv {
namespace {

constexpr Size kScreen{800, 600};

// A pane of content w x h on an 800 x 600 screen, shadow as asked.
struct Fixture {
    explicit Fixture(int w, int h, bool shadow, int margin) {
        pane.Init(kScreen);
        pane.SetFlipMargin(margin);
        pane.SetShadowOn(shadow);
        pane.SetContentSize(w, h);
    }
    Pane pane;
};

TEST(PaneKeepOnScreen, ZeroMarginPushesOffNegativeAndPullsBackOverFarEdges) {
    Fixture f(96, 20, true, 0);  // outer 100 x 24
    f.pane.MoveTo(-10, 50);
    EXPECT_EQ(f.pane.X(), 90);
    EXPECT_EQ(f.pane.Y(), 50);
    f.pane.MoveTo(50, -1);
    EXPECT_EQ(f.pane.Y(), 23);
    f.pane.MoveTo(701, 577);  // one pixel over the right and bottom edges
    EXPECT_EQ(f.pane.X(), 601);
    EXPECT_EQ(f.pane.Y(), 553);
    f.pane.MoveTo(700, 576);  // exactly touching both edges: stays
    EXPECT_EQ(f.pane.X(), 700);
    EXPECT_EQ(f.pane.Y(), 576);
}

TEST(PaneKeepOnScreen, MarginFlipsToTheOtherSideOfTheAnchorOnEachEdge) {
    Fixture f(77, 77, true, 8);  // outer 81, jump 2 * 8 + 81 = 97
    f.pane.MoveTo(7, 100);
    EXPECT_EQ(f.pane.X(), 7 + 97);
    f.pane.MoveTo(100, 7);
    EXPECT_EQ(f.pane.Y(), 7 + 97);
    f.pane.MoveTo(8, 8);  // exactly at the margin: no flip
    EXPECT_EQ(f.pane.X(), 8);
    EXPECT_EQ(f.pane.Y(), 8);
    f.pane.MoveTo(800 - 81 - 8, 600 - 81 - 8);  // just fits
    EXPECT_EQ(f.pane.X(), 711);
    EXPECT_EQ(f.pane.Y(), 511);
    f.pane.MoveTo(712, 512);  // bottom-right corner: flips on both axes
    EXPECT_EQ(f.pane.X(), 712 - 97);
    EXPECT_EQ(f.pane.Y(), 512 - 97);
}

TEST(PaneKeepOnScreen, NegativeMarginTurnsTheRuleOffAndUnfittablePanesKeepTheLastResult) {
    Fixture off(50, 50, false, -3);
    off.pane.MoveTo(-20, 790);
    EXPECT_EQ(off.pane.X(), -20);
    EXPECT_EQ(off.pane.Y(), 790);

    // Wider than the screen: the left test pushes it right, the right test
    // pulls it back; it ends partly off the screen.
    Fixture wide(900, 10, false, 0);
    wide.pane.MoveTo(-5, 0);
    EXPECT_EQ(wide.pane.X(), -5 + 900 - 900);
}

TEST(PaneDirtyRect, FirstAfterInitCoversTheScreenThenOldAndNewOnly) {
    Fixture f(20, 10, false, 0);
    EXPECT_EQ(f.pane.DirtyRect(), (Rect{0, 0, 800, 600}));
    f.pane.MoveTo(100, 100);
    EXPECT_EQ(f.pane.DirtyRect(), (Rect{0, 0, 120, 110}));  // Init's (0,0) box and the new one
    f.pane.MoveTo(300, 200);
    EXPECT_EQ(f.pane.DirtyRect(), (Rect{100, 100, 320, 210}));
    EXPECT_EQ(f.pane.DirtyRect(), (Rect{300, 200, 320, 210}));  // unmoved: itself
    EXPECT_EQ(f.pane.LastRect(), (Rect{300, 200, 320, 210}));
}

TEST(PaneDirtyRect, NoPreviousRectangleGivesTheCurrentOneAndShadowCounts) {
    Pane fresh;               // never bound: its last rectangle is all zeros
    fresh.SetFlipMargin(-1);  // and no screen to keep it on
    fresh.SetShadowOn(true);
    fresh.SetContentSize(10, 10);
    fresh.MoveTo(50, 60);
    EXPECT_EQ(fresh.DirtyRect(), (Rect{50, 60, 64, 74}));
}

TEST(PaneHitTest, BothEdgesCountTheShadowNeverAndHiddenPanesMiss) {
    Fixture f(20, 10, true, 0);
    f.pane.MoveTo(100, 100);
    EXPECT_TRUE(f.pane.HitTest(100, 100));
    EXPECT_TRUE(f.pane.HitTest(120, 110));  // (x + contentWidth, y + contentHeight)
    EXPECT_FALSE(f.pane.HitTest(99, 105));
    EXPECT_FALSE(f.pane.HitTest(121, 105));  // shadow column
    EXPECT_FALSE(f.pane.HitTest(110, 111));  // shadow row
    EXPECT_FALSE(f.pane.HitTest(110, 99));
    f.pane.SetVisible(false);
    EXPECT_FALSE(f.pane.HitTest(110, 105));
}

TEST(PaneState, VisibilityChangeAndShadowFollowTheOuterSize) {
    Pane pane;
    EXPECT_TRUE(pane.IsVisible());
    EXPECT_FALSE(pane.SetVisible(true));
    EXPECT_TRUE(pane.SetVisible(false));
    EXPECT_FALSE(pane.SetVisible(false));

    pane.Init(kScreen);
    EXPECT_EQ(pane.OuterWidth(), 0);  // no shadow: outer = content
    pane.SetContentSize(30, 40);
    EXPECT_EQ(pane.OuterWidth(), 30);
    EXPECT_EQ(pane.OuterHeight(), 40);
    pane.SetShadowOn(true);
    EXPECT_EQ(pane.OuterWidth(), 34);
    EXPECT_EQ(pane.OuterHeight(), 44);
    pane.SetShadowOn(false);
    EXPECT_EQ(pane.OuterWidth(), 30);
}

TEST(PaneState, ShadowIsOnExactlyWhenBothStripsWereMade) {
    Pane pane;
    pane.Init(kScreen);
    EXPECT_FALSE(pane.RemakeShadowStrips(24, 24));  // nothing attached
    EXPECT_FALSE(pane.ShadowOn());

    test::FakeStrips good;
    pane.AttachShadowStrips(&good);
    EXPECT_TRUE(pane.RemakeShadowStrips(480, 320));
    EXPECT_TRUE(pane.ShadowOn());
    EXPECT_EQ(good.lastBottomWidth, 480);
    EXPECT_EQ(good.lastRightHeight, 320);

    test::FakeStrips bad(false);
    pane.AttachShadowStrips(&bad);
    EXPECT_FALSE(pane.RemakeShadowStrips(24, 24));
    EXPECT_FALSE(pane.ShadowOn());

    // Init with the shadow on gives a 4 x 4 outer size at the origin.
    Pane shadowed;
    shadowed.SetShadowOn(true);
    shadowed.Init(kScreen);
    EXPECT_EQ(shadowed.OuterRect(), (Rect{0, 0, 4, 4}));
}

}  // namespace
}  // namespace mrv
