#include "view/MenuPane_win.h"

#include <new>
#include <string>

#include "base/InterfaceFont_win.h"
#include "resources/resource.h"
#include "view/CellMeasurer.h"
#include "view/LabelPane_win.h"  // GdiTextMeasurer

namespace mrv {
namespace {

// Deeper menus than this are not read: a menu that (through a handle reused
// after being destroyed) led back to itself would otherwise never end.
constexpr int kMaxMenuDepth = 16;

// The text of the item at `position`, however long. Empty when it has none
// (bitmap and owner-drawn items) or cannot be read.
std::wstring ReadItemText(HMENU menu, UINT position, UINT length) {
    if (length == 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return {};
    text.resize(info.cch < length ? info.cch : length);
    return text;
}

// A small right-pointing triangle ending at column `right` - 1, centred on
// row `centre`: half + 1 columns, 2 * half + 1 pixels tall at the base and
// 2 pixels shorter each column (7, 5, 3 and 1 at 96 dpi, half = 3).
void DrawSubmenuArrow(HDC dc, int right, int centre, int half, Colour colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    for (int k = 0; k <= half; ++k) {
        const RECT column{right - half - 1 + k, centre - half + k, right - half + k,
                          centre + half + 1 - k};
        FillRect(dc, &column, brush.get());
    }
}

}  // namespace

MenuPane::MenuPane(HINSTANCE resources) : resources_(resources) {
    AttachShadowStrips(&shadow_);
}

MenuPane::MenuPane(SubmenuTag, const MenuPane& parent)
    : resources_(parent.resources_),
      isSubmenu_(true),
      font_(parent.font_),
      checkIcon_(parent.checkIcon_) {
    AttachShadowStrips(&shadow_);
}

MenuPane::~MenuPane() {
    // Submenus first: they use this pane's font and icon until they go.
    Clear();
}

int MenuPane::Init(Size screen, HINSTANCE resources) {
    resources_ = resources;
    return Init(screen);
}

int MenuPane::Init(Size screen) {
    // Drops the items (and with them every submenu borrowing the old font)
    // before the font and icon are re-made.
    MenuModel::Init(screen);
    menu_ = nullptr;
    if (isSubmenu_) return 1;

    MakeFontAndIcon();
    return 1;
}

void MenuPane::MakeFontAndIcon() {
    const UiMetrics& m = Metrics();
    LOGFONTW spec;
    InitFontSpec(spec, InterfaceFace().face, m.menuFontHeight);
    ownFont_.reset(CreateFontIndirectW(&spec));
    font_ = ownFont_.get();
    // The icon is loaded at the size it is drawn: the resource's nearest
    // image, scaled down by the loader rather than stretched when drawn.
    HINSTANCE module = resources_ != nullptr ? resources_ : GetModuleHandleW(nullptr);
    ownIcon_.reset(
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_CHECK_MARK), IMAGE_ICON,
                                      m.menuCheckIconSize, m.menuCheckIconSize, 0)));
    checkIcon_ = ownIcon_.get();
}

void MenuPane::ShareFontAndIcon(HFONT font, HICON icon) {
    font_ = font;
    checkIcon_ = icon;
    for (const MenuItem& item : Items())
        if (item.submenu) static_cast<MenuPane*>(item.submenu.get())->ShareFontAndIcon(font, icon);
}

int MenuPane::ApplyScale(UiScale scale) {
    if (isSubmenu_ || scale == Scale()) return 1;
    SetMenuScale(scale);
    MakeFontAndIcon();
    ShareFontAndIcon(font_, checkIcon_);
    return MeasureInFont();
}

int MenuPane::MeasureInFont() {
    // Rows are measured on the font's cell, whatever the family's metrics.
    CellMeasurer measurer(std::make_unique<GdiTextMeasurer>(nullptr, font_),
                          Metrics().menuFontHeight);
    return MeasureMenu(measurer) ? 1 : 0;
}

std::unique_ptr<MenuModel> MenuPane::CreateSubmenu() {
    return std::unique_ptr<MenuModel>(new MenuPane(SubmenuTag{}, *this));
}

int MenuPane::BuildFromMenu(HMENU menu) {
    Clear();
    ReadItems(menu, 0);
    return MeasureInFont();
}

