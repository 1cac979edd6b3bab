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

#define SET_SEL(sel, l, t, w, h) \
    std::tie(sel.left, sel.top, sel.width, sel.height) = std::make_tuple(l, t, w, h)

TEST(ZoomPane, TheSourceAndPaneStayOnTheScreenAndTheRingMeetsItsEdges) {
    Strips strips;
    Settings settings;  // radius 12, factor 3
    ZoomPane zoom;
    zoom.AttachShadowStrips(&strips);
    zoom.Init({1024, 768});
    zoom.ConfigureFromSettings(settings);
    zoom.FollowCursor(0, 0);  // the source stays on the screen, the marked cell moves
    EXPECT_EQ((std::vector{zoom.SourceX(), zoom.SourceY(), zoom.CursorCellX(), zoom.CursorCellY()}),
              (std::vector{0, 0, 0, 0}));
    zoom.FollowCursor(1023, 767);  // and the pane, due at (1032, 776), flips by 81 + 2 * 8
    EXPECT_EQ((std::vector{zoom.SourceX(), zoom.SourceY(), zoom.CursorCellX(), zoom.CursorCellY(),
                           zoom.X(), zoom.Y()}),
              (std::vector{999, 743, 24, 24, 935, 679}));
    // The ring lies one pixel outside the selection, on the border where it
    // runs past the square, on its own outermost blocks at the screen's edge.
    Selection s;
    zoom.LinkSelection(&s);
    const struct {
        int left, top, width, height, px, py;
        Rect ring;
    } rings[] = {{100, 100, 5, 5, 100, 100, {36, 36, 53, 53}},
                 {90, 90, 40, 40, 100, 100, {6, 6, 77, 77}},
                 {0, 0, 50, 40, 0, 0, {1, 1, 77, 77}},
                 {1000, 740, 24, 28, 1023, 767, {3, 0, 76, 76}},
                 {0, 100, 30, 5, 20, 100, {0, 36, 68, 53}}};
    for (const auto& r : rings) {
        SET_SEL(s, r.left, r.top, r.width, r.height);
        zoom.FollowCursor(r.px, r.py);
        EXPECT_EQ(zoom.Picture().selectionRing, r.ring.Offset(zoom.X(), zoom.Y())) << r.left;
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
    SET_SEL(selection, 100, 100, 320, 200);
    tools.PlaceAtCorner();  // below left, at (101, 300)
    auto shown = [&] {
        std::string s;
        for (int i = 0; i < kToolButtonCount; ++i) s += tools.IsButtonShown(i) ? 'x' : '.';
        return s;
    };
    EXPECT_EQ(shown(), "x..x..x....x.x....xx");
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

// Two monitors side by side, the second lower, leaving a hole below it.
const std::vector<Rect> kTwoMonitors{{0, 0, 1024, 700}, {1024, 0, 1824, 600}};
const Size kTwoScreen{1824, 700};

// The read-out, tool panel and zoom pane as the view links them.
class Readout : public ::testing::Test {
protected:
    explicit Readout(Size screen = {1024, 768}, const std::vector<Rect>* monitors = nullptr) {
        settings.zoomVisible = 1;
        selection.BindSettings(settings);
        selection.SetScreenSize(screen.width, screen.height);
        for (Pane* p : std::initializer_list<Pane*>{&tools, &label, &zoom}) {
            p->AttachShadowStrips(&strips);
            p->Init(screen);
            p->SetMonitors(monitors);
        }
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();  // 194 x 28, outer 198 x 32
        label.SetShadowOn(label.MakeShadowStrips());
        zoom.ConfigureFromSettings(settings);  // 77 x 77, 81 x 81 with the shadow, margin 8
        labels.first = &label;
        labels.zoom = &zoom;
        labels.toolPanel = &tools;
        labels.selection = &selection;
        labels.zoomVisible = &settings.zoomVisible;
        labels.toolPanelCorner = &settings.toolPanelCorner;
    }
    // The read-out's box (shadow included) after a move in the move zone.
    Rect ShowFor(int left, int top, int width, int height, int corner) {
        SET_SEL(selection, left, top, width, height);
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

struct TwoMonitors : Readout {
    TwoMonitors() : Readout(kTwoScreen, &kTwoMonitors) {}
};

TEST_F(Readout, NeverOnTheToolPanelAndWholeOnTheScreenAtEveryCornerEdgeAndSize) {
    // At the top with the panel below on the left: beside the panel, not cut.
    EXPECT_EQ(ShowFor(300, 0, 320, 200, kCornerBelowLeft), (Rect{501, 204, 565, 226}));
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
                    ASSERT_TRUE(label.IsVisible());
                    ASSERT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= 1024 &&
                                box.bottom <= 768 && box.Intersect(panel).IsEmpty())
                        << left << "," << top << " " << size.width << "x" << size.height
                        << " corner " << corner;
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
    const Rect box = ShowFor(100, 100, 320, 200, kCornerAboveLeft);
    EXPECT_EQ(tools.CornerRect().top, 100 - 42 - 9);
    EXPECT_EQ((Point{box.left, box.top}), (Point{103, 306}));
    EXPECT_EQ(ShowFor(100, 300, 320, 200, kCornerBelowLeft).top, 300 - 39);
    tools.PlaceAtCorner();  // buttons own 42 columns each
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

TEST(ZoomPane, AtAScaleTheBorderAndMarkedBoxThickenButTheMagnificationStays) {
    // radius 2 (5 source pixels), pointer at (100, 100): the marked cell is the middle one.
    const struct {
        int dpi, factor, line, content;
        Rect picture, marked;
        int whites;
        Rect left;
    } rows[] = {{96, 4, 1, 22, {1, 1, 21, 21}, {8, 8, 14, 14}, 4, {8, 10, 9, 12}},
                {144, 4, 2, 24, {2, 2, 22, 22}, {8, 8, 16, 16}, 0, {}},
                {144, 8, 2, 44, {2, 2, 42, 42}, {16, 16, 28, 28}, 4, {16, 20, 18, 24}},
                {192, 2, 2, 14, {2, 2, 12, 12}, {4, 4, 10, 10}, 0, {}}};
    for (const auto& r : rows) {
        Strips strips;
        ZoomPane zoom;
        zoom.AttachShadowStrips(&strips);
        zoom.Init({1024, 768});
        zoom.SetScale(UiScale::FromDpi(r.dpi));
        zoom.Configure(2, r.factor);
        zoom.FollowCursor(100, 100);
        const ZoomPicture p = zoom.Picture();
        const int x = zoom.X(), y = zoom.Y();
        EXPECT_EQ((std::vector{p.line, zoom.ContentWidth(), p.picture.Width(), p.whiteSideCount}),
                  (std::vector{r.line, r.content, r.factor * 5, r.whites}))  // never scaled
            << r.dpi << "/" << r.factor;
        EXPECT_EQ(p.picture, r.picture.Offset(x, y)) << r.dpi << "/" << r.factor;
        EXPECT_EQ(p.markedBox, r.marked.Offset(x, y)) << r.dpi << "/" << r.factor;
        EXPECT_TRUE(r.whites == 0 || p.whiteSides[0] == r.left.Offset(x, y)) << r.dpi;
    }
}

TEST(RingStripes, EveryTileMatchesTheRuleAndFourStepsMakeAWholePeriod) {
    // At 96 dpi the rule of the 8 x 8 bitmaps, (x + y - 2 * slot) mod 8 < 3.
    for (const int dpi : {96, 144, 192}) {
        const StripePattern p = StripePatternFor(UiScale::FromDpi(dpi));
        EXPECT_TRUE(dpi != 96 || (p.period == 8 && p.light == 3 && p.step == 2));
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
                        << dpi << "/" << slot;
                }
            EXPECT_EQ(lit, n * p.light) << dpi;  // nothing beyond the row's bits
        }
        EXPECT_EQ(StripeTileBits(p, 4), StripeTileBits(p, 0));
    }
}

TEST(ToolStrips, TheNearestLargerStripAndAreaAveragingCellByCell) {
    const int picks[][2] = {{24, 24}, {25, 36}, {37, 48}, {60, 48}};  // icon size -> strip cell
    for (const auto& k : picks)
        EXPECT_EQ(kToolStripCellSizes[PickToolStrip(kToolStripCellSizes, 3, k[0])], k[1]) << k[0];
    EXPECT_EQ(PickToolStrip(kToolStripCellSizes, 0, 36), -1);
    // Two 4 x 4 cells: columns 0, 0, 255, 255 (blue) and a solid half-alpha red.
    std::vector<std::uint32_t> strip(8 * 4);
    for (std::size_t i = 0; i < strip.size(); ++i)
        strip[i] = i % 8 < 4 ? (i % 8 < 2 ? 0u : 0xFF0000FFu) : 0x80FF0000u;
    // To 3: the middle column covers a third of each side; the red never bleeds.
    const std::vector<std::uint32_t> three = ResampleIconCells(strip.data(), 2, 1, 4, 3);
    ASSERT_EQ(three.size(), 18u);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::vector<std::uint32_t>(three.begin() + y * 6, three.begin() + y * 6 + 6),
                  (std::vector<std::uint32_t>{0, 0x80000080, 0xFF0000FF, 0x80FF0000, 0x80FF0000,
                                              0x80FF0000}))
            << y;
    // 4 -> 6: the step stays hard at the middle.
    const std::vector<std::uint32_t> up = ResampleIconCells(strip.data(), 2, 1, 4, 6);
    ASSERT_EQ(up.size(), 72u);
    EXPECT_EQ(std::vector<std::uint32_t>(up.begin(), up.begin() + 6),
              (std::vector<std::uint32_t>{0, 0, 0, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
    // Same size copies; nonsense sizes give nothing.
    EXPECT_EQ(ResampleIconCells(strip.data(), 2, 1, 4, 4), strip);
    EXPECT_TRUE(ResampleIconCells(strip.data(), 2, 1, 4, 0).empty());
    EXPECT_TRUE(ResampleIconCells(nullptr, 2, 1, 4, 2).empty());
}

TEST_F(TwoMonitors, TheZoomPaneFlipsAtInnerEdgesAndLeavesAHoleWhileItsSourceMayCoverIt) {
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
        EXPECT_TRUE(box.Intersect(kTwoMonitors[0]) == box || box.Intersect(kTwoMonitors[1]) == box);
    }
    zoom.SetMonitors(nullptr);  // without a list the whole screen is one monitor
    zoom.FollowCursor(1000, 300);
    EXPECT_EQ(zoom.X(), 1009);
}

TEST_F(TwoMonitors, TheToolPanelKeepsToTheMonitorOfItsCornerAndTheReadoutToThePointers) {
    // {left, top, width, height, corner, panel x, y}
    const int cases[][7] = {
        {900, 100, 120, 60, kCornerBelowRight, 822, 160},     // by the inner edge: not across it
        {1024, 100, 120, 60, kCornerBelowLeft, 1025, 160},    // just over it: on the second
        {1100, 400, 300, 200, kCornerBelowLeft, 1101, 568},   // at its bottom: not in the hole
        {900, 500, 700, 150, kCornerBelowRight, 1402, 568}};  // across both into the hole
    for (const auto& c : cases) {
        SET_SEL(selection, c[0], c[1], c[2], c[3]);
        settings.toolPanelCorner = c[4];
        tools.PlaceAtCorner();
        EXPECT_EQ((Point{tools.X(), tools.Y()}), (Point{c[5], c[6]})) << c[0] << "," << c[1];
        EXPECT_EQ(tools.CornerRect(), tools.OuterRect());
    }
    // The read-out below a selection at the second monitor's bottom goes
    // above it, on that monitor, rather than into the hole.
    settings.toolPanelVisible = 0;
    tools.SetVisible(false);
    label.KeepToMonitorAt(1200, 550);
    EXPECT_EQ(ShowFor(1100, 500, 300, 98, kCornerBelowRight).bottom, 500 - 26 + 22);
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
