// The scene painter under Wine: a known picture in the snapshot, the scene
// painted into a 32-bit memory DC and compared with it pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "selection/LabelPane.h"
#include "settings/Settings.h"
#include "tests/win/support/GdiCount.h"
#include "view/PaneLabels.h"
#include "view/ScreenView_win.h"

namespace mrv {
namespace {

// A 32-bit top-down DIB section selected into a memory DC, read back as
// colours.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info{};
        InitBitmapHeader(info.bmiHeader, width, -height, 32);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<const std::uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    Colour At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    HBITMAP bitmap_;
    const std::uint32_t* bits_;
    HDC dc_;
    HGDIOBJ previous_;
};

constexpr int kCanvasWidth = 640;
constexpr int kCanvasHeight = 480;

// A picture in which no two neighbours are alike and none is black, white
// or the pinned red, so a stray or missing ring pixel always shows.
Colour PictureAt(int x, int y) {
    return MakeColour(0x20 + (x * 7) % 200, 0x20 + (y * 11) % 200, 0x30 + ((x + y) * 5) % 180);
}

// The stripe rule of the frame tiles: with phase s, a ring pixel shows the
// background colour where (x + y - 2s) mod 8 is 0, 1 or 2, else the text
// colour; the tiles are aligned to the window's origin.
Colour StripeAt(int x, int y, int phase, Colour fore, Colour back) {
    return ((x + y - 2 * phase) % 8 + 8) % 8 <= 2 ? back : fore;
}

class ScreenViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The panes have tests of their own; here they would only cover the
        // ring. Tests that want them switch them on.
        settings.zoomVisible = 0;
        settings.toolPanelVisible = 0;
        ASSERT_EQ(view.InitScreenView(settings, GetModuleHandleW(nullptr)), 1);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(view.ScreenBitmap(), sizeof(dib), &dib), int{sizeof(dib)});
        ASSERT_EQ(dib.dsBm.bmBitsPixel, 32);
        auto* bits = static_cast<std::uint32_t*>(dib.dsBm.bmBits);
        GdiFlush();
        for (int y = 0; y < view.ScreenHeight(); ++y)
            for (int x = 0; x < view.ScreenWidth(); ++x) {
                const Colour c = PictureAt(x, y);
                bits[y * view.ScreenWidth() + x] = ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c);
            }
    }

    void Select(int left, int top, int width, int height) {
        view.selection.left = left;
        view.selection.top = top;
        view.selection.width = width;
        view.selection.height = height;
    }

    // Paints the scene and checks every canvas pixel: the ring `frame`
    // pixels thick around the selection in the stripes of `phase`, the
    // snapshot everywhere else, the selection's inside included.
    void ExpectScene(int phase, int frame, Colour fore, Colour back) {
        Canvas canvas(kCanvasWidth, kCanvasHeight);
        view.selection.patternPhase = phase;
        view.DrawScene(canvas.Dc());
        const Selection& s = view.selection;
        const bool ring = s.width != 0 && s.height != 0;
        const Rect inner = s.GetRect();
        const Rect outer = inner.Inflated(frame, frame);
        int wrong = 0;
        for (int y = 0; y < kCanvasHeight && wrong < 5; ++y)
            for (int x = 0; x < kCanvasWidth && wrong < 5; ++x) {
                const bool inRing =
                    ring && outer.Contains(Point{x, y}) && !inner.Contains(Point{x, y});
                const Colour want = inRing ? StripeAt(x, y, phase, fore, back) : PictureAt(x, y);
                if (canvas.At(x, y) != want) {
                    ++wrong;
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") phase " << phase
                                  << (inRing ? " ring" : " picture") << ": " << std::hex
                                  << canvas.At(x, y) << " want " << want;
                }
            }
    }

    Settings settings;
    ScreenView view;
};

TEST_F(ScreenViewTest, RingLiesOutsideTheSelectionAndItsStripesMoveTwoPixelsAPhase) {
    Select(60, 50, 101, 70);
    for (int phase = 0; phase < 4; ++phase)
        ExpectScene(phase, 2, settings.frameForeColor, settings.frameBackColor);
    // The colours are read from the record at every paint.
    settings.frameForeColor = 0x0000AA;
    settings.frameBackColor = 0xCCFFCC;
    ExpectScene(3, 2, 0x0000AA, 0xCCFFCC);
}

