// Tool panel: which buttons show (default, pinned, none), the panel's size,
// its four corner placements and the push off the top edge, hover columns up
// to the right edge, press-and-release on the same or another button, and
// where each icon goes at rest, hovered and pressed.
#include <gtest/gtest.h>

#include <vector>

#include "FakeStrips.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/ToolPanel.h"

namespace mrv {
namespace {

class ToolPanelTest : public ::testing::Test {
protected:
    ToolPanelTest() {
        panel.AttachShadowStrips(&strips);
        panel.Init(Size{1024, 768});
        panel.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        panel.Layout();
        Select(100, 100, 320, 200);
    }
    void Select(int l, int t, int w, int h) {
        selection.left = l;
        selection.top = t;
        selection.width = w;
        selection.height = h;
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

TEST_F(ToolPanelTest, DefaultSetAndSizeBelowLeftOfTheSelection) {
    EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 6, 11, 13, 18, 19}));
    EXPECT_EQ(panel.ShownCount(), 7);
    EXPECT_EQ(panel.ContentWidth(), 194);
    EXPECT_EQ(panel.ContentHeight(), 28);
    EXPECT_EQ(panel.OuterWidth(), 198);
    EXPECT_EQ(panel.OuterHeight(), 32);
    EXPECT_EQ(strips.lastBottomWidth, 24);  // shadow strips for one button
    EXPECT_EQ(strips.lastRightHeight, 24);
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.X(), 101);
    EXPECT_EQ(panel.Y(), 300);
    EXPECT_EQ(ToolButtonLabel(11), L"コピー Ctrl+C");
    EXPECT_TRUE(ToolButtonLabel(20).empty());
}

TEST_F(ToolPanelTest, PinnedSetDropsPinSettingsExitAndAlwaysHasMinimise) {
    settings.toolButtons[15] = 1;
    settings.toolButtons[17] = 1;
    settings.toolButtons[18] = 0;
    panel.SetPinned(true);
    panel.Layout();
    EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 6, 11, 13, 18}));
    EXPECT_EQ(panel.ContentWidth(), 6 * 28 - 2);
    panel.SetPinned(false);
    panel.Layout();
    EXPECT_EQ(Shown(), (std::vector<int>{0, 3, 6, 11, 13, 15, 17, 19}));
    EXPECT_FALSE(panel.IsButtonShown(-1));
    EXPECT_FALSE(panel.IsButtonShown(20));
}

TEST_F(ToolPanelTest, NoButtonTickedShowsNothingAndHitsNothing) {
    for (auto& b : settings.toolButtons) b = 0;
    panel.Layout();
    EXPECT_EQ(panel.ContentWidth(), -2);
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.TrackHover(panel.X(), panel.Y()), -1);
    EXPECT_EQ(panel.TrackHover(panel.X() - 1, panel.Y() + 5), -1);
    ToolButtonSlot slots[kToolButtonCount];
    EXPECT_EQ(panel.ButtonSlots(slots), 0);
}

TEST_F(ToolPanelTest, CornerPlacementsAndThePushOffTheTopEdge) {
    const int w = panel.ContentWidth();
    settings.toolPanelCorner = kCornerAboveLeft;
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.X(), 101);
    EXPECT_EQ(panel.Y(), 100 - 28 - 6);
    settings.toolPanelCorner = kCornerAboveRight;
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.X(), 420 - w - 4);
    EXPECT_EQ(panel.Y(), 66);
    settings.toolPanelCorner = kCornerBelowRight;
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.X(), 420 - w - 4);
    EXPECT_EQ(panel.Y(), 300);
    settings.toolPanelCorner = 9;  // unknown: stays where it was
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.Y(), 300);

    settings.toolPanelCorner = kCornerAboveLeft;
    Select(100, 10, 320, 200);  // the panel would start at -24
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.Y(), -24 + 32);
    Select(900, 700, 100, 68);  // bottom-right of the screen: pulled back
    settings.toolPanelCorner = kCornerBelowRight;
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.Y(), 768 - 32);
}

