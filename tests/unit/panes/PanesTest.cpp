// Pane geometry, the drop shadow arithmetic, and the zoom pane, tool panel
// and label laid out without GDI.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "view/Draw.h"
#include "view/PaneLabels.h"
#include "view/PaneShadow.h"
#include "view/ToolPanel.h"

namespace {
using namespace mrv;

TEST(Pane, KeepOnScreenFlipsAtEveryEdgeDirtyRectsJoinAndHitTestTakesBothEdges) {
    Pane p;
    p.Init({800, 600});
    p.SetShadowOn(true);
    p.SetContentSize(77, 77);  // outer 81 x 81: a flip jumps 81 + 2 * margin
    // {margin, x, y, where the pane ends}
    const int moves[][5] = {{8, 7, 7, 104, 104},     {8, 712, 512, 615, 415},
                            {8, 711, 511, 711, 511}, {0, -10, 519, 71, 519},
                            {0, 720, -1, 639, 80},   {-3, -20, 590, -20, 590},
                            {8, 8, 8, 8, 8}};
    for (const auto& m : moves) {
        p.SetFlipMargin(m[0]);
        p.MoveTo(m[1], m[2]);
        EXPECT_EQ((Point{p.X(), p.Y()}), (Point{m[3], m[4]})) << m[0] << ":" << m[1] << "," << m[2];
    }
    EXPECT_EQ(p.DirtyRect(), (Rect{0, 0, 800, 600}));  // the first covers the screen
    p.MoveTo(400, 300);
    EXPECT_EQ(p.DirtyRect(), (Rect{8, 8, 481, 381}));  // then old and new together
    EXPECT_TRUE(p.HitTest(400, 300) && p.HitTest(477, 377));
    EXPECT_FALSE(p.HitTest(399, 350) || p.HitTest(450, 299));
    EXPECT_FALSE(p.HitTest(478, 350) || p.HitTest(450, 378));  // nor the shadow
    p.SetVisible(false);
    EXPECT_FALSE(p.HitTest(450, 350));
}

TEST(PixelRuns, WordAtATimeEqualsThePerByteRuleAndNoRowIsOverrun) {
    for (std::size_t offset = 0; offset < 4; ++offset)
        for (std::size_t count : {1u, 3u, 4u, 7u, 9u, 256u}) {
            std::uint8_t half[260], three[260];
            for (int i = 0; i < 260; ++i) half[i] = three[i] = static_cast<std::uint8_t>(i);
            HalveRun(half + offset, count);
            ThreeQuarterRun(three + offset, count);
            for (std::size_t i = 0; i < 260; ++i) {
                const int b = i % 256, in = i >= offset && i < offset + count;
                ASSERT_EQ(half[i], in ? b / 2 : b) << offset << "+" << count;
                ASSERT_EQ(three[i], in ? b - b / 4 : b) << offset << "+" << count;
            }
        }
    // A strip of 10 x 4 pixels (3 bytes each, 32 a row) under a 600-wide box.
    std::vector<std::uint8_t> strip(32 * 4, 0xFF);
    ShadeBottomBand(ShadowPixels{strip.data(), 10, 4, 32, 3}, 600);
    EXPECT_TRUE(strip[9 * 3] == 0x7F && strip[3 * 32 + 9 * 3] == 0xC0);  // no soft end at column 9
    // Untouched: the 2 bytes past the strip in each row and the soft corner of the last row.
    EXPECT_EQ(std::count(strip.begin(), strip.end(), 0xFF), 4 * 2 + 3);
    // DIB rows: a partial byte needs room, overflow is refused.
    EXPECT_EQ(
        (std::vector{DibStride(5, 1), DibStride(0x7FFFFFFF, 24), DibImageSize(0x10000, 0x8000)}),
        (std::vector{4, -1, -1}));
}

// Shadow strips that are always made.
struct Strips final : ShadowStrips {
    bool Remake(int, int) override { return true; }
};

TEST(ZoomPane, SizesFollowingThePointerAndTheScreenCorners) {
    Strips strips;
    Settings settings;  // radius 12, factor 3
    ZoomPane zoom;
    zoom.AttachShadowStrips(&strips);
    zoom.Init({1024, 768});
    zoom.ConfigureFromSettings(settings);
    zoom.FollowCursor(100, 100);
    EXPECT_EQ((std::vector{zoom.ContentWidth(), zoom.OuterWidth(), zoom.FlipMargin(), zoom.X(),
                           zoom.Y(), zoom.SourceX(), zoom.SourceY()}),
              (std::vector{77, 81, 8, 109, 109, 88, 88}));
    zoom.FollowCursor(0, 0);  // the source stays on the screen, the marked cell moves
    EXPECT_EQ((std::vector{zoom.SourceX(), zoom.SourceY(), zoom.CursorCellX(), zoom.CursorCellY()}),
              (std::vector{0, 0, 0, 0}));
    zoom.FollowCursor(1023, 767);  // and the pane, due at (1032, 776), flips by 81 + 2 * 8
    EXPECT_EQ((std::vector{zoom.SourceX(), zoom.SourceY(), zoom.CursorCellX(), zoom.CursorCellY(),
                           zoom.X(), zoom.Y()}),
              (std::vector{999, 743, 24, 24, 935, 679}));

    // The selection's ring in the picture lies one pixel outside its blocks,
    // on the border where it runs on past the square; where the selection
    // meets the screen's edge it lies on its own outermost blocks.
    Selection s;
    zoom.LinkSelection(&s);
    // clang-format off
    const struct { int left, top, width, height, px, py; Rect ring; } rings[] = {
        {100, 100, 5, 5, 100, 100, {36, 36, 53, 53}},    // whole, inside the square
        {90, 90, 40, 40, 100, 100, {6, 6, 77, 77}},      // running on past it
        {0, 0, 50, 40, 0, 0, {1, 1, 77, 77}},            // the screen's top-left corner
        {1000, 740, 24, 28, 1023, 767, {3, 0, 76, 76}},  // its bottom-right
        {0, 100, 30, 5, 20, 100, {0, 36, 68, 53}}};      // on the edge, the square right of it
    // clang-format on
    for (const auto& r : rings) {
        std::tie(s.left, s.top, s.width, s.height) = std::tie(r.left, r.top, r.width, r.height);
        zoom.FollowCursor(r.px, r.py);
        EXPECT_EQ(zoom.Picture().selectionRing, r.ring.Offset(zoom.X(), zoom.Y()))
            << r.left << "," << r.top;
    }
}

TEST(ToolPanel, LayoutPinnedSetHoverColumnsAndPressReleasePairs) {
    Strips strips;
    Settings settings;
    Selection selection;
    ToolPanel tools;
    tools.AttachShadowStrips(&strips);
    tools.Init({1024, 768});
    tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
    tools.Layout();
    std::tie(selection.left, selection.top, selection.width, selection.height) =
        std::make_tuple(100, 100, 320, 200);
    tools.PlaceAtCorner();  // below left
    auto shown = [&] {      // the shown buttons as x, the others as .
        std::string s;
        for (int i = 0; i < kToolButtonCount; ++i) s += tools.IsButtonShown(i) ? 'x' : '.';
        return s;
    };
    EXPECT_EQ(shown(), "x..x..x....x.x....xx");  // 0, 3, 6, 11, 13, 18, 19
    EXPECT_EQ((std::vector{tools.ContentWidth(), tools.ContentHeight(), tools.OuterWidth(),
                           tools.OuterHeight(), tools.X(), tools.Y()}),
              (std::vector{194, 28, 198, 32, 101, 300}));
    // Each button owns 28 columns, gap and bottom edge included; the right edge is the last's.
    EXPECT_EQ((std::vector{tools.TrackHover(101 + 27, 300 + 28), tools.TrackHover(101 + 28, 300),
                           tools.TrackHover(101 + 194, 305), tools.TrackHover(101 + 195, 305)}),
              (std::vector{0, 3, 19, -1}));
    for (int release : {161, 131}) {  // press 3 (x 131), release on 6: nothing runs; then on 3
        tools.TrackHover(131, 300);
        tools.Press();
        tools.TrackHover(release, 300);
        EXPECT_EQ(tools.TakeClick(), release == 131 ? 3 : -1);
        EXPECT_EQ(tools.PressedIndex(), -1);
    }

    settings.toolButtons[15] = settings.toolButtons[17] = 1;
    settings.toolButtons[18] = 0;
    tools.SetPinned(true);
    tools.Layout();
    EXPECT_EQ(shown(), "x..x..x....x.x....x.");
}

// 6 pixels a character, 12 high; a line holding '!' cannot be measured.
struct FixedMeasurer final : TextMeasurer {
    bool Measure(std::wstring_view line, Size* extent) override {
        *extent = Size{6 * static_cast<int>(line.size()), 12};
        return line.find(L'!') == line.npos;
    }
};

// The size read-out and the tool panel over a 1024 x 768 screen, both with
// their shadows, as the view links them.
class Readout : public ::testing::Test {
protected:
    Readout() {
        settings.zoomVisible = 1;
        selection.BindSettings(settings);
        selection.SetScreenSize(1024, 768);
        for (Pane* p : std::initializer_list<Pane*>{&tools, &label, &zoom}) {
            p->AttachShadowStrips(&strips);
            p->Init({1024, 768});
        }
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();  // 194 x 28, outer 198 x 32
        label.SetShadowOn(label.MakeShadowStrips());
        zoom.ConfigureFromSettings(settings);
        labels.first = &label;
        labels.zoom = &zoom;
        labels.toolPanel = &tools;
        labels.selection = &selection;
        labels.zoomVisible = &settings.zoomVisible;
        labels.toolPanelCorner = &settings.toolPanelCorner;
    }
    // The read-out's box (shadow included) after a move in the move zone.
    Rect ShowFor(int left, int top, int width, int height, int corner) {
        std::tie(selection.left, selection.top, selection.width, selection.height) =
            std::tie(left, top, width, height);
        settings.toolPanelCorner = corner;
        UpdateSizeReadout(labels, m, MODE_MOVE);
        return label.OuterRect();
    }

