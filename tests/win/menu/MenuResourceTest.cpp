// Menu 125 read back through USER32 (labels compared as UTF-16), the popup
// menu pane built from it and from hand-made menus, measured with the real
// font, and its check marks kept in step with the Win32 menu.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/Settings.h"
#include "view/MenuPane_win.h"

namespace mrv {
namespace {

constexpr Size kScreen{800, 600};
constexpr int kSubmenu = -1;  // an entry that opens a submenu
constexpr bool kOn = true;    // checked in the resource

struct Entry {
    const wchar_t* text;  // null: separator
    int id;
    bool checked = false;
};

const std::vector<Entry> kPopup = {
    {L"画像フォーマット", kSubmenu},
    {L"設定...", IDM_SETTINGS},
    {nullptr, 0},
    {L"フォルダを開く\tCtrl+O", IDM_OPEN_FOLDER},
    {L"最後の画像を開く\tCtrl+Shift+O", IDM_OPEN_LAST_IMAGE},
    {nullptr, 0},
    {L"連番保存\tCtrl+S", IDM_SAVE_SEQUENTIAL},
    {L"連番保存 [Bitmap]\tCtrl+B", IDM_SAVE_SEQUENTIAL_BMP},
    {L"連番保存 [PNG]\tCtrl+P", IDM_SAVE_SEQUENTIAL_PNG},
    {L"連番保存 [JPEG]\tCtrl+J", IDM_SAVE_SEQUENTIAL_JPEG},
    {L"名前を付けて保存...\tCtrl+Shift+S", IDM_SAVE_AS},
    {nullptr, 0},
    {L"コピー\tCtrl+C", IDM_COPY},
    {L"減色コピー\tCtrl+Shift+C", IDM_COPY_REDUCED},
    {nullptr, 0},
    {L"拡大表示\tSpace", IDM_ZOOM_VIEW, kOn},
    {L"タスクトレイに入れる", IDM_TASKTRAY, kOn},
    {L"ウィンドウを固定する\tCtrl+F", IDM_PIN_WINDOW, kOn},
    {L"選択範囲のクリア", IDM_CLEAR_SELECTION},
    {nullptr, 0},
    {L"最小化\t範囲外を左クリック", IDM_MINIMIZE},
    {L"終了\tCtrl+Q/Esc", IDM_EXIT},
};

const std::vector<Entry> kFormats = {
    {L"Bitmap 形式", IDM_FORMAT_BMP, kOn},      {L"  24 bit (Full Color)", IDM_BMP_24, kOn},
    {L"  16 bit (R5 G6 B5)", IDM_BMP_565, kOn}, {L"  16 bit (R5 G5 B5)", IDM_BMP_555, kOn},
    {L"  8 bit (Index Color)", IDM_BMP_8, kOn}, {nullptr, 0},
    {L"PNG 形式", IDM_FORMAT_PNG, kOn},         {L"  24 bit (Full Color)", IDM_PNG_24, kOn},
    {L"  8 bit (Index Color)", IDM_PNG_8, kOn}, {nullptr, 0},
    {L"JPEG 形式", IDM_FORMAT_JPEG, kOn},       {L"  高画質", IDM_JPEG_HIGH, kOn},
    {L"  標準", IDM_JPEG_STANDARD, kOn},        {L"  中画質", IDM_JPEG_MEDIUM, kOn},
    {L"  低画質", IDM_JPEG_LOW, kOn},
};

const std::vector<Entry> kTray = {{L"タスクトレイから復帰", IDM_RESTORE_FROM_TRAY},
                                  {L"終了", IDM_EXIT}};

std::wstring TextAt(HMENU menu, int position) {
    wchar_t buffer[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), buffer, 512, MF_BYPOSITION);
    return buffer;
}

bool Win32Checked(HMENU menu, int id) {
    return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// The Win32 menu and the pane built from it (if given) against the table.
void ExpectMenu(HMENU menu, const MenuModel* pane, const std::vector<Entry>& table) {
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(table.size()));
    if (pane != nullptr) {
        ASSERT_EQ(pane->Items().size(), table.size());
    }
    for (std::size_t k = 0; k < table.size(); ++k) {
        SCOPED_TRACE(k);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(k), TRUE, &info));
        const Entry& e = table[k];
        const int id = e.id == kSubmenu ? static_cast<int>(info.wID) : e.id;
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, e.text == nullptr);
        if (e.text != nullptr) {
            EXPECT_EQ(TextAt(menu, static_cast<int>(k)), e.text);
            EXPECT_EQ(static_cast<int>(info.wID), id);
            EXPECT_EQ(info.hSubMenu != nullptr, e.id == kSubmenu);
            EXPECT_EQ((info.fState & MFS_CHECKED) != 0, e.checked);
        }
        if (pane == nullptr) continue;
        const MenuItem& item = pane->Items()[k];
        EXPECT_EQ(item.IsSeparator(), e.text == nullptr);
        if (e.text == nullptr) continue;
        EXPECT_EQ(item.text, e.text);
        EXPECT_EQ(item.submenu != nullptr, e.id == kSubmenu);
        // A submenu entry's id is non-zero and never runs a command.
        EXPECT_EQ(item.id, e.id == kSubmenu ? item.id & ~0xFFFF : e.id);
        EXPECT_NE(item.id, 0);
        EXPECT_FALSE(item.checked);  // marks come from the settings, not the resource
    }
}