TEST_F(ScreenViewTest, PinnedModePaintsTheRingInThePinnedColours) {
    Select(30, 40, 7, 9);
    view.pinnedMode = true;
    ExpectScene(1, 2, settings.pinnedFrameForeColor, settings.pinnedFrameBackColor);
    settings.pinnedFrameForeColor = 0x00AA00;
    ExpectScene(2, 2, 0x00AA00, settings.pinnedFrameBackColor);
}

TEST_F(ScreenViewTest, RingIsFrameWidthThickAndAbsentWithoutAnArea) {
    Select(100, 100, 50, 40);
    settings.frameWidth = 5;
    ExpectScene(0, 5, settings.frameForeColor, settings.frameBackColor);
    settings.frameWidth = 0;
    ExpectScene(0, 0, settings.frameForeColor, settings.frameBackColor);

    settings.frameWidth = 2;
    Select(100, 100, 1, 1);  // a ring around one untouched pixel
    ExpectScene(2, 2, settings.frameForeColor, settings.frameBackColor);
    Select(100, 100, 0, 40);
    ExpectScene(0, 2, settings.frameForeColor, settings.frameBackColor);
    Select(100, 100, 50, 0);
    ExpectScene(0, 2, settings.frameForeColor, settings.frameBackColor);
}

TEST_F(ScreenViewTest, PinnedModeLeavesOutTheZoomPaneLabelsAndMenu) {
    Select(300, 200, 40, 30);
    view.zoomPane.SetVisible(true);
    view.zoomPane.FollowCursor(420, 40);
    ShowCentredMessage(view.Labels(), view.Measurer(), L"x");
    view.menuPane.ShowAt(20, 100);
    const Rect zoom = view.zoomPane.ContentRect();
    const Rect message = view.secondLabel.ContentRect();
    const Rect menu = view.menuPane.ContentRect();
    ASSERT_LT(zoom.bottom, kCanvasHeight);
    ASSERT_LT(menu.bottom, kCanvasHeight);

    Canvas normal(kCanvasWidth, kCanvasHeight);
    view.DrawScene(normal.Dc());
    Canvas pinned(kCanvasWidth, kCanvasHeight);
    view.pinnedMode = true;
    view.DrawScene(pinned.Dc());
    // The message sits on the selection; its ring is painted either way.
    const Rect ring = view.selection.GetRect().Inflated(2, 2);
    for (const Rect& r : {zoom, message, menu}) {
        const int cx = (r.left + r.right) / 2;
        const int cy = (r.top + r.bottom) / 2;
        EXPECT_NE(normal.At(cx + 1, cy + 1), PictureAt(cx + 1, cy + 1)) << cx << ", " << cy;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                if (ring.Contains(Point{x, y})) continue;
                ASSERT_EQ(pinned.At(x, y), PictureAt(x, y)) << x << ", " << y;
            }
    }
}

TEST_F(ScreenViewTest, NoGdiObjectGrowthOverAThousandScenes) {
    // Everything that paints: ring, panel, zoom pane with its source outline,
    // both labels, the menu with a submenu open; pinned and not.
    Select(120, 80, 90, 60);
    settings.zoomSnapToCorner = 1;
    view.zoomPane.SetVisible(true);
    view.toolPanel.SetVisible(true);
    ShowCentredMessage(view.Labels(), view.Measurer(), L"「 img0000.png 」を保存しました．");
    ShowLabelText(view.firstLabel, view.Measurer(), 10, 10, false, L"90 x 60", true);
    view.menuPane.ShowAt(200, 20);
    const MenuItem& formats = view.menuPane.Items().front();
    ASSERT_NE(formats.submenu, nullptr);
    view.menuPane.OnPointerMove(view.menuPane.LabelLeft() + 4, view.menuPane.RowTop(0) + 4);
    ASSERT_NE(view.menuPane.OpenSubmenu(), nullptr);

    Canvas canvas(kCanvasWidth, kCanvasHeight);
    view.DrawScene(canvas.Dc());  // anything made once and kept is made now
    const unsigned long before = test::CountGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        view.selection.patternPhase = i & 3;
        view.pinnedMode = (i % 3) == 0;
        view.DrawScene(canvas.Dc());
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
