// The popup menu painted into a 32-bit DIB section: frame, gutter, separators,
// shadow, the highlight under the pointer, check icons only on checked rows,
// text columns, submenus to the right or flipped left; and no GDI objects
// left behind by a thousand paints.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "resources/resource.h"
#include "settings/Settings.h"
#include "tests/win/support/GdiCount.h"
#include "view/MenuPane_win.h"

namespace mrv {
namespace {

// A 32-bit top-down DIB section selected into a memory DC, read back as
// COLORREF values.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), size_(width * height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC Dc() const { return dc_; }
    void Fill(Colour c) {
        GdiFlush();
        std::fill(bits_, bits_ + size_, ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c));
    }
    Colour At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_, size_;
    HDC dc_ = CreateCompatibleDC(nullptr);
    HBITMAP bitmap_;
    std::uint32_t* bits_;
    HGDIOBJ previous_;
};

constexpr Size kScreen{640, 480};
constexpr Colour kGrey = 0x808080;  // the picture under the menu

bool Dark(Colour c) {
    return ColourR(c) < 0x60 && ColourG(c) < 0x60 && ColourB(c) < 0x60;
}

class MenuPaint : public ::testing::Test {
protected:
    void SetUp() override {
        menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
        ASSERT_NE(menu, nullptr);
        pane.Init(kScreen);
        ASSERT_EQ(pane.BuildFromMenu(GetSubMenu(menu, 0)), 1);
        RefreshMenuChecks(pane, Settings{});  // marks: zoom view on, task tray off
        pane.ShowAt(20, 10);
        sub = pane.Items()[0].submenu.get();
    }
    void TearDown() override { DestroyMenu(menu); }

    void Paint() {
        canvas.Fill(kGrey);
        pane.Draw(canvas.Dc());
    }
    static std::size_t Index(const MenuModel& m, int id) {
        std::size_t k = 0;
        while (m.Items()[k].id != id) ++k;
        return k;
    }
    static int Row(const MenuModel& m, int id) { return m.RowTop(Index(m, id)); }
    void MoveTo(const MenuModel& m, int id) {
        pane.OnPointerMove(m.X() + 40, Row(m, id) + m.ItemHeight() / 2);
    }
    // Dark pixels in columns [x0, x1) of rows [y0, y1).
    int DarkIn(int x0, int x1, int y0, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Dark(canvas.At(x, y)) ? 1 : 0;
        return n;
    }

    Canvas canvas{kScreen.width, kScreen.height};
    HMENU menu = nullptr;
    MenuPane pane;
    MenuModel* sub = nullptr;
};

TEST_F(MenuPaint, FrameGutterSeparatorsAndShadowAndTheDcPutBack) {
    HDC dc = canvas.Dc();
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const int mode = GetBkMode(dc);
    Paint();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetBkMode(dc), mode);

    const int x = pane.X(), y = pane.Y(), w = pane.ContentWidth(), h = pane.ContentHeight();
    EXPECT_EQ(canvas.At(x, y), 0u);
    EXPECT_EQ(canvas.At(x + w - 1, y + h - 1), 0u);
    EXPECT_EQ(canvas.At(x + 10, y + 2), kMenuGutterColour);
    EXPECT_EQ(canvas.At(x + 20, y + h - 2), kMenuGutterColour);
    EXPECT_EQ(canvas.At(x + 21, y + h - 2), kMenuBackColour);
    EXPECT_EQ(canvas.At(x + w - 2, y + 2), kMenuBackColour);
    EXPECT_EQ(canvas.At(x + w + 1, y + h / 2), 0x404040u);  // shadow core: half
    EXPECT_EQ(canvas.At(x + w + 4, y + h / 2), kGrey);

    int separators = 0;
    for (std::size_t k = 0; k < pane.Items().size(); ++k) {
        if (!pane.Items()[k].IsSeparator()) continue;
        ++separators;
        const int r = pane.RowTop(k);
        EXPECT_EQ(canvas.At(x + 24, r), kMenuBackColour);
        EXPECT_EQ(canvas.At(x + 25, r), kMenuGutterColour);
        EXPECT_EQ(canvas.At(x + w - 4, r), kMenuGutterColour);
        EXPECT_EQ(canvas.At(x + w - 3, r), kMenuBackColour);  // end point left out
        EXPECT_EQ(canvas.At(x + 40, r - 1), kMenuBackColour);
        EXPECT_EQ(canvas.At(x + 40, r + 1), kMenuBackColour);
    }
    EXPECT_EQ(separators, 5);

    pane.Hide();
    Paint();
    EXPECT_EQ(DarkIn(x, x + w + 4, y, y + h + 4), 0);
    EXPECT_EQ(canvas.At(x, y), kGrey);
}