int TextWidth(HFONT font, std::wstring_view text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return size.cx;
}

class ResourceMenu : public ::testing::Test {
protected:
    void SetUp() override {
        menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
        ASSERT_NE(menu, nullptr);
        popup = GetSubMenu(menu, 0);
        pane.Init(kScreen);
        ASSERT_EQ(pane.BuildFromMenu(popup), 1);
    }
    void TearDown() override { DestroyMenu(menu); }

    HMENU menu = nullptr;
    HMENU popup = nullptr;
    MenuPane pane;
};

TEST_F(ResourceMenu, ResourceAndPaneHoldTheTwoPopupsExactly) {
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(TextAt(menu, 0), L"popup");
    EXPECT_EQ(TextAt(menu, 1), L"tasktray");
    ExpectMenu(popup, &pane, kPopup);
    ExpectMenu(GetSubMenu(popup, 0), pane.Items()[0].submenu.get(), kFormats);
    ExpectMenu(GetSubMenu(menu, 1), nullptr, kTray);
    EXPECT_EQ(pane.MenuHandle(), popup);
}

TEST_F(ResourceMenu, MeasuredWithTheMenuFontEveryTextFitsItsColumn) {
    ASSERT_NE(pane.Font(), nullptr);
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(pane.CheckIcon(), &icon));
    BITMAP mask{};
    GetObjectW(icon.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 14);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, pane.Font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    const int rows = 4 + metrics.tmHeight;
    EXPECT_GE(metrics.tmHeight, 10);  // a 12-pixel cell, give or take the face
    EXPECT_LE(metrics.tmHeight, 20);
    EXPECT_EQ(pane.ItemHeight(), rows);
    EXPECT_EQ(pane.ContentHeight(), 4 + 17 * rows + 5 * 8 + 2);

    const MenuModel* sub = pane.Items()[0].submenu.get();
    for (const MenuModel* m : {static_cast<const MenuModel*>(&pane), sub}) {
        int widest = 0;
        for (const MenuItem& item : m->Items()) {
            if (item.IsSeparator()) continue;
            widest = std::max(widest, TextWidth(pane.Font(), item.Label()));
            EXPECT_LE(m->AcceleratorLeft() + TextWidth(pane.Font(), item.Accelerator()),
                      m->X() + m->ContentWidth() - 1);
        }
        EXPECT_GT(widest, 60);
        EXPECT_EQ(m->AcceleratorLeft() - m->LabelLeft(), widest + 8);
    }
}

