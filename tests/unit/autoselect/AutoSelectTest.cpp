#include "selection/AutoSelect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "selection/Selection.h"

namespace mrv {
namespace {

using imaging::PixelFormat;
using imaging::PixelView;

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kBlue = 0xFF0000;

// A 32-bit top-down picture as the snapshot's DIB section holds it: B, G, R
// and an unused byte per pixel. The unused byte is filled with junk that
// differs from pixel to pixel, as a screen copy may leave it.
class Picture {
public:
    Picture(int width, int height, Colour fill = kWhite)
        : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * height * 4) {
        FillRect(Rect{0, 0, width, height}, fill);
    }

    void Set(int x, int y, Colour c) {
        std::uint8_t* p = &bytes_[(static_cast<std::size_t>(y) * width_ + x) * 4];
        p[0] = static_cast<std::uint8_t>(ColourB(c));
        p[1] = static_cast<std::uint8_t>(ColourG(c));
        p[2] = static_cast<std::uint8_t>(ColourR(c));
        p[3] = static_cast<std::uint8_t>(x * 7 + y * 13);
    }
    Colour Get(int x, int y) const {
        const std::uint8_t* p = &bytes_[(static_cast<std::size_t>(y) * width_ + x) * 4];
        return MakeColour(p[2], p[1], p[0]);
    }
    void FillRect(Rect r, Colour c) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Set(x, y, c);
    }
    // A 1-pixel outline just inside r.
    void Frame(Rect r, Colour c) {
        FillRect(Rect{r.left, r.top, r.right, r.top + 1}, c);
        FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, c);
        FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, c);
        FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, c);
    }

    PixelView View() const {
        return PixelView{bytes_.data(), width_, height_, width_ * 4, PixelFormat::kBgrx32};
    }
    // The same picture stored bottom-up (as a bottom-up DIB keeps it).
    PixelView BottomUpView(std::vector<std::uint8_t>& storage) const {
        const std::size_t row = static_cast<std::size_t>(width_) * 4;
        storage.resize(bytes_.size());
        for (int y = 0; y < height_; ++y)
            std::copy_n(&bytes_[y * row], row, &storage[(height_ - 1 - y) * row]);
        return PixelView{storage.data() + (height_ - 1) * row, width_, height_,
                         -static_cast<std::ptrdiff_t>(row), PixelFormat::kBgrx32};
    }
    // The same picture as packed 24-bit rows with a padded stride.
    PixelView View24(std::vector<std::uint8_t>& storage) const {
        const std::ptrdiff_t stride = width_ * 3 + 5;
        storage.assign(static_cast<std::size_t>(stride) * height_, 0xEE);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                std::copy_n(&bytes_[(static_cast<std::size_t>(y) * width_ + x) * 4], 3,
                            &storage[y * stride + x * 3]);
        return PixelView{storage.data(), width_, height_, stride, PixelFormat::kBgr24};
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> bytes_;
};

// The rule read literally, one GetPixel-like read at a time, with reads
// outside the picture giving a value no pixel has.
Rect ReferenceAutoSelect(const Picture& pic, int x, int y) {
    constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
    auto get = [&](int px, int py) -> std::uint32_t {
        if (px < 0 || py < 0 || px >= pic.width() || py >= pic.height()) return kInvalid;
        return pic.Get(px, py);
    };
    const std::uint32_t c0 = get(x, y);
    auto scan = [&](int dx, int dy) {
        int i = x, j = y;
        std::uint32_t previous = c0;
        for (;;) {
            i += dx;
            j += dy;
            if (i < 0 || j < 0 || i >= pic.width() || j >= pic.height()) return dx ? i : j;
            const std::uint32_t c = get(i, j);
            if (c != previous && c != c0) {
                bool line = true;
                for (int k = -4; k <= 3; ++k)
                    line = line && (dx ? get(i, j + k) : get(i + k, j)) == c;
                if (line) return dx ? i : j;
            }
            previous = c;
        }
    };
    return Rect{scan(-1, 0) + 1, scan(0, -1) + 1, scan(1, 0), scan(0, 1)};
}

