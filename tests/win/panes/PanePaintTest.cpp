// The panes painted through GDI into DIB sections and read back: frames,
// shadow pixels, the zoom pane's blocks and marked box, the tool icons in
// their three states, and no GDI growth over a thousand paints.
#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <vector>

#include "tests/win/support/GdiCount.h"
#include "view/LabelPane_win.h"
#include "view/PaneShadow.h"
#include "view/ToolPanel_win.h"
#include "view/ZoomPane_win.h"

namespace {
using namespace mrv;

constexpr Colour kBlack = 0x000000, kWhite = 0xFFFFFF;
// Over white: untouched, halved, three-quarter.
constexpr Colour kShades[] = {kWhite, MakeColour(0x7F, 0x7F, 0x7F), MakeColour(0xC0, 0xC0, 0xC0)};
constexpr auto Icon = [](int i, bool lit) { return MakeColour(i * 10, lit ? 200 : 0, 100); };
constexpr auto OnFrame = [](int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x <= right && y >= top && y <= bottom &&
           (x == left || x == right || y == top || y == bottom);
};

// A 32-bit DIB section in its own memory DC, white unless `fill` paints it;
// `keep` false lets it go, for the painters to select it themselves.
struct Canvas {
    Canvas(int w, int h, Colour (*fill)(int, int) = nullptr, bool keep = true) {
        BITMAPINFO info{};
        InitBitmapHeader(info.bmiHeader, w, -h, 32);
        void* bits = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
        for (int i = 0; i < w * h; ++i)
            SetPixelV(dc.get(), i % w, i / w, fill ? fill(i % w, i / w) : kWhite);
        if (!keep) SelectObject(dc.get(), old);
    }
    Colour At(int x, int y) const { return GetPixel(dc.get(), x, y); }
    UniqueBitmap bitmap;
    UniqueDc dc{CreateCompatibleDC(nullptr)};
};

TEST(DrawKit, FrameBoxPaintsExactlyTheOutermostPixels) {
    Canvas c(20, 16);
    FrameBox(c.dc.get(), 3, 4, 7, 5, 0x0000FF);
    for (int i = 0; i < 20 * 16; ++i)
        ASSERT_EQ(c.At(i % 20, i / 20), OnFrame(i % 20, i / 20, 3, 4, 9, 8) ? 0x0000FFu : kWhite)
            << i;
}

// A 300 x 200 screen of distinct pixels, a synthetic icon strip (one colour
// per cell and row) and the panes over them. The selection puts the tool
// panel at (20, 100); button 3 is its second, from column 48.
struct PanePaint : ::testing::Test {
    PanePaint() {
        std::tie(selection.left, selection.top, selection.width, selection.height) =
            std::make_tuple(19, 50, 200, 50);
        for (Pane* p : std::initializer_list<Pane*>{&zoom, &tools, &label}) p->Init({300, 200});
        zoom.AttachShadowStrips(&zoomStrips);
        tools.AttachShadowStrips(&toolStrips);
        label.AttachShadowStrips(&labelStrips);
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();
        label.MakeShadowStrips();
    }
    static Colour ScreenPixel(int x, int y) { return MakeColour(x * 3, y * 3, 100); }
    Canvas screen{300, 200, ScreenPixel, false};
    Canvas icons{720, 48, [](int x, int y) { return Icon(x / 24, y >= 24); }, false};
    Settings settings;
    Selection selection;
    PaneShadow zoomStrips, toolStrips, labelStrips;
    ZoomPane zoom;
    ToolPanel tools;
    LabelPane label;
};

TEST_F(PanePaint, ShadowOverWhiteIsHalfInTheCoreAndThreeQuarterOnTheFringe) {
    for (int w = 1; w <= 12; ++w)
        for (int h : {1, 2, 3, 12}) {  // box (5, 5, w, h), the shadow by the band rules
            Canvas c(30, 30);
            DrawShadow(c.dc.get(), tools, toolStrips, 5, 5, w, h);
            for (int i = 0; i < 30 * 30; ++i) {
                const int x = i % 30, y = i / 30;
                const ShadeStep b = BottomBandStep(x - 9, y - 5 - h, w);
                const ShadeStep s = b != ShadeStep::kNone ? b : RightBandStep(x - 5 - w, y - 9, h);
                ASSERT_EQ(c.At(x, y), kShades[static_cast<int>(s)])
                    << w << "x" << h << " at " << x << "," << y;
            }
            if (w == 12 && h == 12) {  // corner, core, outer row, outermost corner
                EXPECT_EQ((std::vector{c.At(9, 17), c.At(10, 17), c.At(10, 20), c.At(20, 20)}),
                          (std::vector{kShades[2], kShades[1], kShades[2], kWhite}));
            }
        }
}

TEST_F(PanePaint, At144DpiTheShadowIsSixPixelsWithTheSameOnePixelFringe) {
    tools.SetScale(UiScale::FromDpi(144));
    tools.Layout();  // strips of the new thickness
    ASSERT_EQ(tools.OuterWidth() - tools.ContentWidth(), 6);
    for (int w : {1, 7, 20})
        for (int h : {2, 20}) {
            Canvas c(40, 40);
            DrawShadow(c.dc.get(), tools, toolStrips, 5, 5, w, h);
            for (int i = 0; i < 40 * 40; ++i) {
                const int x = i % 40, y = i / 40;
                const ShadeStep b = BottomBandStep(x - 11, y - 5 - h, w, 6);
                const ShadeStep s =
                    b != ShadeStep::kNone ? b : RightBandStep(x - 5 - w, y - 11, h, 6);
                ASSERT_EQ(c.At(x, y), kShades[static_cast<int>(s)])
                    << w << "x" << h << " at " << x << "," << y;
            }
            if (w == 20 && h == 20) {  // core rows 0-4, fringe row 5, right band's fringe column
                EXPECT_EQ((std::vector{c.At(12, 29), c.At(12, 30), c.At(12, 31), c.At(30, 20)}),
                          (std::vector{kShades[1], kShades[2], kWhite, kShades[2]}));
            }
        }
}

TEST_F(PanePaint, ZoomBlocksAndMarkedBox) {
    zoom.Configure(3, 3);       // source 7 x 7, content 23
    zoom.FollowCursor(20, 20);  // pane (20, 20), source (17, 17), marked box (29, 29) 5 x 5
    Canvas c(80, 80);
    DrawZoomPane(c.dc.get(), zoom, zoomStrips, screen.bitmap.get(), nullptr);
    for (int y = 21; y < 42; ++y)
        for (int x = 21; x < 42; ++x) {  // the marked box: black, white in the middle of a side
            const Colour block = ScreenPixel(17 + (x - 21) / 3, 17 + (y - 21) / 3);
            const Colour mark = x == 31 || y == 31 ? kWhite : kBlack;
            ASSERT_EQ(c.At(x, y), OnFrame(x, y, 29, 29, 33, 33) ? mark : block) << x << "," << y;
        }
}

TEST_F(PanePaint, At144DpiTheZoomBorderAndMarkedBoxAreTwoPixelsAndTheBlocksStayFactorSized) {
    zoom.SetScale(UiScale::FromDpi(144));
    zoom.Configure(3, 5);       // source 7 x 7, content 5 * 7 + 2 * 2 = 39
    zoom.FollowCursor(20, 20);  // pane (20, 20), picture from 22, marked block (37, 37) 5 x 5
    Canvas c(80, 80);
    DrawZoomPane(c.dc.get(), zoom, zoomStrips, screen.bitmap.get(), nullptr);
    const auto In = [](int x, int y, int lo, int hi) {
        return x >= lo && x <= hi && y >= lo && y <= hi;
    };
    for (int y = 20; y < 59; ++y)
        for (int x = 20; x < 59; ++x) {
            const Colour block = ScreenPixel(17 + (x - 22) / 5, 17 + (y - 22) / 5);
            // The box's lines 35-36 and 42-43; 4 black at each end of a side,
            // the one pixel between them white.
            const Colour mark = x == 39 || y == 39 ? kWhite : kBlack;
            const Colour want = !In(x, y, 22, 56)                       ? kBlack
                                : In(x, y, 35, 43) && !In(x, y, 37, 41) ? mark
                                                                        : block;
            ASSERT_EQ(c.At(x, y), want) << x << "," << y;
        }
}

TEST_F(PanePaint, ToolIconsAtRestHoveredAndPressed) {
    // Button 3's icon corner and highlight, and a shadow row below it with its grey.
    const int states[][4] = {{50, 104, 0, 128},   // at rest: 2 shadow rows show, half grey
                             {48, 102, 1, 126},   // hovered: all 4
                             {51, 105, 1, 129}};  // pressed: 1, the three-quarter fringe
    for (int s = 0; s < 3; ++s) {
        if (s == 2) tools.Press();
        if (s > 0) tools.TrackHover(s == 1 ? 55 : 80, 110);  // pressed 3, then over 6
        Canvas c(300, 200);
        DrawToolPanel(c.dc.get(), tools, toolStrips, icons.bitmap.get(), screen.bitmap.get());
        const auto [x, y, lit, shadowRow] = states[s];
        EXPECT_TRUE(c.At(x, y) == Icon(3, lit) && c.At(x + 23, y + 23) == Icon(3, lit)) << s;
        EXPECT_TRUE(c.At(x - 1, y) != Icon(3, lit) && c.At(x + 23, y + 24) != Icon(3, lit)) << s;
        EXPECT_EQ(c.At(60, shadowRow), kShades[s == 2 ? 2 : 1]) << s;
    }
}

TEST_F(PanePaint, At144DpiTheToolPanelDrawsIconsMadeForItsSize) {
    tools.SetScale(UiScale::FromDpi(144));
    for (int i : {11, 13, 18, 19}) settings.toolButtons[i] = 0;  // 3 left: 0, 3 and 6
    tools.Layout();
    ASSERT_EQ(tools.ShownCount(), 3);
    EXPECT_EQ(tools.ContentWidth(), 42 * 3 - 3);
    EXPECT_EQ(tools.ContentHeight(), 42);
    // Strips of 24, 36 and 48-pixel cells, each cell one colour whose blue
    // tells the strip it came from. 36 is drawn from the 36 strip as it is,
    // 30 from it reduced, 42 and 60 from the 48 strip; with only the 1x strip
    // 36 comes from it. A solid cell stays solid at every size: no cell
    // bleeds into its neighbour.
    const auto StripIcon = [](int i, bool lit, int cell) {
        return MakeColour(i * 10, lit ? 200 : 0, cell);
    };
    std::vector<Canvas> strips;
    for (const int cell : kToolStripCellSizes)
        strips.emplace_back(
            30 * cell, 2 * cell,
            cell == 24
                ? +[](int x, int y) { return MakeColour(x / 24 * 10, y >= 24 ? 200 : 0, 24); }
            : cell == 36
                ? +[](int x, int y) { return MakeColour(x / 36 * 10, y >= 36 ? 200 : 0, 36); }
                : +[](int x, int y) { return MakeColour(x / 48 * 10, y >= 48 ? 200 : 0, 48); },
            false);
    const HBITMAP handles[3] = {strips[0].bitmap.get(), strips[1].bitmap.get(),
                                strips[2].bitmap.get()};
    for (const auto& [size, count, from] :
         {std::tuple{36, 3, 36}, {30, 3, 36}, {42, 3, 48}, {60, 3, 48}, {36, 1, 24}}) {
        UniqueBitmap made(ScaleIconStrip(screen.dc.get(), handles, count, size));
        ASSERT_TRUE(made) << size;
        BITMAP info{};
        ASSERT_EQ(GetObjectW(made.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.bmWidth, size * 30) << size;
        EXPECT_EQ(info.bmHeight, size * 2) << size;
        Surface read;
        ASSERT_TRUE(read.Select(screen.dc.get(), made.get()));
        for (const auto& [cell, lit] : {std::pair{5, true}, {6, false}, {19, true}}) {
            const int x = cell * size, y = lit ? size : 0;
            for (const auto& [px, py] : {std::pair{x, y}, {x + size - 1, y + size - 1}})
                EXPECT_EQ(GetPixel(read.Dc(), px, py), StripIcon(cell, lit, from))
                    << size << " from " << count << ": " << px << "," << py;
        }
    }
    EXPECT_FALSE(ScaleIconStrip(screen.dc.get(), handles, 0, 36));
    const HBITMAP unordered[2] = {handles[1], handles[0]};
    EXPECT_FALSE(ScaleIconStrip(screen.dc.get(), unordered, 2, 36));

    // Button 3 is the second: its column from 20 + 42, its icon 3 in and 6
    // down at rest; hovered it rises to the box, 3 below the panel's top.
    UniqueBitmap strip(ScaleIconStrip(screen.dc.get(), handles, 3, 36));
    ASSERT_TRUE(strip);
    for (int s = 0; s < 2; ++s) {
        if (s == 1) tools.TrackHover(20 + 42 + 10, 110);
        Canvas c(300, 200);
        DrawToolPanel(c.dc.get(), tools, toolStrips, strip.get(), screen.bitmap.get());
        const int x = s == 0 ? 65 : 62, y = s == 0 ? 106 : 103;
        const Colour icon = StripIcon(3, s == 1, 36);
        for (const auto& [px, py] : {std::pair{x, y}, {x + 35, y}, {x, y + 35}, {x + 35, y + 35}})
            EXPECT_EQ(c.At(px, py), icon) << s << ": " << px << "," << py;
        EXPECT_NE(c.At(x - 1, y), icon) << s;
        EXPECT_NE(c.At(x + 36, y + 35), icon) << s;
        EXPECT_NE(c.At(x, y + 36), icon) << s;
    }
}

TEST_F(PanePaint, At144DpiALabelsMarginsAreScaled) {
    label.SetScale(UiScale::FromDpi(144));
    label.SetInnerMargin(kSizeLabelMargin);
    EXPECT_EQ(label.InnerMargin(), 5);
    label.SetInnerMargin(kMessageLabelMargin);
    EXPECT_EQ(label.InnerMargin(), 9);
    Canvas c(300, 200);
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GdiTextMeasurer m(c.dc.get(), font);
    label.SetText(L"320 x 200", m);
    label.MoveTo(30, 40);
    EXPECT_EQ(label.ContentWidth(), label.TextWidth() + 18);
    EXPECT_EQ(label.ContentHeight(), label.TextHeight() + 18);
    EXPECT_EQ(label.LineOrigin(0), (Point{39, 49}));
    DrawLabelPane(c.dc.get(), label, labelStrips, font);
    // Border, then white up to the text's margin.
    EXPECT_EQ(c.At(30, 45), kBlack);
    for (int x = 31; x < 39; ++x) EXPECT_EQ(c.At(x, 45), kWhite) << x;
}

TEST_F(PanePaint, AThousandPaintsOfEveryPaneLeaveTheGdiObjectCountAlone) {
    Canvas c(300, 200);
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    unsigned long before = 0;
    for (int i = 0; i <= 1000; ++i) {
        if (i == 1) before = test::CountGdiObjects();  // the first paint may realise the font
        zoom.Configure(4 + i % 3, 1 + i % 8);          // re-makes the strips
        zoom.FollowCursor(60 + i % 200, 60 + i % 100);
        tools.SetPinned(i % 2 == 1);
        tools.Layout();
        tools.TrackHover(tools.X() + 30, tools.Y() + 5);
        GdiTextMeasurer m(c.dc.get(), font);
        label.SetText(i % 2 ? L"320 x 200" : L"ab\r\ncd", m);
        DrawZoomPane(c.dc.get(), zoom, zoomStrips, screen.bitmap.get(), nullptr);
        DrawToolPanel(c.dc.get(), tools, toolStrips, icons.bitmap.get(), screen.bitmap.get());
        DrawLabelPane(c.dc.get(), label, labelStrips, font);
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
