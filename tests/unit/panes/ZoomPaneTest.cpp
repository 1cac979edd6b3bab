// Zoom pane geometry: configuration sizes, following the pointer with the
// flip near the far edges, clamping the source square at the screen's
// corners, the picture's rectangles (selection ring, marked box) and the
// source outline's dirty rectangle.
#include <gtest/gtest.h>

#include "FakeStrips.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/ZoomPane.h"

namespace mrv {
namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

class ZoomPaneTest : public ::testing::Test {
protected:
    ZoomPaneTest() {
        zoom.AttachShadowStrips(&strips);
        zoom.Init(Size{kW, kH});
        zoom.LinkSelection(&selection);
        zoom.ConfigureFromSettings(settings);  // radius 12, factor 3
    }
    void Select(int l, int t, int w, int h) {
        selection.left = l;
        selection.top = t;
        selection.width = w;
        selection.height = h;
    }
    test::FakeStrips strips;
    Settings settings;
    Selection selection;
    ZoomPane zoom;
};

TEST_F(ZoomPaneTest, DefaultConfigurationSizes) {
    EXPECT_EQ(zoom.SourceSize(), 25);
    EXPECT_EQ(zoom.ContentWidth(), 77);
    EXPECT_EQ(zoom.ContentHeight(), 77);
    EXPECT_EQ(zoom.OuterWidth(), 81);
    EXPECT_EQ(zoom.FlipMargin(), 8);
    EXPECT_EQ(strips.lastBottomWidth, 77);
    EXPECT_EQ(strips.lastRightHeight, 77);

    zoom.Configure(2, 8);
    EXPECT_EQ(zoom.ContentWidth(), 8 * 5 + 2);
    // Out-of-range values come in range rather than making absurd boxes.
    zoom.Configure(0, 0);
    EXPECT_EQ(zoom.SourceSize(), 3);
    EXPECT_EQ(zoom.Factor(), 1);
    zoom.Configure(500, 20);
    EXPECT_EQ(zoom.SourceSize(), 99);
    EXPECT_EQ(zoom.Factor(), 8);
}

TEST_F(ZoomPaneTest, FailedStripsTurnTheShadowOff) {
    test::FakeStrips failing(false);
    zoom.AttachShadowStrips(&failing);
    zoom.Configure(12, 3);
    EXPECT_FALSE(zoom.ShadowOn());
    EXPECT_EQ(zoom.OuterWidth(), 77);
}

TEST_F(ZoomPaneTest, FollowsThePointerBelowRightAndFlipsNearFarEdges) {
    zoom.FollowCursor(100, 100);
    EXPECT_EQ(zoom.X(), 109);
    EXPECT_EQ(zoom.Y(), 109);
    EXPECT_EQ(zoom.SourceX(), 88);
    EXPECT_EQ(zoom.SourceY(), 88);
    EXPECT_EQ(zoom.CursorCellX(), 12);
    EXPECT_EQ(zoom.CursorCellY(), 12);

    // Near the right edge the pane jumps to the pointer's left; its far edge
    // comes to px - radius + 5.
    zoom.FollowCursor(kW - 50, 300);
    EXPECT_EQ(zoom.X() + zoom.OuterWidth(), kW - 50 - 12 + 5);
    EXPECT_EQ(zoom.Y(), 309);
}

TEST_F(ZoomPaneTest, SourceStaysOnScreenAtTheCornersAndTheMarkedCellFollowsThePointer) {
    zoom.FollowCursor(0, 0);
    EXPECT_EQ(zoom.SourceX(), 0);
    EXPECT_EQ(zoom.SourceY(), 0);
    EXPECT_EQ(zoom.CursorCellX(), 0);
    EXPECT_EQ(zoom.CursorCellY(), 0);
    EXPECT_EQ(zoom.X(), 9);  // 0 + 12 - 3 is past the margin of 8: no flip

    zoom.FollowCursor(kW - 1, kH - 1);
    EXPECT_EQ(zoom.SourceX(), kW - 25);
    EXPECT_EQ(zoom.SourceY(), kH - 25);
    EXPECT_EQ(zoom.CursorCellX(), 24);
    EXPECT_EQ(zoom.CursorCellY(), 24);
    EXPECT_LT(zoom.X() + zoom.OuterWidth(), kW - 1);  // flipped up and left
    EXPECT_LT(zoom.Y() + zoom.OuterHeight(), kH - 1);

    zoom.FollowCursor(5, kH - 3);  // one axis at each end
    EXPECT_EQ(zoom.SourceX(), 0);
    EXPECT_EQ(zoom.CursorCellX(), 5);
    EXPECT_EQ(zoom.CursorCellY(), 24 - 2);
}

TEST_F(ZoomPaneTest, SmallestRangeTurnsTheFlipOff) {
    settings.zoomRadius = 1;
    zoom.ConfigureFromSettings(settings);
    EXPECT_EQ(zoom.SourceSize(), 3);
    EXPECT_EQ(zoom.FlipMargin(), -3);
    zoom.FollowCursor(kW - 1, kH - 1);
    EXPECT_EQ(zoom.X(), kW - 1 + 1 - 3);  // stays, partly off the screen
}

TEST_F(ZoomPaneTest, MarkedBoxHasAWhiteMiddleOnlyAboveFactorTwo) {
    zoom.FollowCursor(100, 100);
    ZoomPicture p = zoom.Picture();
    EXPECT_EQ(p.box, (Rect{109, 109, 186, 186}));
    EXPECT_EQ(p.picture, (Rect{110, 110, 185, 185}));
    EXPECT_EQ(p.source, (Rect{88, 88, 113, 113}));
    // Cell 12's block starts at 110 + 36; the box is one pixel clear of it.
    EXPECT_EQ(p.markedBox, Rect::FromXYWH(109 + 36, 109 + 36, 5, 5));
    ASSERT_EQ(p.whiteSideCount, 4);
    EXPECT_EQ(p.whiteSides[0], Rect::FromXYWH(145, 147, 1, 1));  // left side, pixel 2
    EXPECT_EQ(p.whiteSides[2], Rect::FromXYWH(149, 147, 1, 1));  // right side
    EXPECT_EQ(p.whiteSides[3], Rect::FromXYWH(147, 149, 1, 1));  // bottom side

    zoom.Configure(12, 6);
    zoom.FollowCursor(100, 100);
    p = zoom.Picture();
    EXPECT_EQ(p.whiteSides[1], Rect::FromXYWH(p.markedBox.left + 2, p.markedBox.top, 4, 1));

    for (int factor : {1, 2}) {
        zoom.Configure(12, factor);
        zoom.FollowCursor(100, 100);
        p = zoom.Picture();
        EXPECT_EQ(p.whiteSideCount, 0);
        EXPECT_EQ(p.markedBox.Width(), factor + 2);
    }
}

TEST_F(ZoomPaneTest, SelectionRingInsideThePicture) {
    zoom.FollowCursor(100, 100);  // source 88..112, picture at 110
    Select(90, 95, 10, 5);
    ZoomPicture p = zoom.Picture();
    // Selection cells 2..11 x 7..11, blocks of 3, then one pixel out.
    EXPECT_EQ(p.selectionRing, (Rect{110 + 6 - 1, 110 + 21 - 1, 110 + 36 + 1, 110 + 36 + 1}));

    Select(500, 500, 10, 10);  // misses the square
    EXPECT_TRUE(zoom.Picture().selectionRing.IsEmpty());
    Select(0, 0, 0, 0);  // no selection
    EXPECT_TRUE(zoom.Picture().selectionRing.IsEmpty());

    Select(0, 0, 400, 400);  // covers it: the ring runs along the border
    p = zoom.Picture();
    EXPECT_EQ(p.selectionRing, p.box);
}

TEST_F(ZoomPaneTest, SourceFrameDirtyRectJoinsPreviousAndCurrentOutlines) {
    zoom.FollowCursor(100, 100);
    EXPECT_EQ(zoom.SourceFrameDirtyRect(), (Rect{86, 86, 115, 115}));
    zoom.FollowCursor(200, 100);
    EXPECT_EQ(zoom.SourceFrameDirtyRect(), (Rect{86, 86, 215, 115}));
    EXPECT_EQ(zoom.SourceFrameDirtyRect(), (Rect{186, 86, 215, 115}));
}

TEST(NearestCorner, PicksTheQuarterOfThePointerWithTheCentreLineGoingRightAndDown) {
    Selection s;
    s.left = 100;
    s.top = 100;
    s.width = 200;
    s.height = 200;
    EXPECT_EQ(NearestCornerPixel(s, 250, 260), (Point{299, 299}));
    EXPECT_EQ(NearestCornerPixel(s, 150, 120), (Point{100, 100}));
    EXPECT_EQ(NearestCornerPixel(s, 200, 199), (Point{299, 100}));  // on the centre column
}

}  // namespace
}  // namespace mrv