Rect Select(const Picture& pic, int x, int y) {
    const std::optional<Rect> r = AutoSelectRect(pic.View(), x, y);
    EXPECT_TRUE(r.has_value()) << "click " << x << "," << y;
    return r.value_or(Rect{});
}

TEST(AutoSelect, FramedAreaGivesExactlyItsInterior) {
    Picture pic(60, 40);
    pic.Frame(Rect{10, 5, 41, 30}, kBlack);  // lines at x 10 and 40, y 5 and 29
    const Rect interior{11, 6, 40, 29};
    EXPECT_EQ(Select(pic, 20, 15), interior);
    // Clicks at least 3 pixels clear of the corners give the same interior...
    EXPECT_EQ(Select(pic, 14, 9), interior);
    EXPECT_EQ(Select(pic, 37, 26), interior);
    // ...but nearer a corner the across-line reaches past the frame's end, so
    // the line there is no edge and the scan runs on.
    EXPECT_EQ(Select(pic, 13, 15), (Rect{11, 0, 40, 40}));
    // Outside the frame the scans stop at the frame's far side of each line.
    EXPECT_EQ(Select(pic, 50, 15), (Rect{41, 0, 60, 40}));
}

TEST(AutoSelect, UniformPictureGivesTheWholePicture) {
    Picture pic(30, 20, 0x336699);
    for (Point p : {Point{0, 0}, Point{15, 10}, Point{29, 19}, Point{4, 16}})
        EXPECT_EQ(Select(pic, p.x, p.y), (Rect{0, 0, 30, 20}));
}

TEST(AutoSelect, AcrossLineSpansFourBeforeToThreeAfter) {
    // A vertical stroke at column 5 through rows y-4 .. y+3 stops the left
    // scan; one pixel shorter at either end, or shifted down by one, does not.
    const int y = 10;
    struct Case {
        int from, to;  // rows of the stroke, inclusive
        int expectedLeft;
    } cases[] = {{y - 4, y + 3, 6}, {y - 3, y + 3, 0}, {y - 4, y + 2, 0}, {y - 3, y + 4, 0}};
    for (const Case& c : cases) {
        Picture pic(30, 25);
        pic.FillRect(Rect{5, c.from, 6, c.to + 1}, kBlack);
        EXPECT_EQ(Select(pic, 15, y).left, c.expectedLeft) << "stroke " << c.from << ".." << c.to;
    }
    // The same for a horizontal stroke and the up scan: columns x-4 .. x+3.
    Picture pic(30, 25);
    pic.FillRect(Rect{11, 3, 19, 4}, kBlack);  // x = 15
    EXPECT_EQ(Select(pic, 15, 12).top, 4);
    EXPECT_EQ(Select(pic, 16, 12).top, 0);  // now the stroke ends one short on the right
}

TEST(AutoSelect, TextStrokesDoNotStopTheScans) {
    // Glyph-like marks shorter than 8 pixels across every scan, inside a frame.
    Picture pic(80, 50);
    pic.Frame(Rect{5, 5, 75, 45}, kBlack);
    pic.FillRect(Rect{20, 22, 21, 29}, kBlack);  // 7 tall, crosses row 25
    pic.FillRect(Rect{50, 20, 51, 27}, kBlue);   // 7 tall
    pic.FillRect(Rect{36, 15, 43, 16}, kBlack);  // 7 wide, crosses column 40
    pic.FillRect(Rect{37, 35, 44, 36}, kRed);
    EXPECT_EQ(Select(pic, 40, 25), (Rect{6, 6, 74, 44}));
}

