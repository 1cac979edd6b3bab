// The right-button popup menu's Win32 half: reads the item tree from a Win32
// menu, paints the menu into the back buffer with its own look, and keeps the
// Win32 menu's check marks in step with the painted ones (the same menu is
// shown as a system popup while the window is pinned).
//
// One row as painted (x, y = the pane's corner, r = the row's top):
//
//     x+2 +-------------------------------------------------+ r-3  highlight
//         |[v]| Label            Accel                    > |      frame, then
//         +-------------------------------------------------+      the bar
//     x+4 = check icon (14 x 14, from r-1)     submenu arrow ^
//               ^ LabelLeft()    ^ AcceleratorLeft()
//
// Geometry, pointer handling and the dirty rectangle are the model's
// (view/MenuModel.h); this half adds only handles and pixels.
#pragma once

#include <windows.h>

#include <memory>

#include "view/Draw_win.h"
#include "view/MenuModel.h"
#include "view/Pane_win.h"

namespace mrv {

struct IconTraits {
    static void Close(HICON h) { DestroyIcon(h); }
};
// An icon from LoadImageW without LR_SHARED: the loader's own copy.
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

// At 96 dpi; a pane uses its scale's (Metrics()). Rows are measured on the
// font's cell.
constexpr int kMenuCheckIconSize = UiMetrics{}.menuCheckIconSize;
constexpr int kMenuFontCellHeight = UiMetrics{}.menuFontHeight;

class MenuPane final : public MenuModel {
public:
    // `resources` holds the check-mark icon; null means the executable.
    explicit MenuPane(HINSTANCE resources = nullptr);
    ~MenuPane() override;

    // Binds the pane to the screen and drops every item (the model's Init),
    // then makes the menu font (the interface face, 12-pixel cells at 96 dpi), loads the
    // check-mark icon and makes screen-sized shadow strips, so any menu size
    // is shadowed. Returns 1: a missing font or icon only changes the look.
    int Init(Size screen) override;
    int Init(Size screen, HINSTANCE resources);

    // Reads every item of `menu` by position, submenus to any depth, and
    // measures the result with the menu font. Separators become id 0; text is
    // read whole, whatever its length. The resource's check flags are not
    // taken over: marks show once SetItemChecked sets them. The menu is not
    // owned; it must outlive the pane's use of it. Returns 1, or 0 when a text
    // could not be measured (the menu is then sized from the items before it).
    [[nodiscard]] int BuildFromMenu(HMENU menu);
    HMENU MenuHandle() const { return menu_; }

    // Paints the menu into `dc` (nothing while hidden), then its open submenu
    // over it. The DC's state is put back.
    void Draw(HDC dc) const;

    // Re-makes the font and the check mark for the scale, gives them to every
    // submenu and measures the tree again, when the scale changed (a
    // submenu follows its top-level pane and ignores this). Returns 0 when a
    // text could not be measured.
    [[nodiscard]] int ApplyScale(UiScale scale);

    // Opens the menu with its corner at the pointer (moved by KeepOnScreen, so
    // near the right or bottom edge it opens to the left of or above it).
    void ShowAt(int px, int py) { Popup(px, py); }
    void Hide() { SetVisible(false); }

    // The mark of the item with command `id`, in the painted tree and in the
    // Win32 menu (found by command, through its submenus); only the check
    // state of the Win32 item changes. Ids the tree does not hold are
    // ignored.
    void SetItemChecked(int id, bool checked) override;

    HFONT Font() const { return font_; }
    HICON CheckIcon() const { return checkIcon_; }
    const PaneShadow& Shadow() const { return shadow_; }

protected:
    std::unique_ptr<MenuModel> CreateSubmenu() override;

private:
    struct SubmenuTag {};
    // A submenu: it paints with its parent's font and icon, which the
    // top-level pane owns and keeps for the life of the tree.
    MenuPane(SubmenuTag, const MenuPane& parent);

    void ReadItems(HMENU menu, int depth);
    // The font and the icon at this pane's scale (the top-level pane's own).
    void MakeFontAndIcon();
    void ShareFontAndIcon(HFONT font, HICON icon);
    // The tree measured in the font; 0 when a text could not be.
    int MeasureInFont();

    HINSTANCE resources_;
    bool isSubmenu_ = false;
    HMENU menu_ = nullptr;
    PaneShadow shadow_;
    UniqueFont ownFont_;
    UniqueIcon ownIcon_;
    HFONT font_ = nullptr;
    HICON checkIcon_ = nullptr;
};

}  // namespace mrv