    Strips strips;
    Settings settings;
    Selection selection;
    ToolPanel tools;
    LabelPane label;
    ZoomPane zoom;
    FixedMeasurer m;
    ViewLabels labels;
};

TEST_F(Readout, NeverOnTheToolPanelAndWholeOnTheScreenAtEveryCornerEdgeAndSize) {
    // "320 x 200" is 54 pixels + 2 * 3: the box is 60 x 18, 64 x 22 with its shadow.
    // clang-format off
    const struct { int corner; Rect box; } known[] = {
        {kCornerAboveLeft, {102, 304, 166, 326}}, {kCornerAboveRight, {102, 304, 166, 326}},
        {kCornerBelowRight, {102, 304, 166, 326}}, {kCornerBelowLeft, {102, 74, 166, 96}}};
    // clang-format on
    for (const auto& k : known) EXPECT_EQ(ShowFor(100, 100, 320, 200, k.corner), k.box);
    // Narrow, with the panel below on the right: above instead of on its buttons.
    EXPECT_EQ(ShowFor(100, 100, 100, 60, kCornerBelowRight).top, 74);
    // At the top with the panel below on the left: beside the panel, not cut.
    EXPECT_EQ(ShowFor(300, 0, 320, 200, kCornerBelowLeft), (Rect{501, 204, 565, 226}));

    // Every corner against selections on every edge and corner of the
    // screen, filling it, narrow and a single pixel.
    const int lefts[] = {0, 1, 300, 1024 - 320, 1024 - 60, 1023};
    const int tops[] = {0, 3, 300, 768 - 200, 768 - 40, 767};
    const Size sizes[] = {{320, 200}, {60, 40}, {1, 1}, {1024, 768}, {1024, 20}, {20, 768}};
    int checked = 0;
    for (const Size& size : sizes)
        for (const int left : lefts)
            for (const int top : tops) {
                if (left + size.width > 1024 || top + size.height > 768) continue;
                for (int corner = kCornerAboveLeft; corner <= kCornerBelowRight; ++corner) {
                    const Rect box = ShowFor(left, top, size.width, size.height, corner);
                    tools.PlaceAtCorner();  // as the painter puts it
                    const Rect panel = tools.OuterRect();
                    ASSERT_EQ(tools.CornerRect(), panel);
                    const std::string where = std::to_string(left) + "," + std::to_string(top) +
                                              " " + std::to_string(size.width) + "x" +
                                              std::to_string(size.height) + " corner " +
                                              std::to_string(corner);
                    ASSERT_TRUE(label.IsVisible());
                    ASSERT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= 1024 &&
                                box.bottom <= 768)
                        << "cut: " << where;
                    ASSERT_TRUE(box.Intersect(panel).IsEmpty()) << "on the panel: " << where;
                    ++checked;
                }
            }
    EXPECT_GT(checked, 300);