TEST(AutoSelect, ClicksNearThePictureEdgesCannotStopThoseScans) {
    // A grid of full lines every 10 pixels; only scans whose across-lines fit in
    // the picture can stop at them.
    Picture pic(50, 50);
    for (int k = 0; k < 50; k += 10) {
        pic.FillRect(Rect{k, 0, k + 1, 50}, kBlack);
        pic.FillRect(Rect{0, k, 50, k + 1}, kBlack);
    }
    // Rows 0-3 and 47-49: horizontal scans run to the borders.
    EXPECT_EQ(Select(pic, 25, 3), (Rect{0, 1, 50, 10}));
    EXPECT_EQ(Select(pic, 25, 47), (Rect{0, 41, 50, 50}));
    // Rows 4 and 46 are the first where they stop (46 + 3 is the last row).
    EXPECT_EQ(Select(pic, 25, 4), (Rect{21, 1, 30, 10}));
    EXPECT_EQ(Select(pic, 25, 46), (Rect{21, 41, 30, 50}));
    // Columns likewise for the vertical scans.
    EXPECT_EQ(Select(pic, 3, 25), (Rect{1, 0, 10, 50}));
    EXPECT_EQ(Select(pic, 47, 25), (Rect{41, 0, 50, 50}));
    EXPECT_EQ(Select(pic, 4, 25), (Rect{1, 21, 10, 30}));
    // Both: a corner click selects the whole picture.
    EXPECT_EQ(Select(pic, 49, 0), (Rect{0, 0, 50, 50}));
}

TEST(AutoSelect, ClickOnALineRunsOnToTheNextLineOfAnotherColour) {
    // A black table grid, clicked on the horizontal line at row 10: along it
    // every pixel, the crossing black lines included, has the click's colour
    // and is never a candidate; across it the white rows beside it stop the
    // scans at once. The selection is the line itself.
    Picture pic(50, 50);
    for (int k = 0; k < 50; k += 10) {
        pic.FillRect(Rect{k, 0, k + 1, 50}, kBlack);
        pic.FillRect(Rect{0, k, 50, k + 1}, kBlack);
    }
    EXPECT_EQ(Select(pic, 25, 10), (Rect{0, 10, 50, 11}));
    // A crossing line of another colour does stop it.
    pic.FillRect(Rect{40, 0, 41, 50}, kBlue);
    EXPECT_EQ(Select(pic, 25, 10), (Rect{0, 10, 40, 11}));
}

TEST(AutoSelect, AdjacentLinesStopAtTheFirstThatPasses) {
    Picture pic(40, 20);
    pic.FillRect(Rect{10, 0, 11, 20}, kBlue);  // outer
    pic.FillRect(Rect{11, 0, 12, 20}, kRed);   // inner, met first
    EXPECT_EQ(Select(pic, 20, 10).left, 12);
    // The inner line too short: the scan steps onto the blue one.
    pic.FillRect(Rect{11, 0, 12, 20}, kWhite);
    pic.FillRect(Rect{11, 8, 12, 12}, kRed);
    EXPECT_EQ(Select(pic, 20, 10).left, 11);
}

TEST(AutoSelect, PredecessorMovesOnPastFailedCandidates) {
    // A red dot directly in front of a red line: the dot is a candidate that
    // fails; the line then has the dot's colour as predecessor and is no edge.
    Picture pic(40, 20);
    pic.FillRect(Rect{5, 0, 6, 20}, kBlack);
    pic.FillRect(Rect{12, 0, 13, 20}, kRed);
    pic.Set(13, 10, kRed);
    EXPECT_EQ(Select(pic, 20, 10).left, 6);
    // Without the dot the line stops the scan.
    pic.Set(13, 10, kWhite);
    EXPECT_EQ(Select(pic, 20, 10).left, 13);
}

TEST(AutoSelect, ComparesRgbOnlyAndReadsAnyRowOrderOrDepth) {
    Picture pic(64, 48);
    pic.Frame(Rect{3, 4, 60, 44}, kBlack);
    pic.Frame(Rect{8, 9, 30, 40}, 0x808080);
    pic.FillRect(Rect{9, 20, 29, 21}, 0x808080);  // splits the inner box
    std::vector<std::uint8_t> up, packed;
    const PixelView views[] = {pic.View(), pic.BottomUpView(up), pic.View24(packed)};
    for (const PixelView& v : views) {
        for (Point p : {Point{15, 15}, Point{15, 30}, Point{45, 20}, Point{8, 30}}) {
            EXPECT_EQ(AutoSelectRect(v, p.x, p.y), ReferenceAutoSelect(pic, p.x, p.y))
                << "stride " << v.stride << " click " << p.x << "," << p.y;
        }
    }
    EXPECT_EQ(Select(pic, 15, 15), (Rect{9, 10, 29, 20}));
}

