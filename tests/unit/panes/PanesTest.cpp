// Pane geometry, the drop shadow arithmetic, and the zoom pane, tool panel
// and label laid out without GDI.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "view/Draw.h"
#include "view/PaneLabels.h"
#include "view/PaneShadow.h"

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
