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
        {R, 180, 500, 1, {100, 100, 81, 40}},  {TR, 119, 0, 1, {100, 0, 20, 141}},
        {BL, 149, 100, 1, {149, 100, 2, 1}},
        // A left or top anchor is one past the last column or row: released on
        // that edge the selection widens by one pixel.
        {L, 100, 120, 1, {100, 100, 51, 40}},  {TL, 100, 100, 1, {100, 100, 51, 41}},
        {T, 0, 100, 1, {100, 100, 50, 41}},
        // Past a screen edge it is shifted back, not shrunk; too large, it is the screen.
        {BL, -30, 120, 1, {0, 100, 181, 21}},  {R, 850, 0, 1, {49, 100, 751, 40}},
        {T, 0, -20, 1, {100, 0, 50, 161}},     {B, 0, 650, 1, {100, 49, 50, 551}},
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
        // Cleared (to 0 x 0 at the origin): still answered around the origin.
        {{}, 24, 12, {{3, 3, MOVE}, {23, 23, BR}, {24, 0, NEW}, {-24, -24, TL}}}};
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

TEST_F(SelectionTest, FrameDirtyRectAndRingCoverTheFrameExactly) {
    Place({100, 100, 50, 40});
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 152, 142}));  // first: just the current
    Place({200, 120, 10, 10});
    EXPECT_EQ(sel.FrameDirtyRect(), (Rect{98, 98, 212, 142}));  // old and new

    for (int f : {1, 3}) {
        settings.frameWidth = f;
        for (const Box& b : {Box{10, 10, 20, 10}, Box{10, 10, 1, 1}, Box{}, Box{5, 5, 0, 35}}) {
            Place(b);
            const Rect r = sel.GetRect(), outer = r.Inflated(f, f);
            const FrameRing ring = sel.FrameRingGeometry();
            ASSERT_EQ(ring.outer, outer);
            // Every pixel of the ring in exactly one band, none elsewhere.
            for (int y = outer.top - 1; y <= outer.bottom; ++y) {
                for (int x = outer.left - 1; x <= outer.right; ++x) {
                    int hits = 0;
                    for (int i = 0; i < ring.bandCount; ++i) hits += ring.bands[i].Contains({x, y});
                    ASSERT_EQ(hits, int(outer.Contains({x, y}) && !r.Contains({x, y})))
                        << x << "," << y << " frame " << f;
                }
            }
        }
    }
}

}  // namespace
}  // namespace mrv