    // Without the panel only the screen's edges count.
    settings.toolPanelVisible = 0;
    tools.SetVisible(false);
    EXPECT_EQ(ShowFor(100, 100, 100, 60, kCornerBelowRight).top, 164);
}

TEST_F(Readout, AtAScaleThePanelReadoutAndTipGrowAndKeepTheirPlacesInProportion) {
    for (Pane* p : std::initializer_list<Pane*>{&tools, &label, &zoom})
        p->SetScale(UiScale::FromDpi(144));
    tools.Layout();
    EXPECT_EQ((std::vector{tools.ContentWidth(), tools.ContentHeight()}),
              (std::vector{42 * 7 - 3, 42}));
    // Above left: the panel's bottom 9 above the selection; the read-out 3
    // right of the selection's left edge and 6 below it, its margin 5.
    const Rect box = ShowFor(100, 100, 320, 200, kCornerAboveLeft);
    EXPECT_EQ(tools.CornerRect().left, 101);
    EXPECT_EQ(tools.CornerRect().top, 100 - 42 - 9);
    EXPECT_EQ((std::vector{box.left, box.top, label.ContentWidth(), label.ContentHeight()}),
              (std::vector{103, 306, 54 + 10, 12 + 10}));
    // Below left: the read-out 39 above the selection instead.
    EXPECT_EQ(ShowFor(100, 300, 320, 200, kCornerBelowLeft).top, 300 - 39);
    // Buttons own 42 columns each (the panel now below left, at y 500).
    tools.PlaceAtCorner();
    EXPECT_EQ((std::vector{tools.TrackHover(101 + 41, 510), tools.TrackHover(101 + 42, 510)}),
              (std::vector{0, 3}));
    ShowToolTip(labels, m, true, 400, 300);
    EXPECT_EQ((Point{label.X(), label.Y()}), (Point{412, 312}));
}

