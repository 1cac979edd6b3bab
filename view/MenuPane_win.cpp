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
// row `centre`: four columns 7, 5, 3 and 1 pixels tall.
void DrawSubmenuArrow(HDC dc, int right, int centre, Colour colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    for (int k = 0; k < 4; ++k) {
        const RECT column{right - 4 + k, centre - 3 + k, right - 3 + k, centre + 4 - k};
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

    LOGFONTW spec;
    InitFontSpec(spec, InterfaceFace().face, kMenuFontCellHeight);
    ownFont_.reset(CreateFontIndirectW(&spec));
    font_ = ownFont_.get();
    HINSTANCE module = resources_ != nullptr ? resources_ : GetModuleHandleW(nullptr);
    ownIcon_.reset(
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_CHECK_MARK), IMAGE_ICON,
                                      kMenuCheckIconSize, kMenuCheckIconSize, 0)));
    checkIcon_ = ownIcon_.get();
    return 1;
}

std::unique_ptr<MenuModel> MenuPane::CreateSubmenu() {
    return std::unique_ptr<MenuModel>(new MenuPane(SubmenuTag{}, *this));
}

int MenuPane::BuildFromMenu(HMENU menu) {
    Clear();
    ReadItems(menu, 0);
    CellMeasurer measurer(std::make_unique<GdiTextMeasurer>(nullptr, font_), kMenuFontCellHeight);
    return MeasureMenu(measurer) ? 1 : 0;
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
    DrawShadow(dc, *this, shadow_, x, y, w, h);
    {
        UniquePen pen(CreatePen(PS_SOLID, 1, kMenuGutterColour));
        DcStateGuard state(dc);
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectFont(dc, font_);

        FillBox(dc, inner, y + 1, w - 2, h - 2, kMenuBackColour);
        FillBox(dc, inner, y + 1, kMenuGutterWidth, RowsHeight(), kMenuGutterColour);
        SetBkMode(dc, OPAQUE);

        const std::vector<MenuItem>& items = Items();
        int r = y + 1 + kMenuMargin;
        for (std::size_t k = 0; k < items.size(); ++k) {
            const MenuItem& item = items[k];
            if (item.IsSeparator()) {
                // At the top of its slot; LineTo leaves out the end point.
                MoveToEx(dc, inner + kMenuMargin + kMenuGutterWidth, r, nullptr);
                LineTo(dc, inner + w - kMenuMargin, r);
                r += kMenuSeparatorHeight;
                continue;
            }
            const bool lit = IsHighlighted(k);
            if (lit) {
                FrameBox(dc, x + 2, r - 3, w - 4, ItemHeight() + 2, kMenuHighlightFrameColour);
                FillBox(dc, x + 3, r - 2, w - 6, ItemHeight(), kMenuHighlightColour);
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
                DrawSubmenuArrow(dc, x + w - 6, r + (ItemHeight() - kMenuMargin) / 2, ink);
            if (item.checked && checkIcon_ != nullptr) {
                DrawIconEx(dc, x + 4, r - 1, checkIcon_, kMenuCheckIconSize, kMenuCheckIconSize, 0,
                           nullptr, DI_NORMAL);
            }
            r += ItemHeight();
        }
        FrameBox(dc, x, y, w, h, kMenuFrameColour);
    }
    // Painted over its parent, which it overlaps.
    if (const MenuModel* sub = OpenSubmenu()) static_cast<const MenuPane*>(sub)->Draw(dc);
}

}  // namespace mrv
