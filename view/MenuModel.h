// The right-button popup menu without its painting: the item tree, its
// measured layout, the row hit rule, the pointer state machine, the submenu
// placement, the check marks and the dirty rectangle. The Win32 half builds
// the tree from the menu resource and draws it; everything here is integer
// geometry over the measured text extents.
//
// Layout of one menu pane (x, y = the pane's top-left corner, X = x + 1):
//
//   y  +--------------------------------------------+  1-pixel black frame
//      |gutter|  (margin band: hits the first item)  |
//   r0 | [v]  | Label          Accel                 |  r0 = y + 1 + margin
//      |      |----------------------------------    |  separator: 8 pixels,
//      |      | Label          Accel                 |  line at its top
//      |  20  |<-- labelWidth -->                    |
//      +--------------------------------------------+
//      content width  = textWidth + 2 * margin + 22
//      content height = margin + rows + 2
//
// Rows are hit from b = y + margin on (one pixel above where they are
// drawn); a separator's slot belongs to the item below it and nothing below
// the last item is hit.
//
// A submenu opens beside its entry's row, to the right of the parent
// overlapping it by a few pixels, or flipped to the left when it would pass
// the screen's right edge:
//
//        parent                      submenu (sx, r - 4), sx = X + width - 6
//   +-------------+              +-----------+
//   | entry     > |+----------+  or   +----------+-------------+
//   |             ||  submenu |       |  submenu | entry     > |
//
// Where a submenu is painted over its parent, the submenu owns the pixels.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Geometry.h"
#include "settings/MenuRadioGroups.h"
#include "view/LabelPane.h"  // TextMeasurer
#include "view/Pane.h"

namespace mrv {

// Keys the open menu answers (the capture window maps virtual keys to them).
enum class MenuKey {
    kUp,
    kDown,
    kLeft,
    kRight,
    kEnter,
    kEscape,
};

// Item flags for AddItem.
enum MenuItemFlag : unsigned {
    kMenuItemChecked = 1u << 0,
    kMenuItemSeparator = 1u << 1,
    kMenuItemSubmenu = 1u << 2,
};

// Metrics of the menu's look at 96 dpi; a pane uses its scale's (Metrics()).
constexpr int kMenuMargin = UiMetrics{}.menuMargin;
constexpr int kMenuGutterWidth = UiMetrics{}.menuGutterWidth;
constexpr int kMenuSeparatorHeight = UiMetrics{}.menuSeparatorHeight;
// Content width beyond the text area: the gutter, the frame and a little air.
constexpr int kMenuExtraWidth = UiMetrics{}.menuExtraWidth;
// Space between the widest label and the accelerator column.
constexpr int kMenuLabelGap = UiMetrics{}.menuLabelGap;

// Colours (0x00BBGGRR).
constexpr Colour kMenuBackColour = 0xFFFFFF;
constexpr Colour kMenuHighlightColour = 0xAAEEFF;  // pale yellow
constexpr Colour kMenuTextColour = 0x000000;
constexpr Colour kMenuHighlightTextColour = 0x000000;
constexpr Colour kMenuHighlightFrameColour = 0x99CCEE;  // light tan
constexpr Colour kMenuGutterColour = 0xCCCCCC;          // gutter and separator lines
constexpr Colour kMenuFrameColour = 0x000000;

class MenuModel;

struct MenuItem {
    // The label, then "\t" and the accelerator text when the item has one.
    std::wstring text;
    // Command id; 0 marks a separator. Submenu entries carry an id of the
    // menu's own making whose low 16 bits are 0, so they never run a command.
    int id = 0;
    bool checked = false;
    std::unique_ptr<MenuModel> submenu;

    bool IsSeparator() const { return id == 0; }
    std::wstring_view Label() const;        // up to the first "\t"
    std::wstring_view Accelerator() const;  // after it, empty without one
    bool HasAccelerator() const { return text.find(L'\t') != std::wstring::npos; }
};

class MenuModel : public Pane, public MenuRadioGroups {
public:
    MenuModel() = default;
    ~MenuModel() override;

    // Binds the pane to the screen (as the base), drops every item, clears
    // the highlight and asks for screen-sized shadow strips (the shadow is on
    // when the attached strips could be made). The top-level menu also
    // registers the format radio groups, once.
    int Init(Size screen) override;

    // ---- Building --------------------------------------------------------

    // Appends an item. A separator (kMenuItemSeparator, or id 0) takes no
    // text. With kMenuItemSubmenu the entry gets a new, empty submenu, bound
    // to this pane's screen, which is returned for the caller to fill; the id
    // given for such an entry is replaced by one of the menu's own (a Win32
    // menu reports a handle value there, whose low word could equal a
    // command). Returns null for other items. Pointers to items stay valid
    // until the next AddItem or Clear.
    MenuModel* AddItem(std::wstring_view label, std::wstring_view accelerator, int id,
                       unsigned flags);
    // The same from the text as a menu resource holds it ("Label\tAccel").
    MenuModel* AddItemText(std::wstring_view text, int id, unsigned flags);
    // Drops every item with its submenu.
    void Clear();

    const std::vector<MenuItem>& Items() const { return items_; }

    // Sets the scale of this pane and of every submenu, made or still to be
    // made; measure again afterwards.
    void SetMenuScale(UiScale scale);

    // Measures this pane's texts and, first, every submenu's, and sets the
    // content size (then KeepOnScreen). Labels are measured alone; an
    // accelerator is measured from its "\t" on. Returns false when a text could
    // not be measured: the pane is then sized from the items measured before
    // it.
    [[nodiscard]] bool MeasureMenu(TextMeasurer& measurer);