TEST_F(Readout, NoSelectionNoReadoutNoPanelAndATimedOutTipKeepsTheMagnifierAway) {
    ShowFor(100, 100, 320, 200, kCornerBelowLeft);
    ASSERT_TRUE(label.IsVisible());
    selection.Clear();
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_FALSE(label.IsVisible());
    tools.PlaceAtCorner();  // (1, 0): where a panel without a selection would stand
    EXPECT_FALSE(tools.IsPresent() || tools.HitTest(5, 5) || tools.TrackHover(5, 5) >= 0);
    tools.SetPinned(true);  // pinned, the panel stays: its minimise button is the way back
    tools.Layout();
    EXPECT_TRUE(tools.IsPresent() && tools.HitTest(5, 5));
    tools.SetPinned(false);
    tools.Layout();

    // A tip on the panel hides the magnifier; its time running out while the
    // pointer is still there keeps it hidden, leaving the panel brings it back.
    ShowFor(100, 100, 320, 200, kCornerBelowLeft);
    tools.PlaceAtCorner();
    ASSERT_EQ(tools.TrackHover(tools.X() + 5, tools.Y() + 5), 0);
    ShowToolTip(labels, m, true, tools.X() + 5, tools.Y() + 5);
    EXPECT_TRUE(label.IsVisible() && !zoom.IsVisible());
    for (int tick = 0; tick < settings.messageTicks; ++tick) CountDownLabels(labels);
    EXPECT_FALSE(label.IsVisible() || zoom.IsVisible());
    tools.TrackHover(600, 600);
    ShowToolTip(labels, m, false, 600, 600);
    EXPECT_TRUE(zoom.IsVisible());
    // A read-out timing out away from the panel brings the magnifier back.
    zoom.SetVisible(false);
    ShowFor(100, 100, 320, 200, kCornerBelowLeft);
    for (int tick = 0; tick < settings.messageTicks; ++tick) CountDownLabels(labels);
    EXPECT_TRUE(zoom.IsVisible());
}

// Two monitors side by side, the second lower, leaving a hole below it:
// 1024 x 700 at (0, 0) and 800 x 600 at (1024, 0), a 1824 x 700 screen.
const std::vector<Rect> kTwoMonitors{{0, 0, 1024, 700}, {1024, 0, 1824, 600}};
const Size kTwoScreen{1824, 700};

