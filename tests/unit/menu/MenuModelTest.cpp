#include "view/MenuModel.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/Settings.h"

namespace mrv {
namespace {

constexpr Size kScreen{1920, 1080};

// The menu font stand-in: 12-pixel cells, ASCII and the tab 6 pixels wide,
// everything else 12. Fails on one chosen text.
struct FakeMeasurer : TextMeasurer {
    std::wstring failOn;
    bool Measure(std::wstring_view text, Size* extent) override {
        int width = 0;
        for (wchar_t c : text) width += c < 0x80 ? 6 : 12;
        *extent = Size{width, 12};
        return failOn.empty() || text != failOn;
    }
};

// The right-button popup as the menu resource has it; id 0 is a separator.
void BuildResourceMenu(MenuModel& menu) {
    MenuModel* format = menu.AddItemText(L"画像フォーマット", 0x4A0, kMenuItemSubmenu);
    const std::pair<const wchar_t*, int> formats[] = {{L"Bitmap 形式", 40011},
                                                      {L"  24 bit (Full Color)", 40012},
                                                      {L"  16 bit (R5 G6 B5)", 40013},
                                                      {L"  16 bit (R5 G5 B5)", 40014},
                                                      {L"  8 bit (Index Color)", 40015},
                                                      {L"", 0},
                                                      {L"PNG 形式", 40016},
                                                      {L"  24 bit (Full Color)", 40017},
                                                      {L"  8 bit (Index Color)", 40018},
                                                      {L"", 0},
                                                      {L"JPEG 形式", 40019},
                                                      {L"  高画質", 40020},
                                                      {L"  標準", 40021},
                                                      {L"  中画質", 40022},
                                                      {L"  低画質", 40023}};
    for (const auto& [text, id] : formats) format->AddItemText(text, id, 0);
    const std::pair<const wchar_t*, int> top[] = {{L"設定...", 40026},
                                                  {L"", 0},
                                                  {L"フォルダを開く\tCtrl+O", 40009},
                                                  {L"最後の画像を開く\tCtrl+Shift+O", 40010},
                                                  {L"", 0},
                                                  {L"連番保存\tCtrl+S", 40005},
                                                  {L"連番保存 [Bitmap]\tCtrl+B", 40051},
                                                  {L"連番保存 [PNG]\tCtrl+P", 40052},
                                                  {L"連番保存 [JPEG]\tCtrl+J", 40053},
                                                  {L"名前を付けて保存...\tCtrl+Shift+S", 40006},
                                                  {L"", 0},
                                                  {L"コピー\tCtrl+C", 40001},
                                                  {L"減色コピー\tCtrl+Shift+C", 40004},
                                                  {L"", 0},
                                                  {L"拡大表示\tSpace", 40008},
                                                  {L"タスクトレイに入れる", 40054},
                                                  {L"ウィンドウを固定する\tCtrl+F", 40056},
                                                  {L"選択範囲のクリア", 40024},
                                                  {L"", 0},
                                                  {L"最小化\t範囲外を左クリック", 40003},
                                                  {L"終了\tCtrl+Q/Esc", 40002}};
    for (const auto& [text, id] : top) menu.AddItemText(text, id, 0);
}

// The resource menu, measured and popped up at (100, 50), no shadow.
class ResourceMenu : public ::testing::Test {
protected:
    void SetUp() override {
        menu.Init(kScreen);
        BuildResourceMenu(menu);
        ASSERT_TRUE(menu.MeasureMenu(measurer));
        menu.Popup(100, 50);
        sub = menu.Items()[0].submenu.get();
        entry = menu.Items()[0].id;
    }
    // The middle of the row of `id` in pane m.
    static Point On(const MenuModel& m, int id) {
        std::size_t k = 0;
        while (m.Items()[k].id != id) ++k;
        return Point{m.X() + 40, m.RowTop(k) + m.ItemHeight() / 2};
    }
    void Move(Point p) { menu.OnPointerMove(p.x, p.y); }
    void Release(Point p) { menu.OnPointerRelease(p.x, p.y); }
    int IdAt(int px, int py) const {
        const MenuItem* item = menu.ItemAt(px, py);
        return item ? item->id : -1;
    }

