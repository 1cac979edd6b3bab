#include "selection/AutoSelect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "selection/Selection.h"

namespace mrv {
namespace {

constexpr Colour kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000;

// A snapshot as its DIB section holds it: B, G, R and an unused byte, top
// row first. The unused byte is junk that differs from pixel to pixel.
struct Picture {
    int w, h;
    std::vector<std::uint8_t> bytes;
    Picture(int width, int height) : w(width), h(height), bytes(std::size_t(width) * height * 4) {
        Fill(Rect{0, 0, w, h}, kWhite);
    }
    void Set(int x, int y, Colour c) {
        std::uint8_t* p = &bytes[(std::size_t(y) * w + x) * 4];
        p[0] = std::uint8_t(ColourB(c)), p[1] = std::uint8_t(ColourG(c));
        p[2] = std::uint8_t(ColourR(c)), p[3] = std::uint8_t(x * 7 + y * 13);
    }
    Colour Get(int x, int y) const {
        const std::uint8_t* p = &bytes[(std::size_t(y) * w + x) * 4];
        return MakeColour(p[2], p[1], p[0]);
    }
    void Fill(Rect r, Colour c) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, c);
    }
    void Frame(Rect r, Colour c) {  // 1 pixel, just inside r
        Fill(Rect{r.left, r.top, r.right, r.top + 1}, c);
        Fill(Rect{r.left, r.bottom - 1, r.right, r.bottom}, c);
        Fill(Rect{r.left, r.top, r.left + 1, r.bottom}, c);
        Fill(Rect{r.right - 1, r.top, r.right, r.bottom}, c);
    }
    imaging::PixelView View() const {
        return {bytes.data(), w, h, w * 4, imaging::PixelFormat::kBgrx32};
    }
    Rect Select(int x, int y) const { return AutoSelectRect(View(), x, y).value_or(Rect{}); }
};

// The rule read literally, one GetPixel-like read at a time; outside the
// picture reads a value no pixel has.
Rect Reference(const Picture& pic, int x, int y) {
    auto get = [&](int px, int py) -> std::uint32_t {
        return px < 0 || py < 0 || px >= pic.w || py >= pic.h ? 0xFFFFFFFF : pic.Get(px, py);
    };
    const std::uint32_t c0 = get(x, y);
    auto scan = [&](int dx, int dy) {
        std::uint32_t previous = c0;
        for (int i = x + dx, j = y + dy;; i += dx, j += dy) {
            if (i < 0 || j < 0 || i >= pic.w || j >= pic.h) return dx ? i : j;
            const std::uint32_t c = get(i, j);
            bool line = c != previous && c != c0;
            for (int k = -4; k <= 3 && line; ++k) line = (dx ? get(i, j + k) : get(i + k, j)) == c;
            if (line) return dx ? i : j;
            previous = c;
        }
    };
    return Rect{scan(-1, 0) + 1, scan(0, -1) + 1, scan(1, 0), scan(0, 1)};
}

TEST(AutoSelect, FramedAreaGivesItsInteriorUnlessTheClickIsNearACorner) {
    Picture pic(60, 40);
    pic.Frame(Rect{10, 5, 41, 30}, kBlack);
    EXPECT_EQ(pic.Select(20, 15), (Rect{11, 6, 40, 29}));
    EXPECT_EQ(pic.Select(14, 9), (Rect{11, 6, 40, 29}));
    // Nearer a corner the across-line passes the frame's end: no edge there.
    EXPECT_EQ(pic.Select(13, 15), (Rect{11, 0, 40, 40}));
    EXPECT_EQ(pic.Select(50, 15), (Rect{41, 0, 60, 40}));
}

TEST(AutoSelect, AcrossLineSpansFourBeforeToThreeAfterTheScanLine) {
    // Strokes at column 5 crossing row 10: only rows 6-13 make an edge.
    struct {
        int from, to, left;
    } cases[] = {{6, 13, 6}, {7, 13, 0}, {6, 12, 0}, {7, 14, 0}};
    for (const auto& c : cases) {
        Picture pic(30, 25);
        pic.Fill(Rect{5, c.from, 6, c.to + 1}, kBlack);
        EXPECT_EQ(pic.Select(15, 10).left, c.left) << c.from << ".." << c.to;
    }
}

