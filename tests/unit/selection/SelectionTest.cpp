// Selection geometry: drags from every handle with and without the grid,
// clamping at every screen edge, nudges, the hit test of small and thin
// selections, the frame's dirty rectangle and the frame ring.
#include <gtest/gtest.h>

#include <vector>

#include "selection/Selection.h"
#include "settings/Settings.h"

namespace mrv {
namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;

class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() {
        sel.BindSettings(settings);
        sel.SetScreenSize(kScreenW, kScreenH);
    }
    void Place(int l, int t, int w, int h) {
        sel.left = l;
        sel.top = t;
        sel.width = w;
        sel.height = h;
    }
    // Press, drag and release on a handle, as the pointer handler does.
    void DragHandle(int mode, int x, int y, int grid) {
        sel.mode = mode;
        sel.BeginDrag(x, y);
        sel.EndDrag(x, y, grid);
    }

    Settings settings;
    Selection sel;
};

#define EXPECT_RECT(sel, l, t, w, h) \
    do {                             \
        EXPECT_EQ((sel).left, l);    \
        EXPECT_EQ((sel).top, t);     \
        EXPECT_EQ((sel).width, w);   \
        EXPECT_EQ((sel).height, h);  \
    } while (0)

// --- ResizeTo ---------------------------------------------------------------

TEST_F(SelectionTest, NewDragWithoutGridIncludesThePointerPixel) {
    sel.mode = MODE_NEW;
    sel.BeginDrag(10, 10);
    sel.mode = MODE_BOTTOM_RIGHT;  // what a press turns into once it drags
    sel.ResizeTo(30, 20, 1);
    EXPECT_RECT(sel, 10, 10, 21, 11);
    sel.ResizeTo(0, 5, 1);  // back across the anchor: flips, mode stays
    EXPECT_RECT(sel, 0, 5, 11, 6);
    EXPECT_EQ(sel.mode, MODE_BOTTOM_RIGHT);
    sel.ResizeTo(10, 10, 1);  // smallest possible
    EXPECT_RECT(sel, 10, 10, 1, 1);
}

TEST_F(SelectionTest, GridSnapsTowardTheAnchor) {
    sel.mode = MODE_BOTTOM_RIGHT;
    sel.anchorX = 10;
    sel.anchorY = 10;
    sel.ResizeTo(30, 30, 8);
    EXPECT_RECT(sel, 10, 10, 16, 16);
    sel.ResizeTo(0, 0, 8);  // -10 / 8 truncates to -1: snapped point 2
    EXPECT_RECT(sel, 2, 2, 8, 8);
    sel.ResizeTo(12, 17, 8);  // snapped point equals the anchor
    EXPECT_RECT(sel, 10, 10, 1, 1);
    sel.ResizeTo(10, 10, 8);
    EXPECT_RECT(sel, 10, 10, 1, 1);
    sel.ResizeTo(30, 30, 0);  // a grid below 1 is no grid
    EXPECT_RECT(sel, 10, 10, 21, 21);
}

TEST_F(SelectionTest, EdgeHandlesChangeOnlyTheirAxis) {
    Place(100, 100, 50, 40);
    DragHandle(MODE_RIGHT, 180, 500, 1);
    EXPECT_RECT(sel, 100, 100, 81, 40);
    Place(100, 100, 50, 40);
    DragHandle(MODE_BOTTOM, 500, 160, 1);
    EXPECT_RECT(sel, 100, 100, 50, 61);
    Place(100, 100, 50, 40);
    DragHandle(MODE_TOP, 0, 90, 1);  // anchor is one past the last row
    EXPECT_RECT(sel, 100, 90, 50, 51);
}

TEST_F(SelectionTest, ReleasingTheLeftEdgeInPlaceWidensByOnePixel) {
    Place(50, 60, 20, 10);
    DragHandle(MODE_LEFT, 50, 65, 1);
    EXPECT_RECT(sel, 50, 60, 21, 10);
    Place(50, 60, 20, 10);
    DragHandle(MODE_TOP_LEFT, 50, 60, 1);
    EXPECT_RECT(sel, 50, 60, 21, 11);
}