    int Margin() const { return Metrics().menuMargin; }
    int ItemHeight() const { return itemHeight_; }
    // Label column plus the widest accelerator.
    int TextWidth() const { return textWidth_; }
    // Widest label + 8: where the accelerator column starts, from the labels'
    // left edge.
    int LabelWidth() const { return labelWidth_; }
    // Margin plus every row's height: the height of the gutter.
    int RowsHeight() const { return rowsHeight_; }

    // ---- Geometry for painting ------------------------------------------

    // Top of the row of item `index` as drawn (the first at y + 1 + margin).
    int RowTop(std::size_t index) const;
    // Where labels and accelerators are drawn.
    int LabelLeft() const { return X() + 1 + Metrics().menuMargin + Metrics().menuGutterWidth; }
    int AcceleratorLeft() const { return LabelLeft() + labelWidth_; }
    // Hovered, or the entry whose submenu is open.
    bool IsHighlighted(std::size_t index) const;

    // ---- Pointer ---------------------------------------------------------

    // The item of this pane under (px, py) by the row hit rule: the pane must
    // be visible and the point strictly inside its frame, and not on an open
    // submenu painted over it. Null for none.
    const MenuItem* ItemAt(int px, int py) const;

    // Highlights the item under the pointer and opens or closes submenus. A
    // point on an open submenu's items keeps it open and makes their id this
    // pane's hovered id as well.
    void OnPointerMove(int px, int py);
    // A button released (left or right): every open submenu reacts first; then
    // the item under the pointer becomes the hovered id (0 for none). A
    // release on a submenu entry keeps the menu and that submenu open; any
    // other release hides this pane.
    void OnPointerRelease(int px, int py);
    // The hovered id, or, while that is 0, the open submenu's, down the chain;
    // 0 when nothing was chosen. Only the low 16 bits name a command.
    int ChosenCommand() const;

    int HoveredId() const { return hoveredId_; }
    // The entry whose submenu is open, or null.
    const MenuItem* OpenItem() const;
    MenuModel* OpenSubmenu() const;

    // Shows the menu with its top-left corner at (x, y), moved by
    // KeepOnScreen, with nothing highlighted and no submenu open.
    void Popup(int x, int y);
    // Hides the menu with every open submenu.
    void Dismiss();
    // On this pane or on an open submenu (frames included).
    bool Covers(int px, int py) const;

    // ---- Keys ------------------------------------------------------------

    // A key while the menu is open; returns the command chosen (0 for none).
    // Keys act on the innermost open pane with a lit row of its own (a
    // submenu that a hover has just opened, nothing lit in it yet, leaves
    // them with its parent):
    //   Up, Down   the light moves over the command rows, skipping
    //              separators and wrapping round; with nothing lit, Down
    //              lights the first row and Up the last
    //   Right      on a submenu entry: the submenu opens with its first row lit
    //   Enter      the same on a submenu entry; on a command row the menu
    //              hides and the row's command is returned, as a release on
    //              it gives it
    //   Left       the innermost open submenu closes; its entry stays lit
    //   Escape     the same, or with no submenu open the menu hides
    // Lighting a row in a submenu lights it in the panes above, as the
    // pointer does, so ChosenCommand agrees.
    int OnKey(MenuKey key);

    // Puts the open submenu beside its entry's row (to the right, or flipped
    // left when it would pass the screen's right edge), then KeepOnScreen.
    // Runs whenever a submenu opens; painting may call it again.
    void PlaceOpenSubmenu();

    // ---- Check marks and lookup -----------------------------------------

    // Depth first: an item's submenu is searched before the item itself.
    // Null for 0 (separators are not found).
    MenuItem* FindItem(int id);
    const MenuItem* FindItem(int id) const;
    // Sets the check mark of the item with command `id` anywhere in the tree;
    // false when there is none. The Win32 half mirrors the mark into its menu.
    bool MarkItemChecked(int id, bool checked);
    void SetItemChecked(int id, bool checked) override { (void)MarkItemChecked(id, checked); }

    // ---- Invalidation ----------------------------------------------------

    // This pane's DirtyRect united with that of every submenu that has ever
    // been open (recursively), so a submenu that closed or moved is repainted.
    [[nodiscard]] Rect MenuDirtyRect();

protected:
    // Makes the pane of a new submenu; the Win32 half returns its own type.
    virtual std::unique_ptr<MenuModel> CreateSubmenu();

private:
    const MenuItem* RowAt(int px, int py, bool coveredBySubmenu) const;
    // The lit row: the hovered item of this pane, else the entry whose
    // submenu is open; -1 for none.
    int LitIndex() const;
    // The next command row from `from` in steps of +1 or -1, wrapping; -1
    // when the pane has none.
    int NextCommandRow(int from, int step) const;
    // This pane and its open submenus down to the one keys act on.
    std::vector<MenuModel*> KeyChain();
    bool SubmenuCovers(int px, int py) const;
    void OpenItemAt(std::size_t index);
    void CloseSubmenu();
    int NextSubmenuEntryId();

    std::vector<MenuItem> items_;
    int itemHeight_ = 0;
    int textWidth_ = 0;
    int labelWidth_ = 0;
    int rowsHeight_ = kMenuMargin;
    int hoveredId_ = 0;
    int openIndex_ = -1;
    // The top-level menu hands out the submenu entries' ids for the whole tree.
    MenuModel* root_ = this;
    int submenuEntries_ = 0;
    // Set once this submenu has been open; from then on its parent's
    // MenuDirtyRect includes it.
    bool everOpened_ = false;
};

}  // namespace mrv
