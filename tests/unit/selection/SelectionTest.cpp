// Selection geometry: drags from the handles with and without the grid,
// clamping at every screen edge, nudges, the hit test of small and thin
// selections, the frame's dirty rectangle and the frame ring.
#include <gtest/gtest.h>

#include <ostream>

#include "selection/Selection.h"
#include "settings/Settings.h"

namespace mrv {

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ") " << r.Width() << " x " << r.Height();
}

namespace {

constexpr int kW = 800;  // screen
constexpr int kH = 600;

class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() {
        sel.BindSettings(settings);
        sel.SetScreenSize(kW, kH);
    }
    void Place(int l, int t, int w, int h) {
        sel.left = l;
        sel.top = t;
        sel.width = w;
        sel.height = h;
    }
    // Press on a handle and release at (x, y), as the pointer handler does.
    Rect DragHandle(int mode, int x, int y, int grid = 1) {
        sel.mode = mode;
        sel.BeginDrag(x, y);
        sel.EndDrag(x, y, grid);
        return sel.GetRect();
    }

    Settings settings;
    Selection sel;
};

Rect XYWH(int x, int y, int w, int h) {
    return Rect::FromXYWH(x, y, w, h);
}

TEST_F(SelectionTest, ResizeWithoutGridIncludesThePointerPixelAndFlips) {
    sel.BeginDrag(10, 10);  // mode 1: anchor at the press point
    sel.mode = MODE_BOTTOM_RIGHT;
    sel.ResizeTo(30, 20, 1);
    EXPECT_EQ(sel.GetRect(), XYWH(10, 10, 21, 11));
    sel.ResizeTo(0, 5, 1);
    EXPECT_EQ(sel.GetRect(), XYWH(0, 5, 11, 6));
    EXPECT_EQ(sel.mode, MODE_BOTTOM_RIGHT);
    sel.ResizeTo(10, 10, 1);
    EXPECT_EQ(sel.GetRect(), XYWH(10, 10, 1, 1));
}

TEST_F(SelectionTest, GridSnapsTowardTheAnchor) {
    sel.mode = MODE_BOTTOM_RIGHT;
    sel.anchorX = sel.anchorY = 10;
    sel.ResizeTo(30, 30, 8);
    EXPECT_EQ(sel.GetRect(), XYWH(10, 10, 16, 16));
    sel.ResizeTo(0, 0, 8);  // -10 / 8 truncates to -1: snapped point 2
    EXPECT_EQ(sel.GetRect(), XYWH(2, 2, 8, 8));
    sel.ResizeTo(12, 17, 8);  // snapped point equals the anchor
    EXPECT_EQ(sel.GetRect(), XYWH(10, 10, 1, 1));
    sel.ResizeTo(30, 30, 0);  // a grid below 1 is no grid (no division by zero)
    EXPECT_EQ(sel.GetRect(), XYWH(10, 10, 21, 21));
}

TEST_F(SelectionTest, HandlesAnchorTheOppositeSideAndChangeOnlyTheirAxes) {
    Place(100, 100, 50, 40);
    EXPECT_EQ(DragHandle(MODE_RIGHT, 180, 500), XYWH(100, 100, 81, 40));
    Place(100, 100, 50, 40);
    EXPECT_EQ(DragHandle(MODE_BOTTOM, 500, 160), XYWH(100, 100, 50, 61));
    Place(100, 100, 50, 40);
    EXPECT_EQ(DragHandle(MODE_TOP_RIGHT, 119, 0), XYWH(100, 0, 20, 141));
    Place(100, 100, 50, 40);
    EXPECT_EQ(DragHandle(MODE_BOTTOM_LEFT, 149, 100), XYWH(149, 100, 2, 1));
    // The anchor of a left or top handle is one past the last column or row,
    // so releasing on the edge itself widens the selection by one pixel.
    Place(50, 60, 20, 10);
    EXPECT_EQ(DragHandle(MODE_LEFT, 50, 65), XYWH(50, 60, 21, 10));
    Place(50, 60, 20, 10);
    EXPECT_EQ(DragHandle(MODE_TOP_LEFT, 50, 60), XYWH(50, 60, 21, 11));
    Place(50, 60, 20, 10);
    EXPECT_EQ(DragHandle(MODE_TOP, 0, 60), XYWH(50, 60, 20, 11));
}

TEST_F(SelectionTest, ClampingShiftsInsteadOfShrinking) {
    Place(100, 100, 50, 50);
    EXPECT_EQ(DragHandle(MODE_BOTTOM_LEFT, -30, 120), XYWH(0, 100, 181, 21));
    Place(700, 100, 50, 50);
    EXPECT_EQ(DragHandle(MODE_RIGHT, 900, 0), XYWH(kW - 201, 100, 201, 50));
    Place(100, 100, 50, 50);
    EXPECT_EQ(DragHandle(MODE_TOP, 0, -20), XYWH(100, 0, 50, 171));
    Place(100, 500, 50, 50);
    EXPECT_EQ(DragHandle(MODE_BOTTOM, 0, 650), XYWH(100, kH - 151, 50, 151));
    Place(-5, 990, 5000, 5000);  // larger than the screen: the screen
    sel.ClampToScreen();
    EXPECT_EQ(sel.GetRect(), XYWH(0, 0, kW, kH));
}