    FakeMeasurer measurer;
    MenuModel menu;
    MenuModel* sub = nullptr;
    int entry = 0;
};

TEST_F(ResourceMenu, TreeAndMeasuredLayout) {
    int separators = 0, commands = 0;
    for (const MenuItem& item : menu.Items()) item.IsSeparator() ? ++separators : ++commands;
    EXPECT_EQ(separators, 5);
    EXPECT_EQ(commands, 17);  // 16 commands and the submenu entry
    EXPECT_EQ(sub->Items().size(), 15u);
    EXPECT_EQ(menu.Items()[4].Label(), L"最後の画像を開く");
    EXPECT_EQ(menu.Items()[4].Accelerator(), L"Ctrl+Shift+O");
    // The submenu entry's id is the menu's own: never 0, never a command.
    EXPECT_TRUE(entry != 0 && (entry & 0xFFFF) == 0);

    EXPECT_EQ(menu.ItemHeight(), 16);
    EXPECT_EQ(menu.ContentHeight(), 318);  // 4 + 17 * 16 + 5 * 8 + 2
    // Widest labels: 10 wide characters -> accelerators 128 right of the
    // labels; the widest accelerator "\t範囲外を左クリック" is 6 + 108.
    EXPECT_EQ(menu.AcceleratorLeft() - menu.LabelLeft(), 128);
    EXPECT_EQ(menu.LabelLeft(), 100 + 1 + 4 + 20);
    EXPECT_EQ(menu.ContentWidth(), 128 + 114 + 2 * 4 + 22);
    EXPECT_EQ(sub->ContentHeight(), 4 + 13 * 16 + 2 * 8 + 2);
}

TEST_F(ResourceMenu, RowHitRule) {
    const int right = 100 + menu.ContentWidth();
    EXPECT_EQ(IdAt(200, 51), entry);  // the margin band above the first item
    EXPECT_EQ(IdAt(200, 69), entry);
    EXPECT_EQ(IdAt(200, 70), 40026);
    EXPECT_EQ(IdAt(200, 85), 40026);
    EXPECT_EQ(IdAt(200, 86), 40009);  // a separator's slot: the item below
    EXPECT_EQ(IdAt(200, 93), 40009);
    EXPECT_EQ(IdAt(200, 94 + 15), 40009);
    EXPECT_EQ(IdAt(200, 50 + 315), 40002);
    EXPECT_EQ(IdAt(200, 50 + 316), -1);  // below the last item
    EXPECT_EQ(IdAt(200, 50), -1);        // frame
    EXPECT_EQ(IdAt(100, 75), -1);
    EXPECT_EQ(IdAt(right, 75), -1);
    EXPECT_EQ(IdAt(right - 1, 75), 40026);
    menu.SetVisible(false);
    EXPECT_EQ(IdAt(200, 75), -1);
}

TEST_F(ResourceMenu, PointerOpensFollowsAndClosesTheSubmenu) {
    Move(On(menu, entry));
    ASSERT_EQ(menu.OpenItem(), &menu.Items()[0]);
    EXPECT_TRUE(sub->IsVisible());
    EXPECT_EQ((Point{sub->X(), sub->Y()}),
              (Point{101 + menu.ContentWidth() - 6, menu.RowTop(0) - 4}));
    // Into the submenu: the entry stays highlighted, the parent adopts the id.
    Move(On(*sub, 40014));
    EXPECT_EQ(sub->HoveredId(), 40014);
    EXPECT_EQ(menu.HoveredId(), 40014);
    EXPECT_TRUE(menu.IsHighlighted(0));
    EXPECT_EQ(menu.ChosenCommand(), 40014);
    // Onto another parent item: closed.
    Move(On(menu, 40009));
    EXPECT_EQ(menu.HoveredId(), 40009);
    EXPECT_EQ(menu.OpenItem(), nullptr);
    EXPECT_FALSE(sub->IsVisible());
    // Off everything: nothing hovered.
    Move(On(menu, entry));
    Move(Point{5, 5});
    EXPECT_EQ(menu.HoveredId(), 0);
    EXPECT_EQ(menu.OpenItem(), nullptr);
}

TEST_F(ResourceMenu, ReleasesChooseOrKeepTheMenuOpen) {
    Release(On(menu, 40008));
    EXPECT_FALSE(menu.IsVisible());
    EXPECT_EQ(menu.ChosenCommand(), 40008);

    menu.Popup(100, 50);
    Move(On(menu, entry));
    Release(On(menu, entry));  // the entry: both stay open, no command
    EXPECT_TRUE(menu.IsVisible() && sub->IsVisible());
    EXPECT_EQ(menu.ChosenCommand() & 0xFFFF, 0);

    Move(On(*sub, 40021));
    Release(On(*sub, 40021));
    EXPECT_FALSE(menu.IsVisible() || sub->IsVisible());
    EXPECT_EQ(menu.ChosenCommand(), 40021);

    menu.Popup(100, 50);
    EXPECT_EQ(menu.ChosenCommand(), 0);  // a new popup starts clean
    Release(Point{1500, 900});
    EXPECT_FALSE(menu.IsVisible());
    EXPECT_EQ(menu.ChosenCommand(), 0);
}

TEST_F(ResourceMenu, SubmenuOwnsThePixelsItIsPaintedOver) {
    // The submenu's left edge lies inside the parent; there the parent has
    // rows of its own under the submenu's.
    Move(On(menu, entry));
    const Point p{sub->X() + 2, On(*sub, 40013).y};
    ASSERT_LT(p.x, menu.X() + menu.ContentWidth());
    Move(On(menu, 40026));
    const int beneath = IdAt(p.x, p.y);
    EXPECT_TRUE(beneath != -1 && beneath != 40013);
    Move(On(menu, entry));
    EXPECT_EQ(IdAt(p.x, p.y), -1);
    Move(p);
    EXPECT_EQ(menu.HoveredId(), 40013);
    Release(p);
    EXPECT_EQ(menu.ChosenCommand(), 40013);
}

TEST_F(ResourceMenu, SubmenuFlipsLeftWhenItWouldReachTheScreenEdge) {
    // It opens right while sx + width < screen width, sx = x + width - 5.
    const int fits = kScreen.width - 1 - sub->ContentWidth() - (menu.ContentWidth() - 5);
    menu.Popup(fits, 50);
    Move(On(menu, entry));
    EXPECT_EQ(sub->X() + sub->ContentWidth(), kScreen.width - 1);
    menu.Popup(fits + 1, 50);
    Move(On(menu, entry));
    EXPECT_EQ(sub->X(), menu.X() + 1 - sub->ContentWidth() + 2);
    Move(Point{sub->X() + 20, On(*sub, 40018).y});
    EXPECT_EQ(menu.ChosenCommand(), 40018);
}

TEST_F(ResourceMenu, MarksFollowTheRadioGroupsAnywhereInTheTree) {
    Settings settings;
    RefreshMenuChecks(menu, settings);
    for (int id : {40011, 40012, 40018, 40021, 40008}) EXPECT_TRUE(menu.FindItem(id)->checked);
    for (int id : {40016, 40013, 40017, 40020, 40054}) EXPECT_FALSE(menu.FindItem(id)->checked);
    EXPECT_EQ(menu.FindItem(0), nullptr);
    EXPECT_FALSE(menu.MarkItemChecked(12345, true));
}

TEST_F(ResourceMenu, DirtyRectangleCoversTheMenuAndEveryOpenedSubmenu) {
    const Rect screen{0, 0, kScreen.width, kScreen.height}, pane = menu.OuterRect();
    EXPECT_EQ(menu.MenuDirtyRect(), screen);  // first after Init
    EXPECT_EQ(menu.MenuDirtyRect(), pane);
    Move(On(menu, entry));
    EXPECT_EQ(menu.MenuDirtyRect(), screen);  // the submenu's first
    EXPECT_EQ(menu.MenuDirtyRect(), pane.Union(sub->OuterRect()));
    Move(On(menu, 40009));  // closed: its place is still repainted
    EXPECT_EQ(menu.MenuDirtyRect(), pane.Union(sub->OuterRect()));
}

TEST(MenuModel, MeasuringKeepsAcceleratorsInsideAndStopsAtAFailure) {
    FakeMeasurer measurer;
    MenuModel menu;
    menu.Init(kScreen);
    // A long accelerator read before the widest label still fits the box.
    menu.AddItemText(L"A\tCtrl+Shift+Alt+X", 1, 0);   // 6 + 16 * 6 = 102
    menu.AddItemText(L"WWWWWWWWWWWWWWWWWWWW", 2, 0);  // 120
    ASSERT_TRUE(menu.MeasureMenu(measurer));
    EXPECT_EQ(menu.AcceleratorLeft() + 102 - menu.X(), 1 + 4 + 20 + 128 + 102);
    EXPECT_LE(menu.AcceleratorLeft() + 102, menu.X() + menu.ContentWidth());

    menu.Init(kScreen);
    BuildResourceMenu(menu);
    measurer.failOn = L"コピー";
    EXPECT_FALSE(menu.MeasureMenu(measurer));
    EXPECT_EQ(menu.ContentHeight(), 4 + 9 * 16 + 3 * 8 + 2);  // the items before it
    measurer.failOn = L"  標準";                              // in the submenu
    EXPECT_FALSE(menu.MeasureMenu(measurer));
}

TEST(MenuModel, SubmenusNestToAnyDepth) {
    FakeMeasurer measurer;
    MenuModel menu;
    menu.Init(kScreen);
    menu.AddItemText(L"one", 1, 0);
    MenuModel* a = menu.AddItemText(L"more", 0, kMenuItemSubmenu);
    a->AddItemText(L"two", 2, 0);
    MenuModel* b = a->AddItemText(L"deeper", 0, kMenuItemSubmenu);
    b->AddItemText(L"three", 3, 0);
    EXPECT_NE(menu.Items()[1].id, a->Items()[1].id);
    ASSERT_TRUE(menu.MeasureMenu(measurer));
    menu.Popup(10, 10);
    for (MenuModel* m : {&menu, a, b}) {
        const std::size_t row = m == b ? 0 : 1;
        menu.OnPointerMove(m->X() + 30, m->RowTop(row) + 8);
    }
    EXPECT_EQ(menu.HoveredId(), 3);
    EXPECT_TRUE(a->IsVisible() && b->IsVisible());
    menu.OnPointerRelease(b->X() + 30, b->RowTop(0) + 8);
    EXPECT_EQ(menu.ChosenCommand(), 3);
    menu.Popup(10, 10);
    EXPECT_FALSE(a->IsVisible() || b->IsVisible());
}

}  // namespace
}  // namespace mrv