TEST_F(ResourceMenu, MarksAreSetInThePaneAndInTheWin32Menu) {
    RefreshMenuChecks(pane, Settings{});
    const MenuItem* pin = pane.FindItem(IDM_PIN_WINDOW);
    for (int id : {IDM_FORMAT_BMP, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD, IDM_ZOOM_VIEW}) {
        EXPECT_TRUE(pane.FindItem(id)->checked) << id;
        EXPECT_TRUE(Win32Checked(popup, id)) << id;
    }
    for (int id : {IDM_FORMAT_PNG, IDM_BMP_565, IDM_PNG_24, IDM_JPEG_HIGH, IDM_TASKTRAY}) {
        EXPECT_FALSE(pane.FindItem(id)->checked) << id;
        EXPECT_FALSE(Win32Checked(popup, id)) << id;
    }
    // Untouched by the refresh: the pane shows no mark, the Win32 menu keeps
    // the resource's.
    EXPECT_FALSE(pin->checked);
    EXPECT_TRUE(Win32Checked(popup, IDM_PIN_WINDOW));

    ASSERT_EQ(pane.CheckItem(IDM_BMP_555, true, true), 1);
    for (int id : {IDM_BMP_24, IDM_BMP_565, IDM_BMP_8}) EXPECT_FALSE(Win32Checked(popup, id));
    EXPECT_TRUE(Win32Checked(popup, IDM_BMP_555));
    EXPECT_TRUE(pane.FindItem(IDM_BMP_555)->checked);

    // Only the check state of the Win32 item changes.
    EnableMenuItem(popup, IDM_COPY, MF_BYCOMMAND | MF_GRAYED);
    pane.SetItemChecked(IDM_COPY, true);
    EXPECT_EQ(GetMenuState(popup, IDM_COPY, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED),
              static_cast<UINT>(MF_GRAYED | MF_CHECKED));
    pane.SetItemChecked(IDM_PIN_WINDOW, false);
    EXPECT_FALSE(Win32Checked(popup, IDM_PIN_WINDOW));
}

TEST(MenuPaneBuild, AnyDepthLongTextsSeparatorsAndRebuilds) {
    const std::wstring longText(300, L'あ');
    HMENU root = CreatePopupMenu();
    HMENU a = CreatePopupMenu();
    HMENU b = CreatePopupMenu();
    AppendMenuW(b, MF_STRING, 3, longText.c_str());
    AppendMenuW(a, MF_STRING, 2, L"two\tCtrl+2");
    AppendMenuW(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), L"deeper");
    AppendMenuW(root, MF_STRING, 1, L"one");
    AppendMenuW(root, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(root, MF_POPUP, reinterpret_cast<UINT_PTR>(a), L"more");

    MenuPane pane;
    pane.Init(kScreen);
    for (int build = 0; build < 2; ++build) {  // a rebuild replaces, never appends
        ASSERT_EQ(pane.BuildFromMenu(root), 1);
        ASSERT_EQ(pane.Items().size(), 3u);
    }
    EXPECT_TRUE(pane.Items()[1].IsSeparator());
    const MenuModel* sa = pane.Items()[2].submenu.get();
    ASSERT_NE(sa, nullptr);
    ASSERT_EQ(sa->Items().size(), 2u);
    EXPECT_EQ(sa->Items()[0].Accelerator(), L"Ctrl+2");
    const MenuModel* sb = sa->Items()[1].submenu.get();
    ASSERT_NE(sb, nullptr);
    EXPECT_EQ(sb->Items()[0].text, longText);
    EXPECT_EQ(sb->LabelWidth(), TextWidth(pane.Font(), longText) + 8);  // measured whole too
    EXPECT_NE(sa->Items()[1].id, pane.Items()[2].id);

    // Marks reach the Win32 item two levels down.
    pane.SetItemChecked(3, true);
    EXPECT_TRUE(sb->Items()[0].checked);
    EXPECT_TRUE(Win32Checked(root, 3));

    EXPECT_EQ(pane.BuildFromMenu(nullptr), 1);  // no menu: an empty pane
    EXPECT_TRUE(pane.Items().empty());
    DestroyMenu(root);  // destroys its submenus too
}

}  // namespace
}  // namespace mrv