TEST_F(SelectionTest, BeginDragAnchorsTheOppositeEdgeOrCorner) {
    struct Case {
        int mode;
        int anchorX;
        int anchorY;
    } cases[] = {
        {MODE_BOTTOM_LEFT, 130, 20}, {MODE_BOTTOM, 100, 20},    {MODE_BOTTOM_RIGHT, 100, 20},
        {MODE_LEFT, 130, 20},        {MODE_RIGHT, 100, 20},     {MODE_TOP_LEFT, 130, 60},
        {MODE_TOP, 100, 60},         {MODE_TOP_RIGHT, 100, 60}, {MODE_NEW, 7, 9},
        {MODE_MOVE, 7, 9},
    };
    for (const Case& c : cases) {
        Place(100, 20, 30, 40);
        sel.mode = c.mode;
        sel.BeginDrag(7, 9);
        EXPECT_EQ(sel.anchorX, c.anchorX) << "mode " << c.mode;
        EXPECT_EQ(sel.anchorY, c.anchorY) << "mode " << c.mode;
    }
}

// --- Clamping ------------------------------------------------------------

TEST_F(SelectionTest, ResizePastAScreenEdgeShiftsInsteadOfShrinking) {
    Place(100, 100, 50, 50);
    DragHandle(MODE_BOTTOM_LEFT, -30, 120, 1);  // left of the screen
    EXPECT_RECT(sel, 0, 100, 181, 21);          // the anchored edge moves

    Place(700, 100, 50, 50);
    DragHandle(MODE_RIGHT, 900, 0, 1);
    EXPECT_RECT(sel, kScreenW - 201, 100, 201, 50);

    Place(100, 100, 50, 50);
    DragHandle(MODE_TOP, 0, -20, 1);
    EXPECT_RECT(sel, 100, 0, 50, 171);

    Place(100, 500, 50, 50);
    DragHandle(MODE_BOTTOM, 0, 650, 1);
    EXPECT_RECT(sel, 100, kScreenH - 151, 50, 151);
}

TEST_F(SelectionTest, NothingLargerThanTheScreen) {
    sel.mode = MODE_BOTTOM_RIGHT;
    sel.anchorX = -100;
    sel.anchorY = -100;
    sel.ResizeTo(2000, 1500, 1);
    EXPECT_RECT(sel, 0, 0, kScreenW, kScreenH);
    Place(-5, 990, 5000, 5000);
    sel.ClampToScreen();
    EXPECT_RECT(sel, 0, 0, kScreenW, kScreenH);
}

// --- Moving ----------------------------------------------------------------

TEST_F(SelectionTest, MoveKeepsTheGrabOffsetAndStaysOnScreen) {
    Place(100, 100, 40, 30);
    sel.mode = MODE_MOVE;
    sel.BeginMove(110, 105);
    EXPECT_EQ(sel.anchorX, 10);
    EXPECT_EQ(sel.anchorY, 5);
    sel.MoveGrabTo(210, 305);
    EXPECT_RECT(sel, 200, 300, 40, 30);
    sel.EndDrag(5, 5000, 8);  // release: a move ignores the grid
    EXPECT_RECT(sel, 0, kScreenH - 30, 40, 30);
}

TEST_F(SelectionTest, EndDragInNewModeChangesNothing) {
    Place(100, 100, 40, 30);
    sel.mode = MODE_NEW;
    sel.EndDrag(300, 300, 1);
    EXPECT_RECT(sel, 100, 100, 40, 30);
}