void MenuPane::ReadItems(HMENU menu, int depth) {
    menu_ = menu;
    const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int position = 0; position < count; ++position) {
        const UINT at = static_cast<UINT>(position);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        // The text's length comes back in cch when no buffer is given.
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        if (!GetMenuItemInfoW(menu, at, TRUE, &info)) continue;
        // An item that cannot be allocated is left out; the rest still show.
        try {
            if ((info.fType & MFT_SEPARATOR) != 0) {
                AddItem({}, {}, 0, kMenuItemSeparator);
                continue;
            }
            const std::wstring text = ReadItemText(menu, at, info.cch);
            if (info.hSubMenu != nullptr) {
                if (depth + 1 >= kMaxMenuDepth) continue;
                // The entry's id is the menu's own (the Win32 menu reports the
                // submenu's handle value there).
                auto* sub = static_cast<MenuPane*>(AddItemText(text, 0, kMenuItemSubmenu));
                sub->ReadItems(info.hSubMenu, depth + 1);
            } else {
                // Id 0 on a plain item makes it a separator, as in the model.
                AddItemText(text, static_cast<int>(info.wID), 0);
            }
        } catch (const std::bad_alloc&) {
        }
    }
}

void MenuPane::SetItemChecked(int id, bool checked) {
    MenuItem* item = FindItem(id);
    if (item == nullptr) return;
    item->checked = checked;
    // A submenu entry's id is no command of the Win32 menu.
    if (menu_ != nullptr && !item->submenu) {
        CheckMenuItem(menu_, static_cast<UINT>(id),
                      MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void MenuPane::Draw(HDC dc) const {
    if (!IsVisible()) return;
    const int x = X();
    const int y = Y();
    const int w = ContentWidth();
    const int h = ContentHeight();
    const int inner = x + 1;  // inside the frame
    const UiMetrics& m = Metrics();
    const int margin = m.menuMargin;
    const int gutter = m.menuGutterWidth;
    DrawShadow(dc, *this, shadow_, x, y, w, h);
    {
        UniquePen pen(CreatePen(PS_SOLID, 1, kMenuGutterColour));
        DcStateGuard state(dc);
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectFont(dc, font_);

        FillBox(dc, inner, y + 1, w - 2, h - 2, kMenuBackColour);
        FillBox(dc, inner, y + 1, gutter, RowsHeight(), kMenuGutterColour);
        SetBkMode(dc, OPAQUE);

        const std::vector<MenuItem>& items = Items();
        int r = y + 1 + margin;
        for (std::size_t k = 0; k < items.size(); ++k) {
            const MenuItem& item = items[k];
            if (item.IsSeparator()) {
                // At the top of its slot; LineTo leaves out the end point.
                MoveToEx(dc, inner + margin + gutter, r, nullptr);
                LineTo(dc, inner + w - margin, r);
                r += m.menuSeparatorHeight;
                continue;
            }
            const bool lit = IsHighlighted(k);
            if (lit) {
                // Two pixels in from the sides and three above the text at
                // 96 dpi; the frame's line stays one pixel.
                const int side = m.scale.Px(2);
                const int top = r - m.scale.Px(3);
                const int height = ItemHeight() + m.scale.Px(2);
                FrameBox(dc, x + side, top, w - 2 * side, height, kMenuHighlightFrameColour);
                FillBox(dc, x + side + 1, top + 1, w - 2 * side - 2, height - 2,
                        kMenuHighlightColour);
            }
            const Colour ink = lit ? kMenuHighlightTextColour : kMenuTextColour;
            SetTextColor(dc, ink);
            SetBkColor(dc, lit ? kMenuHighlightColour : kMenuBackColour);
            const std::wstring_view label = item.Label();
            TextOutW(dc, LabelLeft(), r, label.data(), static_cast<int>(label.size()));
            if (item.HasAccelerator()) {
                const std::wstring_view accelerator = item.Accelerator();
                TextOutW(dc, AcceleratorLeft(), r, accelerator.data(),
                         static_cast<int>(accelerator.size()));
            }
            if (item.submenu)
                DrawSubmenuArrow(dc, x + w - m.menuArrowInset, r + (ItemHeight() - margin) / 2,
                                 m.menuArrowHalf, ink);
            if (item.checked && checkIcon_ != nullptr) {
                DrawIconEx(dc, x + m.menuCheckLeft, r - m.scale.Px(1), checkIcon_,
                           m.menuCheckIconSize, m.menuCheckIconSize, 0, nullptr, DI_NORMAL);
            }
            r += ItemHeight();
        }
        FrameBox(dc, x, y, w, h, kMenuFrameColour);
    }
    // Painted over its parent, which it overlaps.
    if (const MenuModel* sub = OpenSubmenu()) static_cast<const MenuPane*>(sub)->Draw(dc);
}

}  // namespace mrv
