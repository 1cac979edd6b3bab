// Menu 125 read back through USER32 into the popup menu pane, its marks kept
// in step with the Win32 menu, and the pane painted into a DIB section; no GDI
// objects left behind by a thousand paints.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "resources/resource.h"
#include "settings/Settings.h"
#include "tests/win/support/GdiCount.h"
#include "view/MenuPane_win.h"

namespace mrv {
namespace {

constexpr Size kScreen{640, 720};   // tall enough for the menu at 150 %
constexpr Colour kGrey = 0x808080;  // the picture under the menu

// The menu resource loaded, the pane built from its first popup with the
// marks of the default settings (zoom view on, task tray off) and shown at
// (20, 10), and a screen-sized 24-bit canvas to paint it into.
class MenuPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(popup, nullptr);
        pane.Init(kScreen);
        ASSERT_EQ(pane.BuildFromMenu(popup), 1);
        RefreshMenuChecks(pane, Settings{});
        pane.ShowAt(20, 10);
        sub = pane.Items()[0].submenu.get();
        ASSERT_TRUE(sub && CreateDib(dib, nullptr, kScreen.width, kScreen.height) &&
                    canvas.Select(nullptr, dib.bitmap.get()));
    }
    void TearDown() override { DestroyMenu(menu); }

    void Paint() {
        FillBox(canvas.Dc(), 0, 0, kScreen.width, kScreen.height, kGrey);
        pane.Draw(canvas.Dc());
        GdiFlush();
    }
    Colour At(int x, int y) const {
        const std::uint8_t* p = DibPixels(dib).Row(y) + 3 * x;
        return MakeColour(p[2], p[1], p[0]);
    }
    // Whether a pixel in columns [x0, x1) of rows [y0, y1) is dark (every
    // channel below 0x80).
    bool DarkIn(int x0, int x1, int y0, int y1) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if ((At(x, y) & 0x808080) == 0) return true;
        return false;
    }
    static int Row(const MenuModel& m, int id) {
        std::size_t k = 0;
        while (m.Items()[k].id != id) ++k;
        return m.RowTop(k);
    }
    void MoveTo(const MenuModel& m, int id) {
        pane.OnPointerMove(m.X() + 40, Row(m, id) + m.ItemHeight() / 2);
    }
    bool Win32Checked(int id) const {
        return (GetMenuState(popup, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
    }

    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    MenuPane pane;
    MenuModel* sub = nullptr;
    DibRecord dib;
    Surface canvas;
};

TEST_F(MenuPaneTest, Menu125IsReadWholeIntoThePane) {
    // Each pane against the Win32 menu it came from, item by item; its shape
    // in commands ('c'), separators ('-') and submenu entries ('>'): 22
    // entries up top, 16 of them commands; 13 commands and 2 separators below.
    const std::tuple<const MenuModel*, HMENU, std::string> panes[] = {
        {&pane, popup, ">c-cc-ccccc-cc-cccc-cc"}, {sub, GetSubMenu(popup, 0), "ccccc-ccc-ccccc"}};
    for (const auto& [m, h, shape] : panes) {
        ASSERT_EQ(m->Items().size(), shape.size());
        std::string kinds;
        for (int k = 0; k < static_cast<int>(shape.size()); ++k) {
            const MenuItem& item = m->Items()[static_cast<std::size_t>(k)];
            wchar_t text[128] = {};
            GetMenuStringW(h, static_cast<UINT>(k), text, 128, MF_BYPOSITION);
            EXPECT_EQ(item.text, text) << k;
            EXPECT_EQ(item.id, item.submenu ? item.id : static_cast<int>(GetMenuItemID(h, k)));
            kinds += item.IsSeparator() ? '-' : item.submenu ? '>' : 'c';
        }
        EXPECT_EQ(kinds, shape);
    }
    EXPECT_EQ(pane.Items()[0].text, L"画像フォーマット");
    EXPECT_EQ(pane.Items()[4].text, L"最後の画像を開く\tCtrl+Shift+O");
    EXPECT_EQ(sub->Items()[14].text, L"  低画質");
    EXPECT_EQ(sub->Items()[14].id, IDM_JPEG_LOW);

    // A rebuild replaces every item and reads a text whole, however long (the
    // last item is IDM_EXIT's).
    const std::wstring longText(300, L'あ');
    ModifyMenuW(popup, IDM_EXIT, MF_BYCOMMAND | MF_STRING, IDM_EXIT, longText.c_str());
    ASSERT_EQ(pane.BuildFromMenu(popup), 1);
    ASSERT_EQ(pane.Items().size(), 22u);
    EXPECT_EQ(pane.Items()[21].text, longText);
}

TEST_F(MenuPaneTest, PaintedPixelsAndMarksInThePaneAndTheWin32Menu) {
    MoveTo(pane, IDM_OPEN_FOLDER);
    Paint();
    const int x = pane.X(), y = pane.Y(), w = pane.ContentWidth(), h = pane.ContentHeight();
    const int ih = pane.ItemHeight(), lit = Row(pane, IDM_OPEN_FOLDER), line = pane.RowTop(5);
    // clang-format off
    const std::tuple<int, int, Colour> pixels[] = {
        {x, y, 0}, {x + w - 1, y + h - 1, 0},                                         // frame
        {x + 20, y + h - 2, kMenuGutterColour}, {x + 21, y + h - 2, kMenuBackColour},  // gutter
        // A separator: one line from x + 25, its end point left out.
        {x + 24, line, kMenuBackColour}, {x + 25, line, kMenuGutterColour},
        {x + w - 4, line, kMenuGutterColour}, {x + w - 3, line, kMenuBackColour},
        {x + 40, line + 1, kMenuBackColour},
        {x + w + 1, y + h / 2, 0x404040}, {x + w + 4, y + h / 2, kGrey},  // the shadow halves
        // The highlight frame from 3 pixels above the text to 2 into the next
        // row's band, the bar inside it over the gutter too.
        {x + w - 8, lit - 4, kMenuBackColour}, {x + 2, lit - 3, kMenuHighlightFrameColour},
        {x + 10, lit - 2, kMenuHighlightColour},
        {x + w - 8, lit + ih - 2, kMenuHighlightFrameColour}, {x + w - 8, lit + ih - 1, kMenuBackColour},
    };
    // clang-format on
    for (const auto& [px, py, colour] : pixels)
        EXPECT_EQ(At(px, py), colour) << px - x << "," << py - y;

    auto icon = [&](int id) {
        return DarkIn(x + 4, x + 18, Row(pane, id) - 1, Row(pane, id) + 13);
    };
    for (const MenuItem& item : pane.Items()) {
        if (item.IsSeparator()) continue;
        const int r = Row(pane, item.id);
        EXPECT_EQ(icon(item.id), item.checked) << item.id;
        EXPECT_TRUE(DarkIn(pane.LabelLeft(), pane.AcceleratorLeft(), r, r + ih - 4)) << item.id;
        EXPECT_EQ(DarkIn(pane.AcceleratorLeft(), x + w - 10, r, r + ih - 4), item.HasAccelerator());
    }
    // The settings' marks replaced the resource's in the Win32 menu too, and
    // SetItemChecked changes both menus.
    EXPECT_FALSE(Win32Checked(IDM_BMP_565) || Win32Checked(IDM_TASKTRAY));
    pane.SetItemChecked(IDM_ZOOM_VIEW, false);
    pane.SetItemChecked(IDM_TASKTRAY, true);
    EXPECT_TRUE(!Win32Checked(IDM_ZOOM_VIEW) && Win32Checked(IDM_TASKTRAY));
    Paint();
    EXPECT_FALSE(icon(IDM_ZOOM_VIEW));
    EXPECT_TRUE(icon(IDM_TASKTRAY));
}

TEST_F(MenuPaneTest, SubmenuPaintsOverItsParent) {
    MoveTo(pane, pane.Items()[0].id);
    MoveTo(*sub, IDM_BMP_555);
    Paint();
    const int x = pane.X(), w = pane.ContentWidth(), sx = sub->X(), sy = sub->Y();
    ASSERT_EQ(sx, x + w - 5);
    // The parent's right frame lies under the submenu's gutter, above the
    // first row's check icon (which starts at sx + 4, sy + 4).
    EXPECT_EQ(At(x + w - 1, sy + 2), kMenuGutterColour);
    EXPECT_EQ(At(x + w / 2, pane.RowTop(0) - 2), kMenuHighlightColour);  // the entry stays lit
    EXPECT_EQ(At(sx + sub->ContentWidth() - 8, Row(*sub, IDM_BMP_555) - 2), kMenuHighlightColour);
}

TEST_F(MenuPaneTest, At144DpiRowsGutterHighlightAndMarksAreHalfAsLargeAgain) {
    const int ih96 = pane.ItemHeight(), w96 = pane.ContentWidth();
    ASSERT_EQ(ih96, 16);  // 4 of margin + the 12-pixel cell
    ASSERT_EQ(pane.ApplyScale(UiScale::FromDpi(144)), 1);
    pane.ShowAt(20, 10);
    ASSERT_EQ(pane.Y(), 10);           // whole on the canvas
    EXPECT_EQ(pane.ItemHeight(), 24);  // 6 + 18: the font is made for the scale
    EXPECT_NEAR(pane.ContentWidth(), w96 * 3 / 2, w96 / 10);
    EXPECT_EQ(pane.LabelLeft(), pane.X() + 1 + 6 + 30);
    // The submenu, measured again with the parent's new font.
    EXPECT_EQ(sub->ItemHeight(), 24);
    EXPECT_EQ(sub->Scale().Dpi(), 144);

    MoveTo(pane, IDM_OPEN_FOLDER);
    Paint();
    const int x = pane.X(), y = pane.Y(), w = pane.ContentWidth(), h = pane.ContentHeight();
    const int ih = pane.ItemHeight(), lit = Row(pane, IDM_OPEN_FOLDER), line = pane.RowTop(5);
    // clang-format off
    const std::tuple<int, int, Colour> pixels[] = {
        {x, y, 0}, {x + w - 1, y + h - 1, 0},                                         // frame: 1 pixel
        {x + 30, y + h - 2, kMenuGutterColour}, {x + 31, y + h - 2, kMenuBackColour},  // gutter 30
        {x + 36, line, kMenuBackColour}, {x + 37, line, kMenuGutterColour},
        {x + w - 6, line, kMenuGutterColour}, {x + w - 5, line, kMenuBackColour},
        // The highlight: 3 in from the sides, 5 above the text, 3 into the next row.
        {x + 2, lit - 5, kMenuGutterColour}, {x + 3, lit - 5, kMenuHighlightFrameColour},
        {x + w - 8, lit - 6, kMenuBackColour}, {x + 10, lit - 4, kMenuHighlightColour},
        {x + w - 8, lit + ih - 3, kMenuHighlightFrameColour}, {x + w - 8, lit + ih - 2, kMenuBackColour},
    };
    // clang-format on
    for (const auto& [px, py, colour] : pixels)
        EXPECT_EQ(At(px, py), colour) << px - x << "," << py - y;
    // The check mark is drawn 21 pixels square from (x + 6, r - 2): marks
    // reach past the 14 pixels of 96 dpi.
    for (const MenuItem& item : pane.Items()) {
        if (item.IsSeparator()) continue;
        const int r = Row(pane, item.id);
        EXPECT_EQ(DarkIn(x + 6, x + 27, r - 2, r + 19), item.checked) << item.id;
        if (item.checked) {
            EXPECT_TRUE(DarkIn(x + 19, x + 27, r - 2, r + 19)) << item.id;
        }
        EXPECT_TRUE(DarkIn(pane.LabelLeft(), pane.AcceleratorLeft(), r, r + ih - 6)) << item.id;
    }
    // Back at 96 dpi every size is the old one.
    ASSERT_EQ(pane.ApplyScale(UiScale::FromDpi(96)), 1);
    EXPECT_EQ(pane.ItemHeight(), ih96);
    EXPECT_EQ(pane.ContentWidth(), w96);
}

TEST_F(MenuPaneTest, AThousandPaintsRebuildsAndMarksKeepTheGdiObjectCount) {
    auto paintOnce = [&](int i) {
        if (i % 250 == 0) pane.Init(kScreen);  // font, icon and strips re-made
        if (i % 100 == 0 || pane.Items().empty()) (void)pane.BuildFromMenu(popup);
        pane.ShowAt(20 + i % 300, 10 + i % 100);
        MoveTo(pane, pane.Items()[0].id);
        if (i % 2 == 0) MoveTo(*pane.Items()[0].submenu, IDM_JPEG_LOW);
        pane.SetItemChecked(IDM_ZOOM_VIEW, i % 2 == 0);
        (void)pane.MenuDirtyRect();
        pane.Draw(canvas.Dc());
    };
    paintOnce(1);  // first use may create lasting objects (font realisation)
    unsigned long before = test::CountGdiObjects();
    for (int i = 1; i <= 1000; ++i) paintOnce(i);
    EXPECT_EQ(test::CountGdiObjects(), before);
    // A scale changed back and forth re-makes the font and the icon each time.
    for (int i = 0; i < 100; ++i) {
        if (i == 2) before = test::CountGdiObjects();
        (void)pane.ApplyScale(UiScale::FromDpi(i % 2 == 0 ? 144 : 96));
        pane.Draw(canvas.Dc());
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
