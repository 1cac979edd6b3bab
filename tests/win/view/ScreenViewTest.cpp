// The scene painter under Wine: a known picture in the snapshot, the scene
// painted into a 32-bit memory DC and read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/win/support/GdiCount.h"
#include "view/PaneLabels.h"
#include "view/ScreenView_win.h"

namespace mrv {
namespace {

constexpr int kWidth = 640, kHeight = 480;

class ScreenViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.zoomVisible = settings.toolPanelVisible = 0;  // they would cover the ring
        ASSERT_EQ(view.InitScreenView(settings, GetModuleHandleW(nullptr)), 1);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(view.ScreenBitmap(), sizeof(dib), &dib), int{sizeof(dib)});
        ASSERT_EQ(dib.dsBm.bmBitsPixel, 32);
        const int w = view.ScreenWidth();
        for (int i = 0; i < w * view.ScreenHeight(); ++i)
            static_cast<std::uint32_t*>(dib.dsBm.bmBits)[i] = PictureAt(i % w, i / w);
        BITMAPINFO info{};
        InitBitmapHeader(info.bmiHeader, kWidth, -kHeight, 32);
        canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels),
                                  nullptr, 0);
        SelectObject(dc, canvas);
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(canvas);
    }

    // A colour as a pixel of a 32-bit DIB.
    static std::uint32_t Pixel(Colour c) { return ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c); }
    // The snapshot: no two neighbours alike, red and green never below 0x20
    // nor blue below 0x30, so a stray or missing pixel of a ring colour here
    // shows.
    static std::uint32_t PictureAt(int x, int y) {
        return Pixel(MakeColour(0x20 + x * 7 % 200, 0x20 + y * 11 % 200, 0x30 + (x + y) * 5 % 180));
    }

    // Paints the scene and checks every pixel: the ring round the selection
    // in stripes of `fore` and `back`, the snapshot everywhere else.
    void ExpectScene(Colour fore, Colour back, const std::string& what) {
        view.DrawScene(dc);
        GdiFlush();
        const Selection& s = view.selection;
        const Rect inner = s.GetRect(),
                   outer = inner.Inflated(settings.frameWidth, settings.frameWidth);
        for (int y = 0, wrong = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool ring = s.width && s.height && outer.Contains(Point{x, y}) &&
                                  !inner.Contains(Point{x, y});
                const bool stripe = ((x + y - 2 * s.patternPhase) % 8 + 8) % 8 <= 2;
                const std::uint32_t want = ring ? Pixel(stripe ? back : fore) : PictureAt(x, y);
                if (pixels[y * kWidth + x] != want && ++wrong <= 3)
                    ADD_FAILURE() << what << " (" << x << ", " << y << "): " << std::hex
                                  << pixels[y * kWidth + x] << " want " << want;
            }
    }

    Settings settings;
    ScreenView view;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = nullptr;
    std::uint32_t* pixels = nullptr;
};

TEST_F(ScreenViewTest, RingStripesLieOutsideTheSelectionFrameWidthThickInTheColoursOfTheMode) {
    // The frame tiles, aligned to the window's origin: with phase s a ring
    // pixel shows the background colour where (x + y - 2s) mod 8 is 0, 1 or
    // 2, else the text colour. The phase steps with the row, and each row
    // sets new colours for its mode (the record is read at every paint); the
    // other mode's pair must not show. Among the rows: one pixel with a ring
    // round it, frame width 0, and no area (no ring).
    struct Row {
        int left, top, width, height, frame, pinned;
    } rows[] = {
        {60, 50, 101, 70, 2, 0},  {100, 100, 50, 40, 5, 0}, {200, 150, 33, 17, 2, 0},
        {100, 100, 1, 1, 2, 0},   {30, 40, 7, 9, 2, 1},     {30, 40, 7, 9, 3, 1},
        {100, 100, 50, 40, 0, 0}, {100, 100, 0, 40, 2, 0},  {100, 100, 50, 0, 2, 1},
    };
    int i = 0;
    for (const Row& r : rows) {
        Selection& s = view.selection;
        s.left = r.left, s.top = r.top, s.width = r.width, s.height = r.height;
        s.patternPhase = i++ % 4;
        const Colour fore = r.pinned ? MakeColour(0x10, i, 0) : MakeColour(i, 0, 0x10);
        const Colour back = r.pinned ? MakeColour(i, 0xFF, 0xF0) : MakeColour(0xFF, 0xF0, i);
        (r.pinned ? settings.pinnedFrameForeColor : settings.frameForeColor) = fore;
        (r.pinned ? settings.pinnedFrameBackColor : settings.frameBackColor) = back;
        settings.frameWidth = r.frame;
        view.pinnedMode = r.pinned;
        ExpectScene(fore, back, "row " + std::to_string(i));
    }
}

