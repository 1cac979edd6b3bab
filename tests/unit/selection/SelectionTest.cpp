// Selection geometry: drags from the handles with and without the grid,
// clamping at every screen edge, moves and nudges, the hit test of large,
// small, narrow and low selections, the frame's dirty rectangle and ring.
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "selection/Selection.h"

namespace mrv {
namespace {

using Box = std::array<int, 4>;  // left, top, width, height
// The drag modes by their place on the frame, for the tables.
// clang-format off
enum : int { NEW = MODE_NEW, MOVE = MODE_MOVE, L = MODE_LEFT, R = MODE_RIGHT, T = MODE_TOP,
             B = MODE_BOTTOM, TL = MODE_TOP_LEFT, TR = MODE_TOP_RIGHT, BL = MODE_BOTTOM_LEFT,
             BR = MODE_BOTTOM_RIGHT };
// clang-format on

class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() {
        sel.BindSettings(settings);
        sel.SetScreenSize(800, 600);
    }
    void Place(Box b) { std::tie(sel.left, sel.top, sel.width, sel.height) = std::tuple_cat(b); }
    Box Now() const { return {sel.left, sel.top, sel.width, sel.height}; }

    Settings settings;
    Selection sel;
};

TEST_F(SelectionTest, DragsSnapClampAndIncludeThePointerPixel) {
    // Each from (100, 100) 50 x 40: press on a handle (inside for a move, at
    // (110, 105)), release at (x, y).
    // clang-format off
    const struct { int mode, x, y, grid; Box want; } drags[] = {
        // Without the grid the pointer's pixel is included; past the anchor it flips.
        {BR, 120, 110, 1, {100, 100, 21, 11}}, {BR, 90, 95, 1, {90, 95, 11, 6}},
        // The grid snaps toward the anchor (-10 / 8 truncates to -1); below 1 it is no grid.
        {BR, 120, 120, 8, {100, 100, 16, 16}}, {BR, 90, 90, 8, {92, 92, 8, 8}},
        {BR, 102, 107, 8, {100, 100, 1, 1}},   {BR, 120, 120, 0, {100, 100, 21, 21}},
        // Handles anchor the opposite side and change only their axes.
        {R, 180, 500, 1, {100, 100, 81, 40}},  {TR, 119, 0, 1, {100, 0, 20, 140}},
        {BL, 149, 100, 1, {149, 100, 1, 1}},
        // A left or top side dragged onto its own pixel stays where it was.
        {L, 100, 120, 1, {100, 100, 50, 40}},  {TL, 100, 100, 1, {100, 100, 50, 40}},
        {T, 0, 100, 1, {100, 100, 50, 40}},
        // Past a screen edge it is shifted back, not shrunk; too large, it is the screen.
        {BL, -30, 120, 1, {0, 100, 180, 21}},  {R, 850, 0, 1, {49, 100, 751, 40}},
        {T, 0, -20, 1, {100, 0, 50, 160}},     {B, 0, 650, 1, {100, 49, 50, 551}},
        {BR, 5000, 5000, 8, {0, 0, 800, 600}}, {TL, -5000, -5000, 1, {0, 0, 800, 600}},
        // A move keeps the size and ignores the grid; a new selection has nothing to finish.
        {MOVE, 210, 305, 8, {200, 300, 50, 40}}, {MOVE, 5, 5000, 1, {0, 560, 50, 40}},
        {NEW, 300, 300, 1, {100, 100, 50, 40}}};
    // clang-format on
    for (const auto& d : drags) {
        Place({100, 100, 50, 40});
        sel.mode = d.mode;
        d.mode == MOVE ? sel.BeginMove(110, 105) : sel.BeginDrag(110, 105);
        sel.EndDrag(d.x, d.y, d.grid);
        EXPECT_EQ(Now(), d.want) << "mode " << d.mode << " to " << d.x << "," << d.y;
    }
    // Nudges stop at the edges without shrinking.
    Place({3, 3, 40, 30});
    sel.Nudge(kNudgeLeft, 8);
    sel.Nudge(kNudgeUp, 8);
    EXPECT_EQ(Now(), (Box{0, 0, 40, 30}));
    sel.Nudge(kNudgeRight, 1000);
    sel.Nudge(kNudgeDown, 1000);
    sel.Nudge(4, 50);  // not a direction
    EXPECT_EQ(Now(), (Box{760, 570, 40, 30}));
    // Near the right and bottom edges, by one and by the grid: the last step
    // is cut short, and at the edge a step goes nowhere. A selection as wide
    // or as high as the screen cannot move along that axis.
    const struct {
        int direction, step;
        Box want;
    } steps[] = {{kNudgeRight, 1, {756, 565, 40, 30}}, {kNudgeRight, 8, {760, 565, 40, 30}},
                 {kNudgeRight, 1, {760, 565, 40, 30}}, {kNudgeRight, 8, {760, 565, 40, 30}},
                 {kNudgeDown, 1, {760, 566, 40, 30}},  {kNudgeDown, 8, {760, 570, 40, 30}},
                 {kNudgeDown, 1, {760, 570, 40, 30}},  {kNudgeDown, 8, {760, 570, 40, 30}}};
    Place({755, 565, 40, 30});
    for (const auto& s : steps) {
        sel.Nudge(s.direction, s.step);
        EXPECT_EQ(Now(), s.want) << "direction " << s.direction << " by " << s.step;
    }
    Place({0, 100, 800, 600});
    sel.Nudge(kNudgeRight, 8);
    sel.Nudge(kNudgeDown, 1);
    EXPECT_EQ(Now(), (Box{0, 0, 800, 600}));
}

TEST_F(SelectionTest, ClassifyFindsHandlesBandsAndTheMoveSquare) {
    // clang-format off
    const struct { Box placed; int reach, band; std::vector<std::array<int, 3>> hits; } cases[] = {
        // The outer box is [76, 324) x [76, 224); the bands reach 36 into it.
        {{100, 100, 200, 100}, 24, 12, {{76, 150, L}, {75, 150, NEW}, {323, 150, R},
                                        {324, 150, NEW}, {150, 111, T}, {150, 112, MOVE},
                                        {150, 188, B}, {200, 224, NEW}, {95, 95, TL},
                                        {299, 95, TR}, {95, 199, BL}, {310, 210, BR}}},
        // The linked settings are read at every use.
        {{100, 100, 200, 100}, 10, 40, {{80, 150, NEW}, {135, 150, L}}},
        // Small: three bands meet, or all four; the centre square is [95, 107).
        {{100, 100, 20, 20}, 24, 12, {{102, 110, L}, {118, 110, R}}},
        {{100, 100, 2, 2}, 24, 12, {{94, 94, BR}, {100, 100, MOVE}}},
        // Narrow: both side bands everywhere; low: both horizontal bands.
        {{100, 100, 4, 200}, 24, 12, {{101, 105, T}, {101, 150, MOVE}, {101, 290, B}}},
        {{100, 100, 200, 4}, 24, 12, {{105, 101, L}, {150, 101, MOVE}, {290, 101, R}}},
        // Without width or height, or cleared (to 0 x 0 at the origin): no
        // selection, nothing near it.
        {{5, 5, 0, 35}, 24, 12, {{5, 20, NEW}, {4, 5, NEW}}},
        {{}, 24, 12, {{0, 0, NEW}, {3, 3, NEW}, {23, 23, NEW}, {-24, -24, NEW}}}};
    // clang-format on
    sel.mode = MODE_LEFT;
    for (const auto& c : cases) {
        c.placed == Box{} ? sel.Clear() : Place(c.placed);
        settings.handleReach = c.reach;
        settings.edgeBand = c.band;
        for (const auto& [x, y, mode] : c.hits) {
            EXPECT_EQ(sel.Classify(x, y), mode) << x << "," << y;
            EXPECT_EQ(sel.IsNear(x, y), mode != NEW) << x << "," << y;
        }
    }
    EXPECT_EQ(Now(), Box{});
    EXPECT_EQ(sel.mode, MODE_LEFT);  // kept by Clear
}

TEST_F(SelectionTest, AHandleClickedInPlaceChangesNothingAndLeftAndTopMirrorRightAndBottom) {
    // 100 x 60 at (200, 150): a press on each handle's band, outside the
    // selection and inside it, released where it was pressed (with a move
    // onto the same point in between, as a mouse may report) changes
    // nothing, with the grid too.
    const Box start{200, 150, 100, 60};
    // clang-format off
    const struct { int mode, x, y; } presses[] = {
        {L, 180, 180}, {L, 205, 180}, {R, 318, 180}, {R, 295, 180}, {T, 250, 130},
        {T, 250, 158}, {B, 250, 230}, {B, 250, 205}, {TL, 180, 130}, {TR, 320, 131},
        {BL, 181, 229}, {BR, 299, 209}};
    // clang-format on
    for (const auto& p : presses) {
        for (const int grid : {1, 8}) {
            Place(start);
            ASSERT_EQ(sel.Classify(p.x, p.y), p.mode) << p.x << "," << p.y;
            sel.mode = p.mode;
            sel.BeginDrag(p.x, p.y);
            sel.ResizeTo(p.x, p.y, grid);
            sel.EndDrag(p.x, p.y, grid);
            EXPECT_EQ(Now(), start) << "mode " << p.mode << " at " << p.x << "," << p.y;
        }
        // Twice in a row, as two clicks.
        Place(start);
        for (int click = 0; click < 2; ++click) {
            sel.mode = sel.Classify(p.x, p.y);
            sel.BeginDrag(p.x, p.y);
            sel.EndDrag(p.x, p.y, 1);
        }
        EXPECT_EQ(Now(), start) << "two clicks, mode " << p.mode;
    }

    // Once moved, a side follows the pointer: a left side dragged onto the
    // selection's first column and back to the press point lands on it.
    Place(start);
    sel.mode = L;
    sel.BeginDrag(190, 180);
    sel.ResizeTo(200, 180, 1);
    EXPECT_EQ(Now(), start);
    sel.EndDrag(190, 180, 1);
    EXPECT_EQ(Now(), (Box{190, 150, 110, 60}));

    // Every pointer column, with and without the grid, across the anchor
    // too: a right-side drag to x and a left-side drag to the mirror image of
    // x give mirror-image selections (the pointer's pixel is the last column
    // for one and the first for the other; the far side stays).
    for (const int grid : {1, 8}) {
        for (int x = 120; x <= 380; ++x) {
            Place(start);
            sel.mode = R;
            sel.BeginDrag(299, 180);
            sel.EndDrag(x, 180, grid);
            const Box right = Now();
            Place(start);
            sel.mode = L;
            sel.BeginDrag(200, 180);
            sel.EndDrag(200 + 299 - x, 180, grid);
            const Box left = Now();
            ASSERT_EQ(left[2], right[2]) << "grid " << grid << " x " << x;
            ASSERT_EQ(left[0], 200 + 299 - (right[0] + right[2] - 1))
                << "grid " << grid << " x " << x;
            if (grid == 1 && x >= 200) {
                ASSERT_EQ(left[0] + left[2], 300) << "the right side stays";
            }
        }
    }
    // The same for the top side against the bottom, a few rows.
    // clang-format off
    const struct { int mode, y, grid; Box want; } rows[] = {
        {T, 150, 1, {200, 150, 100, 60}}, {T, 170, 1, {200, 170, 100, 40}},
        {T, 230, 1, {200, 209, 100, 22}}, {B, 189, 1, {200, 150, 100, 40}},
        {T, 170, 8, {200, 178, 100, 32}}, {B, 189, 8, {200, 150, 100, 32}},
        {T, 140, 8, {200, 146, 100, 64}}, {B, 219, 8, {200, 150, 100, 64}},
        {T, 230, 8, {200, 210, 100, 16}}, {B, 129, 8, {200, 134, 100, 16}}};
    // clang-format on
    for (const auto& r : rows) {
        Place(start);
        sel.mode = r.mode;
        sel.BeginDrag(250, r.mode == T ? 155 : 205);
        sel.EndDrag(250, r.y, r.grid);
        EXPECT_EQ(Now(), r.want) << "mode " << r.mode << " to " << r.y << " grid " << r.grid;
    }
}

// Without a selection (cleared to 0 x 0 at the origin) a drag starts at the
// press point, as the pointer handlers run it: press, threshold, corner follows.
TEST_F(SelectionTest, WithoutASelectionEveryPressStartsANewOneAtThePressPoint) {
    for (const Box& want : {Box{3, 3, 50, 40}, Box{10, 10, 31, 21}}) {
        sel.Clear();
        const int x0 = want[0], y0 = want[1];
        sel.mode = sel.Classify(x0, y0);
        sel.BeginDrag(x0, y0);
        sel.mode = BR;
        sel.ResizeTo(x0 + want[2] - 1, y0 + want[3] - 1, 1);
        sel.EndDrag(x0 + want[2] - 1, y0 + want[3] - 1, 1);
        EXPECT_EQ(Now(), want);
    }
}

TEST_F(SelectionTest, AtAScaleTheBandsRingAndMoveSquareGrowButTheSelectionDoesNot) {
    // The settings keep their 96-dpi values; 150 % makes reach 24 -> 36,
    // band 12 -> 18, the move square's half 6 -> 9 and the frame 2 -> 3.
    settings.handleReach = 24;
    settings.edgeBand = 12;
    settings.frameWidth = 2;
    Place({100, 100, 200, 100});
    sel.uiScale = UiScale::FromDpi(144);
    // clang-format off
    const std::array<int, 3> hits[] = {
        {64, 150, L}, {63, 150, NEW}, {335, 150, R}, {336, 150, NEW},  // reach 36
        {150, 117, T}, {150, 118, MOVE}, {150, 182, B}, {150, 181, MOVE},  // 36 + 18 in
        {83, 83, TL}, {64, 64, TL}, {63, 64, NEW}};
    // clang-format on
    for (const auto& [x, y, mode] : hits) {
        EXPECT_EQ(sel.Classify(x, y), mode) << x << "," << y;
        EXPECT_EQ(sel.IsNear(x, y), mode != NEW) << x << "," << y;
    }
    // Small: the centre square is [101, 119) instead of [104, 116).
    Place({100, 100, 20, 20});
    EXPECT_EQ(sel.Classify(101, 110), MOVE);
    EXPECT_EQ(sel.Classify(100, 110), L);
    Place({100, 100, 50, 40});
    EXPECT_EQ(sel.FrameRingGeometry().outer, (Rect{97, 97, 153, 143}));
    EXPECT_EQ(sel.FrameRingGeometry().inner, (Rect{100, 100, 150, 140}));
    EXPECT_EQ(sel.GetRect(), (Rect{100, 100, 150, 140}));
    (void)sel.FrameDirtyRect();
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{97, 97, 153, 143}));
    // A drag still lands on the pointer's pixel.
    sel.mode = MODE_BOTTOM_RIGHT;
    sel.BeginDrag(149, 139);
    sel.ResizeTo(180, 170, 1);
    EXPECT_EQ(Now(), (Box{100, 100, 81, 71}));
}