TEST(AutoSelect, AgreesWithTheRuleOnRandomPictures) {
    // Boxes, strokes and noise in a few colours, clicked everywhere.
    std::mt19937 rng(20240611);
    const Colour palette[] = {kWhite, kBlack, kRed, kBlue, 0x00FF00};
    for (int round = 0; round < 60; ++round) {
        const int w = 9 + static_cast<int>(rng() % 24), h = 9 + static_cast<int>(rng() % 20);
        Picture pic(w, h, palette[rng() % 5]);
        for (int n = static_cast<int>(rng() % 8); n > 0; --n) {
            const int l = static_cast<int>(rng() % w), t = static_cast<int>(rng() % h);
            const int r = l + 1 + static_cast<int>(rng() % (w - l));
            const int b = t + 1 + static_cast<int>(rng() % (h - t));
            if (rng() % 3 == 0)
                pic.FillRect(Rect{l, t, r, b}, palette[rng() % 5]);
            else
                pic.Frame(Rect{l, t, r, b}, palette[rng() % 5]);
        }
        for (int n = static_cast<int>(rng() % 20); n > 0; --n)
            pic.Set(static_cast<int>(rng() % w), static_cast<int>(rng() % h), palette[rng() % 5]);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Rect got = Select(pic, x, y);
                ASSERT_EQ(got, ReferenceAutoSelect(pic, x, y))
                    << "round " << round << " click " << x << "," << y;
                ASSERT_TRUE(got.Contains({x, y}));
            }
        }
    }
}

TEST(AutoSelect, UnreadableOrUnusableInput) {
    Picture pic(20, 10);
    pic.Frame(Rect{2, 2, 18, 9}, kBlack);
    // No pixels behind a sized view: the whole picture, as if every read failed.
    PixelView blind = pic.View();
    blind.data = nullptr;
    EXPECT_EQ(AutoSelectRect(blind, 10, 5), (Rect{0, 0, 20, 10}));
    // Clicks outside the picture select nothing.
    for (Point p : {Point{-1, 5}, Point{20, 5}, Point{10, -1}, Point{10, 10}})
        EXPECT_FALSE(AutoSelectRect(pic.View(), p.x, p.y).has_value());
    // A stride too short for its rows, or an empty picture, is refused.
    PixelView narrow = pic.View();
    narrow.stride = 20 * 4 - 1;
    EXPECT_FALSE(AutoSelectRect(narrow, 10, 5).has_value());
    PixelView empty = pic.View();
    empty.height = 0;
    EXPECT_FALSE(AutoSelectRect(empty, 0, 0).has_value());
}

TEST(AutoSelect, WritesTheSelectionWithItsAnchorAtTheTopLeft) {
    Picture pic(60, 40);
    pic.Frame(Rect{10, 5, 41, 30}, kBlack);
    Selection sel;
    sel.mode = MODE_MOVE;
    ASSERT_TRUE(AutoSelect(pic.View(), 20, 15, sel));
    EXPECT_EQ(sel.left, 11);
    EXPECT_EQ(sel.top, 6);
    EXPECT_EQ(sel.width, 29);
    EXPECT_EQ(sel.height, 23);
    EXPECT_EQ(sel.anchorX, 11);
    EXPECT_EQ(sel.anchorY, 6);
    EXPECT_EQ(sel.mode, MODE_MOVE);
    // Nothing to select: the selection stays as it was.
    EXPECT_FALSE(AutoSelect(pic.View(), 99, 15, sel));
    EXPECT_EQ(sel.width, 29);
}

}  // namespace
}  // namespace mrv
