#include "view/MenuModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "view/CellMeasurer.h"

namespace mrv {
namespace {

constexpr Size kScreen{1920, 1080};

// 12-pixel cells: ASCII and the tab 6 pixels wide, anything else 12.
struct FakeMeasurer : TextMeasurer {
    explicit FakeMeasurer(int lineHeight = 12) : height(lineHeight) {}
    int height;
    bool Measure(std::wstring_view text, Size* extent) override {
        *extent = Size{0, height};
        for (wchar_t c : text) extent->width += c < 0x80 ? 6 : 12;
        return true;
    }
};

// The right-button popup's shape: the format submenu ('>': 13 commands, ids
// 101 on, and 2 separators), then commands ('c', ids 1 on) and separators.
// Command 1 has the narrowest label (6) and the widest accelerator (102).
void Build(MenuModel& menu, const char* shape, int id) {
    for (; *shape != '\0'; ++shape) {
        const unsigned flags = *shape == '>' ? unsigned{kMenuItemSubmenu} : 0u;
        const wchar_t* text =
            *shape == 'c' && id == 1 ? L"A\tCtrl+Shift+Alt+X" : L"連番保存\tCtrl+S";
        if (MenuModel* sub = menu.AddItemText(text, *shape == 'c' ? id++ : 0, flags))
            Build(*sub, "ccccc-ccc-ccccc", 101);
    }
}

// That menu measured and popped up at (100, 50).
class PopupMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(measured);
        menu.Popup(100, 50);
    }
    // The pointer moved to (or released on) the row of `id` in pane m, dx
    // pixels from its left edge.
    void Move(const MenuModel& m, int id, int dx = 40, bool release = false) {
        std::size_t k = 0;
        while (m.Items()[k].id != id) ++k;
        const int x = m.X() + dx, y = m.RowTop(k) + m.ItemHeight() / 2;
        release ? menu.OnPointerRelease(x, y) : menu.OnPointerMove(x, y);
    }
    int IdAt(int px, int py) const {
        const MenuItem* item = menu.ItemAt(px, py);
        return item ? item->id : -1;
    }

    FakeMeasurer measurer;
    MenuModel menu;
    const bool measured = [this] {
        menu.Init(kScreen);
        Build(menu, ">c-cc-ccccc-cc-cccc-cc", 1);
        return menu.MeasureMenu(measurer);
    }();
    const int entry = menu.Items()[0].id;
    MenuModel& sub = *menu.Items()[0].submenu;
};

TEST_F(PopupMenu, MeasuredLayoutAndTheRowHitRule) {
    EXPECT_EQ(sub.ContentHeight(), 230);  // 4 + 13 * 16 + 2 * 8 + 2
    // No accelerator sticks out of the box.
    EXPECT_LE(menu.AcceleratorLeft() + 102, menu.X() + menu.ContentWidth());
    // The submenu entry's id is the menu's own: never 0, never a command.
    EXPECT_TRUE(entry != 0 && (entry & 0xFFFF) == 0);

    const int right = 100 + menu.ContentWidth();
    // clang-format off
    const int hits[][3] = {
        {200, 50, -1}, {200, 51, entry}, {200, 69, entry},        // the frame; the strip above item 1
        {200, 70, 1}, {200, 85, 1}, {200, 86, 2}, {200, 109, 2},  // a separator's slot: the item below
        {200, 365, 16}, {200, 366, -1},                           // nothing below the last item
        {100, 75, -1}, {right - 1, 75, 1}, {right, 75, -1}};      // the left and right frame
    // clang-format on
    for (const auto& h : hits) EXPECT_EQ(IdAt(h[0], h[1]), h[2]) << h[0] << "," << h[1];
    menu.SetVisible(false);
    EXPECT_EQ(IdAt(200, 75), -1);
}