TEST_F(SelectionTest, FrameDirtyRectAndRingCoverTheFrameExactly) {
    Place({100, 100, 50, 40});
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 152, 142}));  // first: just the current
    Place({200, 120, 10, 10});
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 212, 142}));  // old and new

    // Each case: the selection, the frame width, and the ring as outer minus
    // inner; where a side has no room outside before the screen's edge
    // (800 x 600) it lies just inside.
    // clang-format off
    const struct { Box placed; int f; Rect outer, inner; } rings[] = {
        {{10, 10, 20, 10}, 1, {9, 9, 31, 21}, {10, 10, 30, 20}},
        {{10, 10, 20, 10}, 3, {7, 7, 33, 23}, {10, 10, 30, 20}},
        {{10, 10, 1, 1}, 3, {7, 7, 14, 14}, {10, 10, 11, 11}},
        {{5, 5, 0, 35}, 3, {2, 2, 8, 43}, {5, 5, 5, 40}},
        {{0, 0, 800, 600}, 2, {0, 0, 800, 600}, {2, 2, 798, 598}},   // the whole screen
        {{0, 100, 50, 40}, 2, {0, 98, 52, 142}, {2, 100, 50, 140}},  // each edge
        {{300, 0, 50, 40}, 2, {298, 0, 352, 42}, {300, 2, 350, 40}},
        {{750, 100, 50, 40}, 2, {748, 98, 800, 142}, {750, 100, 798, 140}},
        {{300, 560, 50, 40}, 2, {298, 558, 352, 600}, {300, 560, 350, 598}},
        {{0, 0, 50, 40}, 2, {0, 0, 52, 42}, {2, 2, 50, 40}},         // corners
        {{760, 570, 40, 30}, 3, {757, 567, 800, 600}, {760, 570, 797, 597}},
        {{1, 1, 50, 40}, 2, {1, 1, 53, 43}, {3, 3, 51, 41}},         // room for less than f
        {{2, 2, 50, 40}, 2, {0, 0, 54, 44}, {2, 2, 52, 42}},         // room for f
        {{0, 0, 1, 1}, 2, {0, 0, 3, 3}, {1, 1, 1, 1}},               // all inside there is
        {{0, 300, 3, 40}, 2, {0, 298, 5, 342}, {2, 300, 3, 340}}};
    // clang-format on
    for (const auto& c : rings) {
        Place(c.placed);
        settings.frameWidth = c.f;
        const FrameRing ring = sel.FrameRingGeometry();
        const Rect where = Rect::FromXYWH(c.placed[0], c.placed[1], c.placed[2], c.placed[3]);
        EXPECT_EQ(ring.outer, c.outer) << where.left << "," << where.top;
        EXPECT_EQ(ring.inner, c.inner) << where.left << "," << where.top;
        // Every pixel of the ring in exactly one band, none elsewhere.
        for (int y = c.outer.top - 1; y <= c.outer.bottom; ++y) {
            for (int x = c.outer.left - 1; x <= c.outer.right; ++x) {
                int hits = 0;
                for (int i = 0; i < ring.bandCount; ++i) hits += ring.bands[i].Contains({x, y});
                ASSERT_EQ(hits, int(c.outer.Contains({x, y}) && !c.inner.Contains({x, y})))
                    << x << "," << y << " in the ring of " << where.left << "," << where.top;
            }
        }
        // The pinned window's ring keeps every side outside.
        const FrameRing outside = sel.FrameRingGeometry(false);
        EXPECT_TRUE(outside.outer == where.Inflated(c.f, c.f) && outside.inner == where);
    }
}

}  // namespace
}  // namespace mrv