// The colours come from a settings file whose four colours all differ: the
// normal ring shows only the normal pair, the pinned ring only the pinned one.
TEST_F(ScreenViewTest, RingsFromALoadedFileShowTheirOwnColours) {
    std::vector<std::uint8_t> file = EncodeSettings(Settings{});
    const Colour colours[] = {MakeColour(0x10, 0x08, 0x01), MakeColour(0xFE, 0xF1, 0x02),
                              MakeColour(0x03, 0x14, 0x06), MakeColour(0xF5, 0xFD, 0x07)};
    for (int k = 0; k < 4; ++k)
        for (int b = 0; b < 4; ++b) file[8 + 48 + 4 * k + b] = std::uint8_t(colours[k] >> 8 * b);
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), settings), 1);
    settings.zoomVisible = settings.toolPanelVisible = 0;
    Selection& s = view.selection;
    s.left = 90, s.top = 70, s.width = 41, s.height = 23, s.patternPhase = 1;
    for (const bool pinned : {false, true}) {
        view.pinnedMode = pinned;
        ExpectScene(colours[pinned ? 2 : 0], colours[pinned ? 3 : 1], pinned ? "pinned" : "normal");
    }
}

TEST_F(ScreenViewTest, RingSidesWithoutRoomOutsideLieInsideAtEveryScreenEdge) {
    // The whole screen this time, on a canvas of its size.
    const int w = view.ScreenWidth(), h = view.ScreenHeight();
    BITMAPINFO info{};
    InitBitmapHeader(info.bmiHeader, w, -h, 32);
    std::uint32_t* screen = nullptr;
    HBITMAP big = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS,
                                   reinterpret_cast<void**>(&screen), nullptr, 0);
    ASSERT_NE(big, nullptr);
    HDC bigDc = CreateCompatibleDC(nullptr);
    SelectObject(bigDc, big);
    settings.frameForeColor = 0x000010;
    settings.frameBackColor = 0xF0FFFF;
    // The selection, the frame width, whether pinned, and the ring as outer
    // minus inner.
    const struct {
        Rect sel;
        int frame, pinned;
        Rect outer, inner;
    } rows[] = {
        {{0, 0, w, h}, 2, 0, {0, 0, w, h}, {2, 2, w - 2, h - 2}},  // a double-click on a plain area
        {{0, 100, 50, 140}, 2, 0, {0, 98, 52, 142}, {2, 100, 50, 140}},
        {{300, 0, 350, 40}, 2, 0, {298, 0, 352, 42}, {300, 2, 350, 40}},
        {{w - 50, 100, w, 140}, 2, 0, {w - 52, 98, w, 142}, {w - 50, 100, w - 2, 140}},
        {{300, h - 40, 350, h}, 2, 0, {298, h - 42, 352, h}, {300, h - 40, 350, h - 2}},
        {{0, 0, 40, 30}, 3, 0, {0, 0, 43, 33}, {3, 3, 40, 30}},
        {{w - 40, h - 30, w, h}, 3, 0, {w - 43, h - 33, w, h}, {w - 40, h - 30, w - 3, h - 3}},
        {{1, 60, 41, 90}, 2, 0, {1, 58, 43, 92}, {3, 60, 41, 90}},  // room for one pixel only
        // Pinned, the ring stays outside: a live capture must not hold it.
        {{0, 100, 50, 140}, 2, 1, {-2, 98, 52, 142}, {0, 100, 50, 140}},
    };
    int i = 0;
    for (const auto& r : rows) {
        Selection& sel = view.selection;
        sel.left = r.sel.left, sel.top = r.sel.top;
        sel.width = r.sel.Width(), sel.height = r.sel.Height();
        sel.patternPhase = i++ % 4;
        settings.frameWidth = r.frame;
        view.pinnedMode = r.pinned;
        const Colour fore = r.pinned ? settings.pinnedFrameForeColor : settings.frameForeColor;
        const Colour back = r.pinned ? settings.pinnedFrameBackColor : settings.frameBackColor;
        view.DrawScene(bigDc);
        GdiFlush();
        const Rect around = r.outer.Inflated(2, 2).Intersect(Rect{0, 0, w, h});
        int wrong = 0;
        for (int y = around.top; y < around.bottom; ++y)
            for (int x = around.left; x < around.right; ++x) {
                const bool ring = r.outer.Contains(Point{x, y}) && !r.inner.Contains(Point{x, y});
                const bool stripe = ((x + y - 2 * sel.patternPhase) % 8 + 8) % 8 <= 2;
                const std::uint32_t want = ring ? Pixel(stripe ? back : fore) : PictureAt(x, y);
                if (screen[y * w + x] != want && ++wrong <= 3)
                    ADD_FAILURE() << "row " << i << " (" << x << ", " << y << "): " << std::hex
                                  << screen[y * w + x] << " want " << want;
            }
    }
    view.pinnedMode = false;
    DeleteDC(bigDc);
    DeleteObject(big);
}

