// Automatic range selection on a snapshot: frames, the 8-pixel across-line,
// clicks near the picture's edges, clicks on lines, and the views it accepts.
#include "selection/AutoSelect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "selection/Selection.h"

namespace mrv {
namespace {

constexpr Colour kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;

// A white snapshot as its DIB section holds it, top row first: B, G, R and an
// unused byte that is junk and differs from pixel to pixel (little-endian).
struct Picture {
    int w, h;
    std::vector<std::uint32_t> px;
    Picture(int width, int height) : w(width), h(height), px(w * h) { Fill({0, 0, w, h}, kWhite); }
    void Fill(Rect r, Colour c) {
        const std::uint32_t rgb = ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c);
        for (int i = 0; i < w * h; ++i) {
            if (r.Contains({i % w, i / w})) px[i] = rgb | std::uint32_t(i * 7) << 24;
        }
    }
    void Frame(Rect r, Colour c) {  // 1 pixel wide, just inside r, on white
        Fill(r, c);
        Fill(r.Inflated(-1, -1), kWhite);
    }
    imaging::PixelView View() const {
        return {reinterpret_cast<const std::uint8_t*>(px.data()), w, h, w * 4,
                imaging::PixelFormat::kBgrx32};
    }
    Rect Select(int x, int y) const { return AutoSelectRect(View(), x, y).value_or(Rect{}); }
};

TEST(AutoSelect, AFramedAreaGivesExactlyItsInteriorAndALineItself) {
    Picture pic(60, 40);
    pic.Frame({10, 5, 41, 30}, kBlack);
    EXPECT_EQ(pic.Select(20, 15), (Rect{11, 6, 40, 29}));
    EXPECT_EQ(pic.Select(14, 9), (Rect{11, 6, 40, 29}));
    // Nearer a corner the across-line passes the frame's end: no edge there.
    EXPECT_EQ(pic.Select(13, 15), (Rect{11, 0, 40, 40}));
    EXPECT_EQ(pic.Select(20, 5), (Rect{10, 5, 41, 6}));  // on the top line
}

TEST(AutoSelect, OnlyLinesFromFourBeforeToThreeAfterTheScanLineStopIt) {
    // Strokes at column 5 crossing row 10: only rows 6-13 make an edge.
    for (auto [from, to, left] :
         {std::array<int, 3>{6, 13, 6}, {7, 13, 0}, {6, 12, 0}, {7, 14, 0}}) {
        Picture pic(30, 25);
        pic.Fill({5, from, 6, to + 1}, kBlack);
        EXPECT_EQ(pic.Select(15, 10).left, left) << from << ".." << to;
    }
    // A red dot in front of a red line fails, and the line then has the
    // dot's colour as its predecessor: no edge either.
    Picture pic(40, 20);
    pic.Fill({5, 0, 6, 20}, kBlack);
    pic.Fill({12, 0, 13, 20}, kRed);
    pic.Fill({13, 10, 14, 11}, kRed);
    EXPECT_EQ(pic.Select(20, 10).left, 6);
}

TEST(AutoSelect, ScansStopOnlyWhereTheirAcrossLinesFitInThePicture) {
    Picture pic(50, 50);  // a black grid every 10 pixels
    for (int k = 0; k < 50; k += 10) {
        pic.Fill({k, 0, k + 1, 50}, kBlack);
        pic.Fill({0, k, 50, k + 1}, kBlack);
    }
    EXPECT_EQ(pic.Select(25, 3), (Rect{0, 1, 50, 10}));  // y < 4
    EXPECT_EQ(pic.Select(25, 4), (Rect{21, 1, 30, 10}));
    EXPECT_EQ(pic.Select(25, 46), (Rect{21, 41, 30, 50}));  // 46 + 3 is the last row
    EXPECT_EQ(pic.Select(25, 47), (Rect{0, 41, 50, 50}));
    EXPECT_EQ(pic.Select(3, 25), (Rect{1, 0, 10, 50}));
    EXPECT_EQ(pic.Select(47, 25), (Rect{41, 0, 50, 50}));
    // On a line its own colour, the crossing lines too, is never an edge.
    pic.Fill({40, 0, 41, 50}, kBlue);
    EXPECT_EQ(pic.Select(25, 10), (Rect{0, 10, 40, 11}));
    EXPECT_EQ(Picture(30, 20).Select(15, 10), (Rect{0, 0, 30, 20}));  // uniform: all of it
}

TEST(AutoSelect, UnreadableAndUnusableViewsAndTheSelectionWritten) {
    Picture pic(20, 12);
    pic.Frame({2, 2, 18, 11}, kBlack);
    imaging::PixelView v = pic.View();
    v.data = nullptr;  // nothing readable: as if every read failed
    EXPECT_EQ(AutoSelectRect(v, 10, 6), (Rect{0, 0, 20, 12}));
    for (Point p : {Point{-1, 5}, Point{20, 5}, Point{10, -1}, Point{10, 12}})
        EXPECT_FALSE(AutoSelectRect(pic.View(), p.x, p.y));
    imaging::PixelView badStride = pic.View(), notBgrx = pic.View();
    badStride.stride = 79;
    notBgrx.format = imaging::PixelFormat::kBgr24;
    EXPECT_FALSE(AutoSelectRect(badStride, 10, 6) || AutoSelectRect(notBgrx, 10, 6));

    Selection sel;  // the rectangle, with the anchor at its top-left
    ASSERT_TRUE(AutoSelect(pic.View(), 10, 6, sel));
    EXPECT_EQ(sel.GetRect(), (Rect{3, 3, 17, 10}));
    EXPECT_EQ((Point{sel.anchorX, sel.anchorY}), (Point{3, 3}));
}

}  // namespace
}  // namespace mrv