TEST_F(PopupMenu, AtAScaleTheWholeTreeIsLaidOutWithTheScaledMetrics) {
    // A measurer for the 18-pixel font of 150 %.
    struct : TextMeasurer {
        bool Measure(std::wstring_view text, Size* extent) override {
            *extent = Size{0, 18};
            for (wchar_t c : text) extent->width += c < 0x80 ? 9 : 18;
            return true;
        }
    } large;
    menu.SetMenuScale(UiScale::FromDpi(144));
    ASSERT_TRUE(menu.MeasureMenu(large));
    menu.Popup(100, 50);
    EXPECT_EQ(sub.ContentHeight(), 344);  // 6 + 13 * 24 + 2 * 12 + 2: the submenu follows
    EXPECT_EQ(menu.RowTop(3), 50 + 1 + 6 + 2 * 24 + 12);  // past two rows and a separator
    // Rows are hit from y + margin on: the first from 56.
    EXPECT_EQ(IdAt(200, 55), entry);
    EXPECT_EQ(IdAt(200, 56 + 24), 1);
    Move(menu, entry);
    ASSERT_TRUE(sub.IsVisible());
    EXPECT_EQ((Point{sub.X(), sub.Y()}),
              (Point{101 + menu.ContentWidth() - 9, menu.RowTop(0) - 6}));
}

TEST(MenuCell, AFamilyOfAnotherHeightKeepsTheRowsOfTheTwelvePixelCell) {
    // Fonts 11 or 13 high, measured on the cell, give the rows of the 12-pixel
    // one; widths stay their own, and a line without height stays without.
    for (const int height : {11, 13}) {
        CellMeasurer cell(std::make_unique<FakeMeasurer>(height), kInterfaceCellHeight);
        MenuModel menu;
        menu.Init(kScreen);
        Build(menu, ">c-cc-ccccc-cc-cccc-cc", 1);
        ASSERT_TRUE(menu.MeasureMenu(cell));
        EXPECT_EQ(menu.ContentHeight(), 318) << height;  // 4 + 17 * 16 + 5 * 8 + 2
        Size extent;
        ASSERT_TRUE(cell.Measure(L"設定", &extent));
        EXPECT_EQ(extent, (Size{24, 12}));
    }
    CellMeasurer flat(std::make_unique<FakeMeasurer>(0), kInterfaceCellHeight);
    Size extent;
    ASSERT_TRUE(flat.Measure(L"", &extent));
    EXPECT_EQ(extent.height, 0);
}

TEST_F(PopupMenu, PointerOpensFollowsChoosesAndClosesTheSubmenu) {
    EXPECT_EQ(menu.MenuDirtyRect(), (Rect{0, 0, kScreen.width, kScreen.height}));  // first
    Move(menu, entry);
    ASSERT_TRUE(sub.IsVisible());
    EXPECT_EQ((Point{sub.X(), sub.Y()}),
              (Point{101 + menu.ContentWidth() - 6, menu.RowTop(0) - 4}));
    Move(sub, 104);  // the entry stays lit, the parent adopts the id
    EXPECT_TRUE(menu.HoveredId() == 104 && menu.IsHighlighted(0));
    Move(menu, 2);  // onto another parent item: closed, its place still repainted
    EXPECT_TRUE(menu.HoveredId() == 2 && !sub.IsVisible());
    (void)menu.MenuDirtyRect();  // the submenu's first: the whole screen
    EXPECT_EQ(menu.MenuDirtyRect(), menu.OuterRect().Union(sub.OuterRect()));

    Move(menu, entry);
    Move(menu, entry, 40, true);  // released on the entry: both stay open, no command
    EXPECT_TRUE(menu.IsVisible() && sub.IsVisible());
    EXPECT_EQ(menu.ChosenCommand() & 0xFFFF, 0);
    // The submenu overlaps its parent and owns the pixels painted over it.
    EXPECT_EQ(IdAt(sub.X() + 2, sub.RowTop(3) + 8), -1);
    Move(sub, 103, 2, true);
    EXPECT_FALSE(menu.IsVisible() || sub.IsVisible());
    EXPECT_EQ(menu.ChosenCommand(), 103);

    menu.Popup(100, 50);
    EXPECT_EQ(menu.ChosenCommand(), 0);  // a new popup starts clean
}