TEST_F(ToolPanelTest, HoverColumnsIncludeTheGapAndThePanelsRightEdge) {
    panel.PlaceAtCorner();  // (101, 300), buttons 0 3 6 11 13 18 19
    const int x = panel.X();
    const int y = panel.Y();
    EXPECT_EQ(panel.TrackHover(x, y), 0);
    EXPECT_EQ(panel.TrackHover(x + 27, y + 28), 0);  // the gap and the bottom edge
    EXPECT_EQ(panel.TrackHover(x + 28, y + 10), 3);
    EXPECT_EQ(panel.TrackHover(x + 5 * 28, y + 10), 18);
    EXPECT_EQ(panel.TrackHover(x + 194, y + 10), 19);  // right edge
    EXPECT_EQ(panel.HoverIndex(), 19);
    EXPECT_EQ(panel.TrackHover(x + 195, y + 10), -1);
    EXPECT_EQ(panel.HoverIndex(), -1);
    EXPECT_EQ(panel.TrackHover(x + 10, y - 1), -1);
    EXPECT_EQ(panel.TrackHover(x + 10, y + 29), -1);
    panel.SetVisible(false);
    EXPECT_EQ(panel.TrackHover(x + 10, y + 10), -1);
}

TEST_F(ToolPanelTest, AClickRunsOnlyWhenPressAndReleaseAreOnTheSameButton) {
    panel.PlaceAtCorner();
    const int x = panel.X();
    const int y = panel.Y() + 10;
    panel.TrackHover(x + 28 + 5, y);  // button 3
    panel.Press();
    EXPECT_EQ(panel.PressedIndex(), 3);
    panel.TrackHover(x + 2 * 28 + 5, y);  // released over button 6
    EXPECT_EQ(panel.TakeClick(), -1);
    EXPECT_EQ(panel.PressedIndex(), -1);

    panel.TrackHover(x + 28 + 5, y);
    panel.Press();
    panel.TrackHover(x + 28 + 20, y);  // still button 3
    EXPECT_EQ(panel.TakeClick(), 3);
    EXPECT_EQ(panel.PressedIndex(), -1);
    EXPECT_EQ(panel.TakeClick(), -1);  // nothing pressed now

    panel.TrackHover(x - 5, y);  // pressed beside the buttons: nothing to run
    panel.Press();
    EXPECT_EQ(panel.TakeClick(), -1);
}

TEST_F(ToolPanelTest, IconOffsetsAtRestHoveredAndPressed) {
    panel.PlaceAtCorner();
    const int x = panel.X();
    const int y = panel.Y();
    ToolButtonSlot slots[kToolButtonCount];

    ASSERT_EQ(panel.ButtonSlots(slots), 7);
    EXPECT_EQ(slots[1].index, 3);
    EXPECT_EQ(slots[1].shadowBox, Rect::FromXYWH(x + 28, y + 2, 24, 24));
    EXPECT_EQ(slots[1].iconAt, (Point{x + 28 + 2, y + 4}));
    EXPECT_EQ(slots[1].iconSource, (Point{72, 0}));

    panel.TrackHover(x + 30, y + 5);  // hover button 3: it rises, highlighted
    panel.ButtonSlots(slots);
    EXPECT_EQ(slots[1].iconAt, (Point{x + 28, y + 2}));
    EXPECT_EQ(slots[1].iconSource, (Point{72, 24}));
    EXPECT_EQ(slots[0].iconAt, (Point{x + 2, y + 4}));

    panel.Press();                    // pressed: it sinks one pixel below rest
    panel.TrackHover(x + 60, y + 5);  // and the pointer wanders to button 6
    panel.ButtonSlots(slots);
    EXPECT_EQ(slots[1].iconAt, (Point{x + 28 + 3, y + 5}));
    EXPECT_EQ(slots[1].iconSource, (Point{72, 24}));
    EXPECT_EQ(slots[2].iconAt, (Point{x + 56 + 2, y + 4}));  // hovered, but at rest
    EXPECT_EQ(slots[2].iconSource, (Point{144, 0}));
}

TEST_F(ToolPanelTest, PinnedBackgroundSpansTheOuterBoxBelowTheTopTwoRows) {
    panel.PlaceAtCorner();
    EXPECT_EQ(panel.PinnedBackground(), Rect::FromXYWH(101, 302, 198, 30));
}

}  // namespace
}  // namespace mrv