TEST(ZoomPane, AtAScaleTheBorderAndMarkedBoxThickenButTheMagnificationStays) {
    // radius 2 (5 source pixels), pointer at (100, 100): the marked cell is
    // the middle one, 2 * factor into the picture.
    // clang-format off
    // dpi, factor, line width, content side, picture, marked box, white sides, the left one
    const struct {
        int dpi, factor, line, content;
        Rect picture, marked;
        int whites;
        Rect left;
    } rows[] = {
        {96, 4, 1, 22, {1, 1, 21, 21}, {8, 8, 14, 14}, 4, {8, 10, 9, 12}},
        {120, 4, 1, 22, {1, 1, 21, 21}, {8, 8, 14, 14}, 4, {8, 10, 9, 12}},
        {144, 4, 2, 24, {2, 2, 22, 22}, {8, 8, 16, 16}, 0, {}},
        {144, 8, 2, 44, {2, 2, 42, 42}, {16, 16, 28, 28}, 4, {16, 20, 18, 24}},
        {192, 2, 2, 14, {2, 2, 12, 12}, {4, 4, 10, 10}, 0, {}},
    };
    // clang-format on
    for (const auto& r : rows) {
        Strips strips;
        ZoomPane zoom;
        zoom.AttachShadowStrips(&strips);
        zoom.Init({1024, 768});
        zoom.SetScale(UiScale::FromDpi(r.dpi));
        zoom.Configure(2, r.factor);
        zoom.FollowCursor(100, 100);
        const ZoomPicture p = zoom.Picture();
        const Point at{zoom.X(), zoom.Y()};
        EXPECT_EQ(p.line, r.line) << r.dpi << "/" << r.factor;
        EXPECT_EQ(zoom.ContentWidth(), r.content) << r.dpi << "/" << r.factor;
        EXPECT_EQ(p.picture, r.picture.Offset(at.x, at.y)) << r.dpi << "/" << r.factor;
        EXPECT_EQ(p.picture.Width(), r.factor * 5) << r.dpi << "/" << r.factor;  // never scaled
        EXPECT_EQ(p.markedBox, r.marked.Offset(at.x, at.y)) << r.dpi << "/" << r.factor;
        EXPECT_EQ(p.whiteSideCount, r.whites) << r.dpi << "/" << r.factor;
        if (r.whites > 0) {
            EXPECT_EQ(p.whiteSides[0], r.left.Offset(at.x, at.y)) << r.dpi;
        }
    }
}

TEST(RingStripes, AWholePeriodOfFourStepsAtEveryScaleAndThe96DpiTilesAtTheirSize) {
    //   dpi: period, light, step
    const int rows[][4] = {{96, 8, 3, 2},   {120, 12, 5, 3}, {144, 12, 5, 3},
                           {168, 16, 6, 4}, {192, 16, 6, 4}, {288, 24, 9, 6}};
    for (const auto& r : rows) {
        const StripePattern p = StripePatternFor(UiScale::FromDpi(r[0]));
        EXPECT_EQ((std::vector{p.period, p.light, p.step}), (std::vector{r[1], r[2], r[3]}))
            << r[0];
    }
    // Every slot's tile, read back bit by bit, against the rule; at 96 dpi
    // that is the rule of the 8 x 8 bitmaps, (x + y - 2 * slot) mod 8 < 3.
    // Four steps bring the stripes back to slot 0, shifted one period.
    for (const int dpi : {96, 144, 192}) {
        const StripePattern p = StripePatternFor(UiScale::FromDpi(dpi));
        const int n = p.period, rowBytes = (n + 15) / 16 * 2;
        for (int slot = 0; slot < 4; ++slot) {
            const std::vector<std::uint8_t> bits = StripeTileBits(p, slot);
            ASSERT_EQ(bits.size(), static_cast<std::size_t>(rowBytes * n)) << dpi;
            int lit = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const bool on =
                        bits[static_cast<std::size_t>(y * rowBytes + x / 8)] & (0x80 >> (x % 8));
                    lit += on;
                    ASSERT_EQ(on, (x + y - p.step * slot + 4 * n) % n < p.light)
                        << dpi << " slot " << slot << " at " << x << "," << y;
                }
            EXPECT_EQ(lit, n * p.light) << dpi;  // nothing beyond the row's bits
        }
        EXPECT_EQ(StripeTileBits(p, 4), StripeTileBits(p, 0));
    }
}