TEST_F(ScreenViewTest, TheZoomPaneLiesOverTheCornerSnapOutline) {
    // The outline of the magnified square reaches 2 pixels past it; the pane
    // starts 3 pixels before the square's far corner, so the two overlap in
    // a 6 x 6 square at the pane's top-left. The pane's pixels are the same
    // with the outline as without it, and the outline shows elsewhere.
    view.selection.left = 300, view.selection.top = 200;
    view.selection.width = 100, view.selection.height = 80;
    view.zoomPane.SetVisible(true);
    view.zoomPane.FollowCursor(150, 120);
    const Rect pane = view.zoomPane.ContentRect();
    const int sx = view.zoomPane.SourceX(), sy = view.zoomPane.SourceY();
    const int size = view.zoomPane.SourceSize();
    ASSERT_FALSE(pane.Intersect(Rect{sx - 2, sy - 2, sx + size + 2, sy + size + 2}).IsEmpty());
    view.DrawScene(dc);
    GdiFlush();
    const std::vector<std::uint32_t> without(pixels, pixels + kWidth * kHeight);
    settings.zoomSnapToCorner = 1;
    view.DrawScene(dc);
    GdiFlush();
    for (int y = pane.top; y < pane.bottom; ++y)
        for (int x = pane.left; x < pane.right; ++x)
            ASSERT_EQ(pixels[y * kWidth + x], without[y * kWidth + x]) << x << ", " << y;
    EXPECT_EQ(pixels[(sy - 2) * kWidth + sx - 2], 0xFFFFFFu);
    EXPECT_EQ(pixels[(sy - 1) * kWidth + sx + size], 0x000000u);
    EXPECT_EQ(pixels[(sy + size + 1) * kWidth + sx - 2], 0xFFFFFFu);
}