TEST(AutoSelect, ScansStopOnlyWhereTheirAcrossLinesFitInThePicture) {
    Picture pic(50, 50);  // a black grid every 10 pixels
    for (int k = 0; k < 50; k += 10) {
        pic.Fill(Rect{k, 0, k + 1, 50}, kBlack);
        pic.Fill(Rect{0, k, 50, k + 1}, kBlack);
    }
    EXPECT_EQ(pic.Select(25, 3), (Rect{0, 1, 50, 10}));  // y < 4
    EXPECT_EQ(pic.Select(25, 4), (Rect{21, 1, 30, 10}));
    EXPECT_EQ(pic.Select(25, 46), (Rect{21, 41, 30, 50}));  // 46 + 3 is the last row
    EXPECT_EQ(pic.Select(25, 47), (Rect{0, 41, 50, 50}));
    EXPECT_EQ(pic.Select(3, 25), (Rect{1, 0, 10, 50}));
    EXPECT_EQ(pic.Select(47, 25), (Rect{41, 0, 50, 50}));
    // On a line, its own colour (the crossing lines too) is never an edge.
    EXPECT_EQ(pic.Select(25, 10), (Rect{0, 10, 50, 11}));
    pic.Fill(Rect{40, 0, 41, 50}, kBlue);
    EXPECT_EQ(pic.Select(25, 10), (Rect{0, 10, 40, 11}));
    Picture plain(30, 20);
    EXPECT_EQ(plain.Select(15, 10), (Rect{0, 0, 30, 20}));
}

TEST(AutoSelect, PredecessorMovesOnPastFailedCandidates) {
    // A red dot in front of a red line: the dot fails, and the line then has
    // the dot's colour as its predecessor.
    Picture pic(40, 20);
    pic.Fill(Rect{5, 0, 6, 20}, kBlack);
    pic.Fill(Rect{12, 0, 13, 20}, kRed);
    pic.Set(13, 10, kRed);
    EXPECT_EQ(pic.Select(20, 10).left, 6);
    pic.Set(13, 10, kWhite);
    EXPECT_EQ(pic.Select(20, 10).left, 13);
}

TEST(AutoSelect, AgreesWithTheRuleOnRandomPictures) {
    std::mt19937 rng(20240611);
    const Colour palette[] = {kWhite, kBlack, kRed, kBlue, 0x00FF00};
    auto below = [&](int n) { return static_cast<int>(rng() % unsigned(n)); };
    for (int round = 0; round < 60; ++round) {
        Picture pic(9 + below(24), 9 + below(20));
        for (int n = below(9); n > 0; --n) {
            const int l = below(pic.w), t = below(pic.h);
            const Rect r{l, t, l + 1 + below(pic.w - l), t + 1 + below(pic.h - t)};
            below(3) == 0 ? pic.Fill(r, palette[below(5)]) : pic.Frame(r, palette[below(5)]);
        }
        for (int n = below(20); n > 0; --n) pic.Set(below(pic.w), below(pic.h), palette[below(5)]);
        for (int y = 0; y < pic.h; ++y)
            for (int x = 0; x < pic.w; ++x)
                ASSERT_EQ(pic.Select(x, y), Reference(pic, x, y)) << round << ": " << x << "," << y;
    }
}

TEST(AutoSelect, BottomUpRowsUnreadableAndUnusableViews) {
    Picture pic(20, 12);
    pic.Frame(Rect{2, 2, 18, 11}, kBlack);
    // The same rows stored bottom-up, viewed through a negative stride.
    std::vector<std::uint8_t> flipped(pic.bytes.size());
    for (int y = 0; y < pic.h; ++y)
        std::copy_n(&pic.bytes[y * 80], 80, &flipped[(pic.h - 1 - y) * 80]);
    const imaging::PixelView up{&flipped[(pic.h - 1) * 80], 20, 12, -80,
                                imaging::PixelFormat::kBgrx32};
    EXPECT_EQ(AutoSelectRect(up, 10, 6), (Rect{3, 3, 17, 10}));

    imaging::PixelView v = pic.View();
    v.data = nullptr;  // nothing readable: as if every read failed
    EXPECT_EQ(AutoSelectRect(v, 10, 6), (Rect{0, 0, 20, 12}));
    for (Point p : {Point{-1, 5}, Point{20, 5}, Point{10, -1}, Point{10, 12}})
        EXPECT_FALSE(AutoSelectRect(pic.View(), p.x, p.y));
    v = pic.View();
    v.stride = 79;
    EXPECT_FALSE(AutoSelectRect(v, 10, 6));
    v = pic.View();
    v.format = imaging::PixelFormat::kBgr24;
    EXPECT_FALSE(AutoSelectRect(v, 10, 6));
}

TEST(AutoSelect, WritesTheSelectionWithItsAnchorAtTheTopLeft) {
    Picture pic(60, 40);
    pic.Frame(Rect{10, 5, 41, 30}, kBlack);
    Selection sel;
    sel.mode = MODE_MOVE;
    ASSERT_TRUE(AutoSelect(pic.View(), 20, 15, sel));
    EXPECT_EQ((Rect{sel.left, sel.top, sel.left + sel.width, sel.top + sel.height}),
              (Rect{11, 6, 40, 29}));
    EXPECT_EQ(sel.anchorX, 11);
    EXPECT_EQ(sel.anchorY, 6);
    EXPECT_EQ(sel.mode, MODE_MOVE);
    EXPECT_FALSE(AutoSelect(pic.View(), 99, 15, sel));
    EXPECT_EQ(sel.width, 29);
}

}  // namespace
}  // namespace mrv
