#include "selection/Interaction.h"

#include <gtest/gtest.h>

namespace mrv {
namespace {

TEST(PointerCode, MenuThenToolPanelThenPinnedThenMode) {
    PointerState s;
    s.mode = MODE_MOVE;
    EXPECT_EQ(PointerCode(s), MODE_MOVE);
    s.pinnedMode = true;
    EXPECT_EQ(PointerCode(s), kPointerOutside);
    s.pointerTarget = 2;
    EXPECT_EQ(PointerCode(s), kPointerTool);
    s.menuVisible = true;
    EXPECT_EQ(PointerCode(s), kPointerMenu);
}

TEST(CursorIndexFor, HandlesShareCursorsWithTheirOpposites) {
    EXPECT_EQ(CursorIndexFor(2, false, false), CursorIndexFor(10, false, false));
    EXPECT_EQ(CursorIndexFor(4, false, false), CursorIndexFor(8, false, false));
    EXPECT_EQ(CursorIndexFor(3, false, false), 7);
    EXPECT_EQ(CursorIndexFor(7, false, false), 5);
    // The move zone shows the open hand, or the closed one while dragging.
    EXPECT_EQ(CursorIndexFor(6, false, false), 9);
    EXPECT_EQ(CursorIndexFor(6, false, true), 10);
    // Outside: the crosshair, or the small plus in corner-snap mode.
    EXPECT_EQ(CursorIndexFor(1, false, false), 2);
    EXPECT_EQ(CursorIndexFor(1, true, false), 3);
    EXPECT_EQ(CursorIndexFor(11, false, false), 11);
    // The menu and anything unknown get the arrow.
    EXPECT_EQ(CursorIndexFor(0, true, true), 0);
    EXPECT_EQ(CursorIndexFor(12, false, false), 0);
    EXPECT_EQ(CursorIndexFor(-1, false, false), 0);
}

TEST(ZoomChoice, TheThreeChoices) {
    PointerState s;
    s.mode = MODE_MOVE;
    EXPECT_EQ(ZoomChoice(s, false, true, false, 10, 10), 1);  // keyboard
    EXPECT_EQ(ZoomChoice(s, false, false, false, 10, 10), 0);  // hovering the move zone
    EXPECT_EQ(ZoomChoice(s, true, false, false, 10, 10), 1);   // moving it
    EXPECT_EQ(ZoomChoice(s, false, false, true, 200, 200), 2);
    EXPECT_EQ(ZoomChoice(s, false, false, true, 100, 300), 1);
    EXPECT_EQ(ZoomChoice(s, false, false, true, 160, 159), 1);
    s.mode = MODE_RIGHT;
    EXPECT_EQ(ZoomChoice(s, true, false, true, 200, 200), 0);
    s.mode = MODE_MOVE;
    s.pinnedMode = true;
    EXPECT_EQ(ZoomChoice(s, true, false, true, 200, 200), 0);
}

TEST(ZoomTarget, NearestCornerCountsTheCentreLineAsRightAndBelow) {
    Selection sel;
    sel.left = 100;
    sel.top = 50;
    sel.width = 200;
    sel.height = 200;
    EXPECT_EQ(ZoomTarget(2, sel, 250, 200), (Point{299, 249}));
    EXPECT_EQ(ZoomTarget(2, sel, 199, 149), (Point{100, 50}));
    EXPECT_EQ(ZoomTarget(2, sel, 200, 150), (Point{299, 249}));  // exactly the centre
    EXPECT_EQ(ZoomTarget(1, sel, 250, 200), (Point{100, 50}));
    EXPECT_EQ(ZoomTarget(0, sel, 7, 8), (Point{7, 8}));
}

TEST(DragThreshold, ThreePixelsIsAClickFourIsADrag) {
    EXPECT_FALSE(PassedDragThreshold(100, 100, 103, 97, 3));
    EXPECT_TRUE(PassedDragThreshold(100, 100, 104, 100, 3));
    EXPECT_TRUE(PassedDragThreshold(100, 100, 100, 96, 3));
}

}  // namespace
}  // namespace mrv