TEST_F(SelectionTest, MovesAndNudgesKeepTheSizeAndStayOnScreen) {
    Place(100, 100, 40, 30);
    sel.mode = MODE_MOVE;
    sel.BeginMove(110, 105);
    sel.MoveGrabTo(210, 305);
    EXPECT_EQ(sel.GetRect(), XYWH(200, 300, 40, 30));
    sel.EndDrag(5, 5000, 8);  // a move ignores the grid
    EXPECT_EQ(sel.GetRect(), XYWH(0, kH - 30, 40, 30));
    sel.mode = MODE_NEW;
    sel.EndDrag(300, 300, 1);  // nothing to finish
    EXPECT_EQ(sel.GetRect(), XYWH(0, kH - 30, 40, 30));

    Place(3, 3, 40, 30);
    sel.Nudge(kNudgeLeft, 8);
    sel.Nudge(kNudgeUp, 8);
    EXPECT_EQ(sel.GetRect(), XYWH(0, 0, 40, 30));
    Place(kW - 42, kH - 31, 40, 30);
    sel.Nudge(kNudgeRight, 8);
    sel.Nudge(kNudgeDown, 8);
    sel.Nudge(4, 50);  // not a direction
    EXPECT_EQ(sel.GetRect(), XYWH(kW - 40, kH - 30, 40, 30));
}

TEST_F(SelectionTest, ClassifyLargeSelection) {
    Place(100, 100, 200, 100);  // outer box with reach 24: [76, 324) x [76, 224)
    const struct {
        int x, y, mode;
    } cases[] = {
        {200, 150, MODE_MOVE},     {150, 150, MODE_MOVE},       {95, 95, MODE_TOP_LEFT},
        {299, 95, MODE_TOP_RIGHT}, {95, 199, MODE_BOTTOM_LEFT}, {310, 210, MODE_BOTTOM_RIGHT},
        {150, 111, MODE_TOP},      {150, 112, MODE_MOVE},       {150, 188, MODE_BOTTOM},
        {111, 150, MODE_LEFT},     {288, 150, MODE_RIGHT},      {76, 150, MODE_LEFT},
        {75, 150, MODE_NEW},       {323, 150, MODE_RIGHT},      {324, 150, MODE_NEW},
        {200, 224, MODE_NEW},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sel.Classify(c.x, c.y), c.mode) << c.x << "," << c.y;
        EXPECT_EQ(sel.IsNear(c.x, c.y), c.mode != MODE_NEW) << c.x << "," << c.y;
    }
}

TEST_F(SelectionTest, ClassifySmallNarrowAndLowSelections) {
    Place(100, 100, 20, 20);
    EXPECT_EQ(sel.Classify(110, 110), MODE_MOVE);
    EXPECT_EQ(sel.Classify(102, 110), MODE_LEFT);        // left + top + bottom bands
    EXPECT_EQ(sel.Classify(118, 110), MODE_RIGHT);       // top + right + bottom
    Place(100, 100, 2, 2);                               // centre square [95, 107)
    EXPECT_EQ(sel.Classify(94, 94), MODE_BOTTOM_RIGHT);  // all four bands
    EXPECT_EQ(sel.Classify(100, 100), MODE_MOVE);
    Place(100, 100, 4, 200);  // narrow: both side bands everywhere
    EXPECT_EQ(sel.Classify(101, 105), MODE_TOP);
    EXPECT_EQ(sel.Classify(101, 150), MODE_MOVE);
    EXPECT_EQ(sel.Classify(101, 290), MODE_BOTTOM);
    Place(100, 100, 200, 4);  // low: both horizontal bands everywhere
    EXPECT_EQ(sel.Classify(105, 101), MODE_LEFT);
    EXPECT_EQ(sel.Classify(150, 101), MODE_MOVE);
    EXPECT_EQ(sel.Classify(290, 101), MODE_RIGHT);
}

TEST_F(SelectionTest, ClearedSelectionStillAnswersNearTheOrigin) {
    Place(100, 100, 20, 20);
    sel.mode = MODE_LEFT;
    sel.Clear();
    EXPECT_EQ(sel.GetRect(), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(sel.mode, MODE_LEFT);
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
    EXPECT_EQ(sel.Classify(135, 150), MODE_MOVE);
    settings.edgeBand = 40;
    EXPECT_EQ(sel.Classify(135, 150), MODE_LEFT);
    settings.frameWidth = 5;
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{95, 95, 305, 205}));

    Selection unbound;  // before binding: the defaults
    EXPECT_EQ(*unbound.handleReach + *unbound.edgeBand + *unbound.frameWidth, 24 + 12 + 2);
}

TEST_F(SelectionTest, FrameDirtyRectCoversOldAndNewFrame) {
    Place(100, 100, 50, 40);
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 152, 142}));  // first: just the current
    Place(200, 120, 10, 10);
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 212, 142}));
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{198, 118, 212, 132}));
    sel.Clear();
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{-2, -2, 212, 132}));
}

TEST_F(SelectionTest, FrameRingIsTheOuterRectangleMinusTheSelection) {
    const Rect shapes[] = {{10, 10, 30, 20}, {10, 10, 11, 11}, {0, 0, 0, 0}, {5, 5, 5, 40}};
    for (int f : {1, 3}) {
        settings.frameWidth = f;
        for (const Rect& r : shapes) {
            Place(r.left, r.top, r.Width(), r.Height());
            const FrameRing ring = sel.FrameRingGeometry();
            ASSERT_EQ(ring.outer, r.Inflated(f, f));
            // Every pixel of the ring in exactly one band, none elsewhere.
            for (int y = ring.outer.top - 1; y <= ring.outer.bottom; ++y) {
                for (int x = ring.outer.left - 1; x <= ring.outer.right; ++x) {
                    int hits = 0;
                    for (int i = 0; i < ring.bandCount; ++i) hits += ring.bands[i].Contains({x, y});
                    const bool inRing = ring.outer.Contains({x, y}) && !r.Contains({x, y});
                    ASSERT_EQ(hits, inRing ? 1 : 0) << x << "," << y << " frame " << f;
                }
            }
        }
    }
}

}  // namespace
}  // namespace mrv