TEST_F(ScreenViewTest, AMonitorComingAndGoingRemakesTheSnapshotAndKeepsThingsWhereTheyWere) {
    const int w = view.ScreenWidth(), h = view.ScreenHeight();
    const auto at = [&](int x, int y) {
        const imaging::PixelView p = view.SnapshotPixels();
        return *reinterpret_cast<const std::uint32_t*>(p.data + y * p.stride + x * 4) & 0xFFFFFF;
    };
    const MonitorLayout one = MonitorLayout::FromDesktop({0, 0, w, h}, {{0, 0, w, h}});
    Selection& s = view.selection;
    s.left = 100, s.top = 100, s.width = 50, s.height = 40;
    view.menuPane.ShowAt(20, 20);
    // The same monitors again (a resolution change elsewhere, a repeated
    // notice): nothing moves, the menu stays open.
    EXPECT_FALSE(view.ApplyMonitors(one));
    EXPECT_TRUE(view.menuPane.IsVisible());
    EXPECT_EQ(s.GetRect(), (Rect{100, 100, 150, 140}));

    // A 200 x 100 monitor plugged in left of the screen, 50 lower: the
    // snapshot grows by 200 to the left, the old picture and the selection
    // stay on their desktop pixels.
    const MonitorLayout two =
        MonitorLayout::FromDesktop({-200, 0, w, h}, {{0, 0, w, h}, {-200, 50, 0, 150}});
    EXPECT_TRUE(view.ApplyMonitors(two));
    ASSERT_EQ((Size{view.ScreenWidth(), view.ScreenHeight()}), (Size{w + 200, h}));
    EXPECT_EQ(view.SnapshotPixels().width, w + 200);
    for (const Point p : {Point{0, 0}, Point{37, 211}, Point{w - 1, h - 1}})
        EXPECT_EQ(at(p.x + 200, p.y), PictureAt(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(s.GetRect(), (Rect{300, 100, 350, 140}));
    EXPECT_FALSE(view.menuPane.IsVisible());
    EXPECT_EQ(view.zoomPane.ScreenSize(), (Size{w + 200, h}));
    // The next capture: the holes above and below the new monitor are black.
    view.CaptureScreen();
    EXPECT_EQ(at(5, 5), 0u);
    EXPECT_EQ(at(199, 150), 0u);

    // Unplugged again, with the selection on that monitor: it is cleared.
    s.left = 20, s.top = 60, s.width = 30, s.height = 30;
    EXPECT_TRUE(view.ApplyMonitors(one));
    EXPECT_EQ((Size{view.ScreenWidth(), view.ScreenHeight()}), (Size{w, h}));
    // Another arrangement of the same size: not the same monitors.
    EXPECT_TRUE(view.ApplyMonitors(
        MonitorLayout::FromDesktop({0, 0, w, h}, {{0, 0, w / 2, h}, {w / 2, 0, w, h}})));
    EXPECT_FALSE(s.HasArea());
}

TEST_F(ScreenViewTest, NoGdiObjectGrowthOverAThousandScenes) {
    // Everything that paints: ring, panel, zoom pane with its source outline,
    // both labels, the menu with a submenu open; pinned and not.
    view.selection.width = view.selection.height = 60;
    settings.zoomSnapToCorner = 1;
    view.zoomPane.SetVisible(true);
    view.toolPanel.SetVisible(true);
    ShowCentredMessage(view.Labels(), view.Measurer(), L"「 img0000.png 」を保存しました．");
    ShowLabelText(view.firstLabel, view.Measurer(), 10, 10, false, L"60 x 60", true);
    view.menuPane.ShowAt(200, 20);
    view.menuPane.OnPointerMove(view.menuPane.LabelLeft() + 4, view.menuPane.RowTop(0) + 4);
    ASSERT_NE(view.menuPane.OpenSubmenu(), nullptr);
    view.DrawScene(dc);  // anything made once and kept is made now
    const unsigned long before = test::CountGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        view.selection.patternPhase = i & 3;
        view.pinnedMode = i % 3 == 0;
        view.DrawScene(dc);
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