TEST_F(PopupMenu, KeysWalkTheRowsOpenAndCloseTheSubmenuChooseAndClose) {
    using K = MenuKey;
    const auto lit = [&] { return menu.HoveredId(); };
    // Down from nothing lights the first row; separators are skipped; both
    // ends wrap round.
    menu.OnKey(K::kDown);
    EXPECT_TRUE(lit() == entry && menu.IsHighlighted(0) && !sub.IsVisible());
    for (const int want : {1, 2, 3, 4}) EXPECT_EQ((menu.OnKey(K::kDown), lit()), want);
    for (const int want : {3, 2, 1, entry, 16, 15}) EXPECT_EQ((menu.OnKey(K::kUp), lit()), want);
    menu.Popup(100, 50);
    EXPECT_EQ((menu.OnKey(K::kUp), lit()), 16);     // Up from nothing: the last row
    EXPECT_EQ((menu.OnKey(K::kRight), lit()), 16);  // no submenu there: nothing
    EXPECT_EQ((menu.OnKey(K::kDown), lit()), entry);

    // Right opens the submenu with its first row lit; keys then walk it.
    EXPECT_EQ(menu.OnKey(K::kRight), 0);
    ASSERT_TRUE(sub.IsVisible());
    EXPECT_TRUE(sub.HoveredId() == 101 && lit() == 101 && menu.IsHighlighted(0));
    for (int i = 0; i < 5; ++i) menu.OnKey(K::kDown);
    EXPECT_EQ(sub.HoveredId(), 106);
    for (int i = 0; i < 6; ++i) menu.OnKey(K::kUp);
    EXPECT_EQ(sub.HoveredId(), 113);
    EXPECT_EQ(menu.ChosenCommand(), 113);  // as the pointer would leave it
    // Left closes it and the entry stays lit; Enter on the entry opens it afresh.
    menu.OnKey(K::kLeft);
    EXPECT_TRUE(!sub.IsVisible() && lit() == entry && menu.IsVisible());
    EXPECT_EQ(menu.OnKey(K::kEnter), 0);
    EXPECT_TRUE(sub.IsVisible() && sub.HoveredId() == 101);
    menu.OnKey(K::kDown);
    // Enter on a command row: the command, and the menu goes.
    EXPECT_EQ(menu.OnKey(K::kEnter), 102);
    EXPECT_FALSE(menu.IsVisible() || sub.IsVisible());
    EXPECT_EQ(menu.OnKey(K::kDown), 0);  // a hidden menu takes no keys
    EXPECT_FALSE(menu.IsVisible());

    // Esc closes the submenu first, then the menu.
    menu.Popup(100, 50);
    menu.OnKey(K::kDown), menu.OnKey(K::kRight);
    EXPECT_EQ(menu.OnKey(K::kEscape), 0);
    EXPECT_TRUE(menu.IsVisible() && !sub.IsVisible() && lit() == entry);
    EXPECT_EQ(menu.OnKey(K::kEscape), 0);
    EXPECT_FALSE(menu.IsVisible());
    menu.Popup(100, 50);
    EXPECT_EQ(menu.OnKey(K::kEnter), 0);  // nothing lit: nothing chosen
    EXPECT_TRUE(menu.IsVisible());
    menu.OnKey(K::kDown), menu.OnKey(K::kDown);
    EXPECT_EQ(menu.OnKey(K::kEnter), 1);

    // A submenu opened by the pointer, nothing lit in it: keys stay with the
    // parent, and moving off the entry closes it. Once the pointer lights a
    // row in it, keys walk the submenu.
    menu.Popup(100, 50);
    Move(menu, entry);
    ASSERT_TRUE(sub.IsVisible());
    EXPECT_EQ((menu.OnKey(K::kDown), lit()), 1);
    EXPECT_FALSE(sub.IsVisible());
    Move(menu, entry);
    Move(sub, 104);
    EXPECT_EQ((menu.OnKey(K::kDown), sub.HoveredId()), 105);
}

