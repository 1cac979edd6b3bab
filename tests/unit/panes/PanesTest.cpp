// Zoom pane and tool panel geometry.
#include <gtest/gtest.h>

#include <vector>

#include "FakeStrips.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/ToolPanel.h"
#include "view/ZoomPane.h"

namespace mrv {
namespace {

void Place(Selection& s, int l, int t, int w, int h) {
    s.left = l;
    s.top = t;
    s.width = w;
    s.height = h;
}

struct ZoomTest : ::testing::Test {
    ZoomTest() {
        zoom.AttachShadowStrips(&strips);
        zoom.Init(Size{1024, 768});
        zoom.LinkSelection(&selection);
        zoom.ConfigureFromSettings(settings);  // radius 12, factor 3
    }
    test::FakeStrips strips;
    Settings settings;
    Selection selection;
    ZoomPane zoom;
};

TEST_F(ZoomTest, SizesAndFollowingThePointer) {
    EXPECT_EQ(zoom.ContentWidth(), 77);
    EXPECT_EQ(zoom.OuterWidth(), 81);
    EXPECT_EQ(zoom.FlipMargin(), 8);
    zoom.FollowCursor(100, 100);
    EXPECT_EQ((Point{zoom.X(), zoom.Y()}), (Point{109, 109}));
    EXPECT_EQ((Point{zoom.SourceX(), zoom.SourceY()}), (Point{88, 88}));
    // Near the right edge the far edge comes to px - radius + 5.
    zoom.FollowCursor(974, 300);
    EXPECT_EQ(zoom.X() + zoom.OuterWidth(), 974 - 12 + 5);
}

TEST_F(ZoomTest, ScreenCornersClampTheSourceAndMoveTheMarkedCell) {
    zoom.FollowCursor(0, 0);
    EXPECT_EQ((Point{zoom.SourceX(), zoom.SourceY()}), (Point{0, 0}));
    EXPECT_EQ((Point{zoom.CursorCellX(), zoom.CursorCellY()}), (Point{0, 0}));
    zoom.FollowCursor(1023, 767);
    EXPECT_EQ((Point{zoom.SourceX(), zoom.SourceY()}), (Point{999, 743}));
    EXPECT_EQ((Point{zoom.CursorCellX(), zoom.CursorCellY()}), (Point{24, 24}));
    EXPECT_LT(zoom.X() + zoom.OuterWidth(), 1023);  // flipped up and left
    EXPECT_LT(zoom.Y() + zoom.OuterHeight(), 767);

    settings.zoomRadius = 1;  // flip margin -3: the pane may leave the screen
    zoom.ConfigureFromSettings(settings);
    zoom.FollowCursor(1023, 767);
    EXPECT_EQ(zoom.X(), 1021);
}

TEST_F(ZoomTest, MarkedBoxAndSelectionRingInThePicture) {
    zoom.FollowCursor(100, 100);  // picture at (110, 110), cell 12 at 146
    ZoomPicture p = zoom.Picture();
    EXPECT_EQ(p.markedBox, Rect::FromXYWH(145, 145, 5, 5));
    ASSERT_EQ(p.whiteSideCount, 4);
    EXPECT_EQ(p.whiteSides[0], Rect::FromXYWH(145, 147, 1, 1));
    EXPECT_EQ(p.whiteSides[3], Rect::FromXYWH(147, 149, 1, 1));

    Place(selection, 90, 95, 10, 5);  // cells 2-11 x 7-11, blocks of 3, one pixel out
    EXPECT_EQ(zoom.Picture().selectionRing, (Rect{115, 130, 147, 147}));
    Place(selection, 500, 500, 10, 10);
    EXPECT_TRUE(zoom.Picture().selectionRing.IsEmpty());
    Place(selection, 0, 0, 400, 400);  // covers the square: along the border
    EXPECT_EQ(zoom.Picture().selectionRing, zoom.Picture().box);

    zoom.Configure(12, 2);
    EXPECT_EQ(zoom.Picture().whiteSideCount, 0);
    EXPECT_EQ(zoom.Picture().markedBox.Width(), 4);
}

struct ToolTest : ::testing::Test {
    ToolTest() {
        panel.AttachShadowStrips(&strips);
        panel.Init(Size{1024, 768});
        panel.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        panel.Layout();
        Place(selection, 100, 100, 320, 200);
        panel.PlaceAtCorner();
    }
    std::vector<int> Shown() const {
        std::vector<int> shown;
        for (int i = 0; i < kToolButtonCount; ++i) {
            if (panel.IsButtonShown(i)) shown.push_back(i);
        }
        return shown;
    }
    test::FakeStrips strips;
    Settings settings;
    Selection selection;
    ToolPanel panel;
};

TEST_F(ToolTest, DefaultAndPinnedButtonSets) {
    EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 6, 11, 13, 18, 19}));
    EXPECT_EQ((Size{panel.ContentWidth(), panel.ContentHeight()}), (Size{194, 28}));
    EXPECT_EQ((Size{panel.OuterWidth(), panel.OuterHeight()}), (Size{198, 32}));
    EXPECT_EQ((Point{panel.X(), panel.Y()}), (Point{101, 300}));

    settings.toolButtons[15] = settings.toolButtons[17] = 1;
    settings.toolButtons[18] = 0;
    panel.SetPinned(true);
    panel.Layout();
    EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 6, 11, 13, 18}));

    for (auto& b : settings.toolButtons) b = 0;
    panel.SetPinned(false);
    panel.Layout();
    EXPECT_EQ(panel.ContentWidth(), -2);
    EXPECT_EQ(panel.TrackHover(panel.X(), panel.Y()), -1);
}

TEST_F(ToolTest, AboveLeftAtTheTopOfTheScreenIsPushedDown) {
    settings.toolPanelCorner = kCornerAboveLeft;
    Place(selection, 100, 10, 320, 200);  // would start at y = -24
    panel.PlaceAtCorner();
    EXPECT_EQ((Point{panel.X(), panel.Y()}), (Point{101, 8}));
}

TEST_F(ToolTest, HoverColumnsAndPressReleasePairs) {
    const int x = 101, y = 300;
    EXPECT_EQ(panel.TrackHover(x + 27, y + 28), 0);  // the gap and bottom edge belong
    EXPECT_EQ(panel.TrackHover(x + 28, y), 3);
    EXPECT_EQ(panel.TrackHover(x + 194, y + 5), 19);  // right edge: the last button
    EXPECT_EQ(panel.TrackHover(x + 195, y + 5), -1);

    panel.TrackHover(x + 30, y);  // press 3, release on 6
    panel.Press();
    panel.TrackHover(x + 60, y);
    EXPECT_EQ(panel.TakeClick(), -1);
    panel.TrackHover(x + 30, y);  // press and release on 3
    panel.Press();
    EXPECT_EQ(panel.TakeClick(), 3);
    EXPECT_EQ(panel.PressedIndex(), -1);
}

}  // namespace
}  // namespace mrv