TEST_F(SelectionTest, NudgeStopsAtTheScreenEdges) {
    Place(3, 3, 40, 30);
    sel.Nudge(kNudgeLeft, 8);
    sel.Nudge(kNudgeUp, 8);
    EXPECT_RECT(sel, 0, 0, 40, 30);

    Place(kScreenW - 2 - 40, kScreenH - 1 - 30, 40, 30);
    sel.Nudge(kNudgeRight, 8);
    sel.Nudge(kNudgeDown, 8);
    EXPECT_RECT(sel, kScreenW - 40, kScreenH - 30, 40, 30);

    Place(100, 100, 40, 30);
    sel.Nudge(kNudgeRight, 1);
    sel.Nudge(kNudgeDown, 1);
    sel.Nudge(4, 50);  // not a direction
    EXPECT_RECT(sel, 101, 101, 40, 30);
}

// --- Hit test --------------------------------------------------------------

TEST_F(SelectionTest, ClassifyLargeSelection) {
    Place(100, 100, 200, 100);  // right = 300, bottom = 200
    EXPECT_EQ(sel.Classify(200, 150), MODE_MOVE);
    EXPECT_EQ(sel.Classify(150, 150), MODE_MOVE);  // interior outside the bands
    EXPECT_EQ(sel.Classify(95, 95), MODE_TOP_LEFT);
    EXPECT_EQ(sel.Classify(299, 95), MODE_TOP_RIGHT);
    EXPECT_EQ(sel.Classify(95, 199), MODE_BOTTOM_LEFT);
    EXPECT_EQ(sel.Classify(310, 210), MODE_BOTTOM_RIGHT);
    EXPECT_EQ(sel.Classify(150, 111), MODE_TOP);  // 12-pixel band inside the edge
    EXPECT_EQ(sel.Classify(150, 112), MODE_MOVE);
    EXPECT_EQ(sel.Classify(150, 188), MODE_BOTTOM);
    EXPECT_EQ(sel.Classify(111, 150), MODE_LEFT);
    EXPECT_EQ(sel.Classify(288, 150), MODE_RIGHT);
    // The reach: left/top inclusive, right/bottom exclusive.
    EXPECT_EQ(sel.Classify(76, 150), MODE_LEFT);
    EXPECT_EQ(sel.Classify(75, 150), MODE_NEW);
    EXPECT_EQ(sel.Classify(323, 150), MODE_RIGHT);
    EXPECT_EQ(sel.Classify(324, 150), MODE_NEW);
    EXPECT_EQ(sel.Classify(200, 224), MODE_NEW);
    EXPECT_TRUE(sel.IsNear(76, 76));
    EXPECT_FALSE(sel.IsNear(324, 150));
    EXPECT_FALSE(sel.IsNear(200, 224));
}

TEST_F(SelectionTest, ClassifySmallNarrowAndLowSelections) {
    Place(100, 100, 20, 20);
    EXPECT_EQ(sel.Classify(110, 110), MODE_MOVE);
    EXPECT_EQ(sel.Classify(102, 110), MODE_LEFT);   // left + top + bottom bands
    EXPECT_EQ(sel.Classify(118, 110), MODE_RIGHT);  // top + right + bottom

    Place(100, 100, 2, 2);                               // centre square [95, 107)
    EXPECT_EQ(sel.Classify(94, 94), MODE_BOTTOM_RIGHT);  // all four bands
    EXPECT_EQ(sel.Classify(100, 100), MODE_MOVE);

    Place(100, 100, 4, 200);  // narrow: both side bands everywhere inside
    EXPECT_EQ(sel.Classify(101, 105), MODE_TOP);
    EXPECT_EQ(sel.Classify(101, 150), MODE_MOVE);
    EXPECT_EQ(sel.Classify(101, 290), MODE_BOTTOM);

    Place(100, 100, 200, 4);  // low: both horizontal bands everywhere inside
    EXPECT_EQ(sel.Classify(105, 101), MODE_LEFT);
    EXPECT_EQ(sel.Classify(150, 101), MODE_MOVE);
    EXPECT_EQ(sel.Classify(290, 101), MODE_RIGHT);
}