TEST_F(MenuPaint, HighlightTextColumnsArrowAndChecksFollowTheState) {
    MoveTo(pane, IDM_OPEN_FOLDER);
    Paint();
    const int x = pane.X(), w = pane.ContentWidth(), ih = pane.ItemHeight();
    const int lit = Row(pane, IDM_OPEN_FOLDER);
    EXPECT_EQ(canvas.At(x + 2, lit - 3), kMenuHighlightFrameColour);
    EXPECT_EQ(canvas.At(x + w - 8, lit - 2), kMenuHighlightColour);
    EXPECT_EQ(canvas.At(x + 10, lit - 2), kMenuHighlightColour);  // over the gutter too
    // The frame reaches 3 pixels above the text and 2 into the next row's band.
    EXPECT_EQ(canvas.At(x + w - 8, lit - 4), kMenuBackColour);
    EXPECT_EQ(canvas.At(x + w - 8, lit + ih - 2), kMenuHighlightFrameColour);
    EXPECT_EQ(canvas.At(x + w - 8, lit + ih - 1), kMenuBackColour);

    auto checkDrawn = [&](int id) {
        const int r = Row(pane, id);
        return DarkIn(x + 4, x + 18, r - 1, r + 13) > 0;
    };
    const int arrowColumn = x + w - 10;
    for (const MenuItem& item : pane.Items()) {
        if (item.IsSeparator()) continue;
        SCOPED_TRACE(item.id);
        const int r = Row(pane, item.id);
        EXPECT_EQ(checkDrawn(item.id), item.checked);
        EXPECT_GT(DarkIn(pane.LabelLeft(), pane.AcceleratorLeft(), r, r + ih - 4), 0);
        EXPECT_EQ(DarkIn(pane.AcceleratorLeft(), arrowColumn, r, r + ih - 4) > 0,
                  item.HasAccelerator());
        if (!item.HasAccelerator()) {  // a wide accelerator may reach the arrow's place
            EXPECT_EQ(DarkIn(arrowColumn, arrowColumn + 4, r, r + ih - 4) > 0,
                      item.submenu != nullptr);
        }
    }
    EXPECT_TRUE(checkDrawn(IDM_ZOOM_VIEW));

    pane.SetItemChecked(IDM_ZOOM_VIEW, false);
    pane.SetItemChecked(IDM_TASKTRAY, true);
    Paint();
    EXPECT_FALSE(checkDrawn(IDM_ZOOM_VIEW));
    EXPECT_TRUE(checkDrawn(IDM_TASKTRAY));
}

TEST_F(MenuPaint, SubmenuPaintsOverItsParentOnTheRightOrFlippedLeft) {
    MoveTo(pane, pane.Items()[0].id);
    MoveTo(*sub, IDM_BMP_555);
    Paint();
    const int x = pane.X(), w = pane.ContentWidth();
    const int sx = sub->X(), sy = sub->Y();
    ASSERT_EQ(sx, x + w - 5);
    EXPECT_EQ(canvas.At(sx, sy), 0u);
    EXPECT_EQ(canvas.At(sx + sub->ContentWidth() - 1, sy + sub->ContentHeight() - 1), 0u);
    EXPECT_EQ(canvas.At(x + w - 1, sy + 10), kMenuGutterColour);  // the parent's frame, covered
    EXPECT_EQ(canvas.At(x + w / 2, pane.RowTop(0) - 2), kMenuHighlightColour);  // entry stays lit
    EXPECT_EQ(canvas.At(sx + sub->ContentWidth() - 8, Row(*sub, IDM_BMP_555) - 2),
              kMenuHighlightColour);
    EXPECT_EQ(canvas.At(sx + sub->ContentWidth() - 8, Row(*sub, IDM_BMP_24) - 2), kMenuBackColour);

    pane.ShowAt(kScreen.width - w - 30, 10);  // no room on the right
    MoveTo(pane, pane.Items()[0].id);
    Paint();
    const int px = pane.X();
    ASSERT_EQ(sub->X(), px + 1 - sub->ContentWidth() + 2);
    EXPECT_EQ(canvas.At(sub->X(), sub->Y()), 0u);
    // Beside the parent's "設定..." row: the submenu's right frame over the
    // parent's gutter, then its shadow darkening the gutter.
    EXPECT_EQ(canvas.At(px + 2, sub->Y() + 40), 0u);
    EXPECT_EQ(canvas.At(px + 3, sub->Y() + 40), 0x666666u);
}

TEST_F(MenuPaint, AThousandPaintsRebuildsAndMarksKeepTheGdiObjectCount) {
    auto paintOnce = [&](int i) {
        if (i % 250 == 0) pane.Init(kScreen);  // font, icon and strips re-made
        if (i % 100 == 0 || pane.Items().empty()) (void)pane.BuildFromMenu(GetSubMenu(menu, 0));
        pane.ShowAt(20 + i % 300, 10 + i % 100);
        MoveTo(pane, pane.Items()[0].id);
        if (i % 2 == 0) MoveTo(*pane.Items()[0].submenu, IDM_JPEG_LOW);
        if (i % 3 == 0) MoveTo(pane, IDM_COPY);
        pane.SetItemChecked(IDM_ZOOM_VIEW, i % 2 == 0);
        (void)pane.MenuDirtyRect();
        pane.Draw(canvas.Dc());
    };
    paintOnce(1);  // first use may create lasting objects (font realisation)
    const unsigned long before = test::CountGdiObjects();
    ASSERT_GT(before, 0u);
    for (int i = 1; i <= 1000; ++i) paintOnce(i);
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