TEST(ToolStrips, TheNearestLargerStripAndAreaAveragingCellByCell) {
    // icon size: 24  25  30  36  37  42  48  49  60 -> strip cell
    const int cells[] = {24, 36, 36, 36, 48, 48, 48, 48, 48};
    int k = 0;
    for (const int size : {24, 25, 30, 36, 37, 42, 48, 49, 60})
        EXPECT_EQ(kToolStripCellSizes[PickToolStrip(kToolStripCellSizes, 3, size)], cells[k++])
            << size;
    EXPECT_EQ(PickToolStrip(kToolStripCellSizes, 1, 36), 0);
    EXPECT_EQ(PickToolStrip(kToolStripCellSizes, 0, 36), -1);

    // Two 4 x 4 cells side by side: a column pattern 0, 0, 255, 255 (blue)
    // and a solid red; channels are averaged apart, alpha included.
    std::vector<std::uint32_t> strip(8 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            strip[static_cast<std::size_t>(y * 8 + x)] =
                x < 4 ? (x < 2 ? 0u : 0xFF0000FFu) : 0x80FF0000u;
    // To 2: exact halves. To 3: the middle column covers a third of each
    // side (1/3 * 255 = 85 at the left, ... 170 at the right), and the red
    // cell never bleeds.
    const std::vector<std::uint32_t> half = ResampleIconCells(strip.data(), 2, 1, 4, 2);
    EXPECT_EQ(half, (std::vector<std::uint32_t>{0, 0xFF0000FF, 0x80FF0000, 0x80FF0000, 0,
                                                0xFF0000FF, 0x80FF0000, 0x80FF0000}));
    const std::vector<std::uint32_t> three = ResampleIconCells(strip.data(), 2, 1, 4, 3);
    ASSERT_EQ(three.size(), 18u);
    for (int y = 0; y < 3; ++y) {
        const auto row = three.begin() + y * 6;
        EXPECT_EQ(std::vector<std::uint32_t>(row, row + 6),
                  (std::vector<std::uint32_t>{0, 0x80000080, 0xFF0000FF, 0x80FF0000, 0x80FF0000,
                                              0x80FF0000}))
            << y;
    }
    // Larger: 4 -> 6 enlarges by 2 (0 0 0 0 255 255 255 255) and averages 8
    // down to 6, 4/3 source pixels each: the step stays hard at the middle.
    const std::vector<std::uint32_t> up = ResampleIconCells(strip.data(), 2, 1, 4, 6);
    ASSERT_EQ(up.size(), 72u);
    EXPECT_EQ(std::vector<std::uint32_t>(up.begin(), up.begin() + 6),
              (std::vector<std::uint32_t>{0, 0, 0, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
    EXPECT_EQ(up[71], 0x80FF0000u);
    // Same size copies; nonsense sizes give nothing.
    EXPECT_EQ(ResampleIconCells(strip.data(), 2, 1, 4, 4), strip);
    EXPECT_TRUE(ResampleIconCells(strip.data(), 2, 1, 4, 0).empty());
    EXPECT_TRUE(ResampleIconCells(nullptr, 2, 1, 4, 2).empty());
}

TEST(Monitors, TheZoomPaneFlipsAtInnerEdgesAndLeavesAHoleWhileItsSourceMayCoverIt) {
    Strips strips;
    Settings settings;  // radius 12, factor 3: 77 x 77, 81 x 81 with the shadow, margin 8
    ZoomPane zoom;
    zoom.AttachShadowStrips(&strips);
    zoom.Init(kTwoScreen);
    zoom.SetMonitors(&kTwoMonitors);
    zoom.ConfigureFromSettings(settings);
    // {pointer x, y, pane x, y, source x, y}
    const int cases[][6] = {
        {900, 300, 909, 309, 888, 288},     // room to the right on the first monitor
        {1000, 300, 912, 309, 988, 288},    // the inner edge flips it back left
        {1030, 300, 1039, 309, 1018, 288},  // just over it, on the second: stays right
        {1700, 590, 1709, 502, 1688, 578},  // the second's bottom, 100 above the screen's
        {1700, 690, 1709, 519, 1688, 675},  // in the hole: pulled onto the second monitor
        {1020, 650, 932, 562, 1008, 638}};  // the first's bottom-right, beside the hole
    for (const auto& c : cases) {
        zoom.FollowCursor(c[0], c[1]);
        EXPECT_EQ((std::vector{zoom.X(), zoom.Y(), zoom.SourceX(), zoom.SourceY()}),
                  (std::vector{c[2], c[3], c[4], c[5]}))
            << c[0] << "," << c[1];
        const Rect box = zoom.OuterRect();
        EXPECT_TRUE(box.Intersect(kTwoMonitors[0]) == box || box.Intersect(kTwoMonitors[1]) == box)
            << c[0] << "," << c[1];
    }
    // Without a monitor list the whole screen is one monitor, as on one display.
    zoom.SetMonitors(nullptr);
    zoom.FollowCursor(1000, 300);
    EXPECT_EQ(zoom.X(), 1009);
}

TEST(Monitors, TheToolPanelKeepsToTheMonitorOfItsCornerAndTheReadoutToThePointers) {
    Strips strips;
    Settings settings;
    Selection selection;
    ToolPanel tools;
    LabelPane label;
    ZoomPane zoom;
    for (Pane* p : std::initializer_list<Pane*>{&tools, &label, &zoom}) {
        p->AttachShadowStrips(&strips);
        p->Init(kTwoScreen);
        p->SetMonitors(&kTwoMonitors);
    }
    tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
    tools.Layout();  // 194 x 28, outer 198 x 32
    selection.BindSettings(settings);
    selection.SetScreenSize(kTwoScreen.width, kTwoScreen.height);
    // {left, top, width, height, corner, panel x, y}
    const int cases[][7] = {
        // below right, the corner on the first monitor by its inner edge:
        // not across onto the second
        {900, 100, 120, 60, kCornerBelowRight, 822, 160},
        // below left, the corner just over the inner edge: on the second
        {1024, 100, 120, 60, kCornerBelowLeft, 1025, 160},
        // below left, the selection ending at the second's bottom: the panel
        // is pulled back over that edge, not into the hole
        {1100, 400, 300, 200, kCornerBelowLeft, 1101, 568},
        // across both, down into the hole: pulled onto the nearest monitor
        {900, 500, 700, 150, kCornerBelowRight, 1402, 568},
        // the same corner on one screen would have stood at 1402, 618
    };
    for (const auto& c : cases) {
        std::tie(selection.left, selection.top, selection.width, selection.height) =
            std::tie(c[0], c[1], c[2], c[3]);
        settings.toolPanelCorner = c[4];
        tools.PlaceAtCorner();
        EXPECT_EQ((Point{tools.X(), tools.Y()}), (Point{c[5], c[6]})) << c[0] << "," << c[1];
        EXPECT_EQ(tools.CornerRect(), tools.OuterRect());
    }

    // The read-out below a selection at the second monitor's bottom goes
    // above it, on that monitor, rather than into the hole.
    FixedMeasurer m;
    ViewLabels labels;
    settings.zoomVisible = 1;
    settings.toolPanelVisible = 0;
    tools.SetVisible(false);
    label.SetShadowOn(label.MakeShadowStrips());
    labels.first = &label;
    labels.zoom = &zoom;
    labels.toolPanel = &tools;
    labels.selection = &selection;
    labels.zoomVisible = &settings.zoomVisible;
    labels.toolPanelCorner = &settings.toolPanelCorner;
    std::tie(selection.left, selection.top, selection.width, selection.height) =
        std::make_tuple(1100, 500, 300, 98);
    label.KeepToMonitorAt(1200, 550);
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(label.OuterRect().bottom, 500 - 26 + 22);
    label.SetArea(Rect{});  // one screen: below it, in what is the hole here
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(label.Y(), 602);
}

TEST(LabelPane, CrLfLoneLfAndUnmeasurableLinesAndACutKeepingPairsWhole) {
    LabelPane label;
    FixedMeasurer m;
    label.SetText(L"ab\r\ncd", m);
    EXPECT_EQ((Size{label.ContentWidth(), label.ContentHeight()}), (Size{12 + 6, 24 + 6}));
    label.SetText(L"abc\nd\n!x", m);  // a lone LF keeps the character before it
    EXPECT_EQ((Size{label.TextWidth(), label.TextHeight()}), (Size{18, 24}));
    const std::wstring full(kLabelTextCapacity - 1, L'a');  // a cut never splits a pair
    EXPECT_EQ(CutLabelText(full + L"\xD83D\xDE00").size(), full.size());
}

}  // namespace