TEST_F(SelectionTest, ClearedSelectionStillAnswersNearTheOrigin) {
    Place(100, 100, 20, 20);
    sel.mode = MODE_LEFT;
    sel.Clear();
    EXPECT_RECT(sel, 0, 0, 0, 0);
    EXPECT_EQ(sel.mode, MODE_LEFT);
    EXPECT_EQ(sel.GetRect(), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(sel.Classify(3, 3), MODE_MOVE);
    EXPECT_TRUE(sel.IsNear(23, 23));
    EXPECT_FALSE(sel.IsNear(24, 0));
    EXPECT_EQ(sel.Classify(30, 30), MODE_NEW);
}

TEST_F(SelectionTest, LinkedSettingsAreReadAtEveryUse) {
    Place(100, 100, 200, 100);
    EXPECT_EQ(sel.Classify(80, 150), MODE_LEFT);
    settings.handleReach = 10;
    EXPECT_EQ(sel.Classify(80, 150), MODE_NEW);
    EXPECT_FALSE(sel.IsNear(80, 150));
    EXPECT_EQ(sel.Classify(135, 150), MODE_MOVE);
    settings.edgeBand = 40;
    EXPECT_EQ(sel.Classify(135, 150), MODE_LEFT);
    settings.frameWidth = 5;
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{95, 95, 305, 205}));
}

// --- Frame -----------------------------------------------------------------

TEST_F(SelectionTest, FrameDirtyRectCoversOldAndNewFrame) {
    Place(100, 100, 50, 40);
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 152, 142}));  // first: just the current
    Place(200, 120, 10, 10);
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 212, 142}));
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{198, 118, 212, 132}));
    sel.Clear();
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{-2, -2, 212, 132}));
}

// Counts the pixels the ring's bands cover; each must be covered once, inside
// the outer rectangle and outside the inner one.
void ExpectRingCoversExactlyOuterMinusInner(const FrameRing& ring) {
    const Rect& o = ring.outer;
    for (int y = o.top - 1; y <= o.bottom; ++y) {
        for (int x = o.left - 1; x <= o.right; ++x) {
            int hits = 0;
            for (int i = 0; i < ring.bandCount; ++i) hits += ring.bands[i].Contains({x, y}) ? 1 : 0;
            const bool inRing = o.Contains({x, y}) && !ring.inner.Contains({x, y});
            ASSERT_EQ(hits, inRing ? 1 : 0) << "pixel " << x << "," << y;
        }
    }
}

TEST_F(SelectionTest, FrameRingIsTheOuterRectangleMinusTheSelection) {
    const Rect shapes[] = {
        {10, 10, 30, 20}, {10, 10, 11, 11}, {0, 0, 0, 0}, {5, 5, 5, 40}, {5, 5, 60, 5}};
    for (int width : {1, 2, 3}) {
        settings.frameWidth = width;
        for (const Rect& r : shapes) {
            Place(r.left, r.top, r.Width(), r.Height());
            FrameRing ring = sel.FrameRingGeometry();
            EXPECT_EQ(ring.inner, r);
            EXPECT_EQ(ring.outer, r.Inflated(width, width));
            ExpectRingCoversExactlyOuterMinusInner(ring);
        }
    }
}

TEST(SelectionUnbound, WorksWithDefaultLinksBeforeBinding) {
    Selection sel;
    EXPECT_EQ(sel.mode, MODE_NEW);
    EXPECT_EQ(*sel.handleReach, 24);
    EXPECT_EQ(*sel.edgeBand, 12);
    EXPECT_EQ(*sel.dragThreshold, 3);
    EXPECT_EQ(*sel.frameWidth, 2);
    EXPECT_EQ(*sel.pinnedFrameForeColor, 0x6666FFu);
    sel.ClampToScreen();  // no screen yet: nothing to show
    EXPECT_EQ(sel.GetRect(), (Rect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace mrv