TEST_F(PopupMenu, ASubmenuOpensWithoutTheHighlightOfItsLastUseAndPressesFindThePanes) {
    Move(menu, entry);
    Move(sub, 104, 40, true);  // chosen: the menu goes with row 104 lit
    ASSERT_FALSE(menu.IsVisible());
    menu.Popup(100, 50);
    Move(menu, entry);
    ASSERT_TRUE(sub.IsVisible());
    EXPECT_EQ(sub.HoveredId(), 0);
    for (std::size_t k = 0; k < sub.Items().size(); ++k) EXPECT_FALSE(sub.IsHighlighted(k)) << k;

    // Covers: the frames count, beside them nothing; a hidden menu covers nothing.
    const int right = menu.X() + menu.ContentWidth();
    EXPECT_TRUE(menu.Covers(menu.X(), menu.Y()) &&
                menu.Covers(sub.X() + sub.ContentWidth(), sub.Y()));
    EXPECT_FALSE(menu.Covers(menu.X() - 1, menu.Y()) || menu.Covers(right - 2, menu.Y() - 1));
    EXPECT_FALSE(menu.Covers(sub.X() + sub.ContentWidth() + 1, sub.Y() + 20));
    menu.Dismiss();
    EXPECT_FALSE(menu.IsVisible() || sub.IsVisible() || menu.Covers(menu.X() + 5, menu.Y() + 5));
}

TEST_F(PopupMenu, OnTwoMonitorsTheMenuAndItsSubmenuKeepToThePointersMonitor) {
    // 1024 x 700 at (0, 0) and 800 x 600 at (1024, 0): a 1824 x 700 screen.
    const std::vector<Rect> monitors{{0, 0, 1024, 700}, {1024, 0, 1824, 600}};
    menu.Init(Size{1824, 700});
    Build(menu, ">c-cc-ccccc-cc-cccc-cc", 1);
    ASSERT_TRUE(menu.MeasureMenu(measurer));
    menu.SetMonitors(&monitors);
    MenuModel& formats = *menu.Items()[0].submenu;
    const auto inside = [](const Rect& box, const Rect& m) { return box.Intersect(m) == box; };
    // The submenu opens right until it would cross the first monitor's inner edge, then flips.
    const int fits = 1024 - 1 - formats.ContentWidth() - (menu.ContentWidth() - 5);
    menu.Popup(fits, 50);
    Move(menu, menu.Items()[0].id);
    EXPECT_EQ(formats.X() + formats.ContentWidth(), 1023);
    menu.Popup(fits + 1, 50);
    Move(menu, menu.Items()[0].id);
    EXPECT_EQ(formats.X(), menu.X() + 1 - formats.ContentWidth() + 2);
    EXPECT_TRUE(inside(formats.ContentRect(), monitors[0]));
    // Near the second monitor's right and bottom edges (the hole below it)
    // both go back onto it.
    menu.Popup(1800, 590);
    Move(menu, menu.Items()[0].id);
    EXPECT_TRUE(inside(menu.ContentRect(), monitors[1])) << menu.X() << "," << menu.Y();
    EXPECT_TRUE(inside(formats.ContentRect(), monitors[1])) << formats.X() << "," << formats.Y();
    // Opened in the hole: pulled onto the nearest monitor.
    menu.Popup(1500, 650);
    EXPECT_TRUE(inside(menu.ContentRect(), monitors[1])) << menu.X() << "," << menu.Y();
}

}  // namespace
}  // namespace mrv
