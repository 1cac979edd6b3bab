#include "view/MenuModel.h"

#include <algorithm>

namespace mrv {
namespace {

// How far the submenu's top stands above its entry's row, and how its corner
// sits against the parent's right edge (opening right) or left edge (flipped).
constexpr int kSubmenuRaise = 4;
constexpr int kSubmenuRightInset = 6;
constexpr int kSubmenuLeftOverlap = 2;

// Submenu entries are numbered in the high word: their low word is 0, which
// the command dispatch ignores, and they are never 0 (a separator).
constexpr int kSubmenuEntryIdStep = 0x10000;

}  // namespace

std::wstring_view MenuItem::Label() const {
    const std::wstring_view all(text);
    return all.substr(0, all.find(L'\t'));
}

std::wstring_view MenuItem::Accelerator() const {
    const std::wstring_view all(text);
    const std::size_t tab = all.find(L'\t');
    return tab == std::wstring_view::npos ? std::wstring_view() : all.substr(tab + 1);
}

MenuModel::~MenuModel() = default;

int MenuModel::Init(Size screen) {
    Pane::Init(screen);
    Clear();
    itemHeight_ = 0;
    textWidth_ = 0;
    labelWidth_ = 0;
    rowsHeight_ = kMenuMargin;
    // Screen-sized strips shadow a menu of any size.
    (void)RemakeShadowStrips(screen.width, screen.height);
    SetContentSize(0, 0);
    if (root_ == this && IdAt(kFormatGroup, 0) == 0) (void)AddFormatGroups(*this);
    return 1;
}

MenuModel* MenuModel::AddItem(std::wstring_view label, std::wstring_view accelerator, int id,
                              unsigned flags) {
    MenuItem item;
    if ((flags & kMenuItemSeparator) != 0 || (id == 0 && (flags & kMenuItemSubmenu) == 0)) {
        items_.push_back(std::move(item));
        return nullptr;
    }
    item.text.assign(label);
    if (!accelerator.empty()) {
        item.text.push_back(L'\t');
        item.text.append(accelerator);
    }
    item.checked = (flags & kMenuItemChecked) != 0;
    item.id = id;
    MenuModel* sub = nullptr;
    if ((flags & kMenuItemSubmenu) != 0) {
        item.id = NextSubmenuEntryId();
        item.submenu = CreateSubmenu();
        sub = item.submenu.get();
        sub->root_ = root_;
        sub->Init(ScreenSize());
        sub->SetVisible(false);  // shown when its entry opens it
    }
    items_.push_back(std::move(item));
    return sub;
}

MenuModel* MenuModel::AddItemText(std::wstring_view text, int id, unsigned flags) {
    const std::size_t tab = text.find(L'\t');
    if (tab == std::wstring_view::npos) return AddItem(text, {}, id, flags);
    MenuModel* sub = AddItem(text.substr(0, tab), text.substr(tab + 1), id, flags);
    // Keep a trailing tab as the resource had it: it is measured as part of
    // the accelerator column.
    if (tab + 1 == text.size() && !items_.back().IsSeparator()) items_.back().text.push_back(L'\t');
    return sub;
}

void MenuModel::Clear() {
    items_.clear();
    openIndex_ = -1;
    hoveredId_ = 0;
}

std::unique_ptr<MenuModel> MenuModel::CreateSubmenu() {
    return std::make_unique<MenuModel>();
}

int MenuModel::NextSubmenuEntryId() {
    ++root_->submenuEntries_;
    return root_->submenuEntries_ * kSubmenuEntryIdStep;
}

bool MenuModel::MeasureMenu(TextMeasurer& measurer) {
    bool complete = true;
    for (MenuItem& item : items_) {
        if (item.submenu && !item.submenu->MeasureMenu(measurer)) complete = false;
    }

    labelWidth_ = 0;
    rowsHeight_ = kMenuMargin;
    int widestAccelerator = 0;
    for (const MenuItem& item : items_) {
        if (item.IsSeparator()) {
            rowsHeight_ += kMenuSeparatorHeight;
            continue;
        }
        Size label;
        if (!measurer.Measure(item.Label(), &label)) {
            complete = false;
            break;
        }
        labelWidth_ = std::max(labelWidth_, label.width + kMenuLabelGap);
        itemHeight_ = kMenuMargin + label.height;
        rowsHeight_ += itemHeight_;
        if (item.HasAccelerator()) {
            // Measured with its tab, as the text stands after the label.
            const std::wstring_view all(item.text);
            Size accelerator;
            if (!measurer.Measure(all.substr(all.find(L'\t')), &accelerator)) {
                complete = false;
                break;
            }
            widestAccelerator = std::max(widestAccelerator, accelerator.width);
        }
    }
    // Every accelerator is drawn at the final label width, so the text area
    // is that plus the widest accelerator: none can stick out of the box.
    textWidth_ = labelWidth_ + widestAccelerator;
    SetContentSize(textWidth_ + 2 * kMenuMargin + kMenuExtraWidth, rowsHeight_ + 2);
    return complete;
}

int MenuModel::RowTop(std::size_t index) const {
    int r = Y() + 1 + kMenuMargin;
    for (std::size_t k = 0; k < index && k < items_.size(); ++k)
        r += items_[k].IsSeparator() ? kMenuSeparatorHeight : itemHeight_;
    return r;
}

bool MenuModel::IsHighlighted(std::size_t index) const {
    if (index >= items_.size() || items_[index].IsSeparator()) return false;
    return items_[index].id == hoveredId_ || static_cast<int>(index) == openIndex_;
}

const MenuItem* MenuModel::RowAt(int px, int py, bool coveredBySubmenu) const {
    if (!IsVisible() || coveredBySubmenu) return nullptr;
    if (!(X() < px && px < X() + ContentWidth() && Y() < py && py < Y() + ContentHeight()))
        return nullptr;
    int bottom = Y() + kMenuMargin;
    for (const MenuItem& item : items_) {
        bottom += item.IsSeparator() ? kMenuSeparatorHeight : itemHeight_;
        if (!item.IsSeparator() && py < bottom) return &item;
    }
    return nullptr;
}

bool MenuModel::SubmenuCovers(int px, int py) const {
    const MenuModel* sub = OpenSubmenu();
    if (sub == nullptr || !sub->IsVisible()) return false;
    // Its hit area: strictly inside the frame it is painted with.
    if (sub->X() < px && px < sub->X() + sub->ContentWidth() && sub->Y() < py &&
        py < sub->Y() + sub->ContentHeight())
        return true;
    return sub->SubmenuCovers(px, py);
}

const MenuItem* MenuModel::ItemAt(int px, int py) const {
    return RowAt(px, py, SubmenuCovers(px, py));
}

const MenuItem* MenuModel::OpenItem() const {
    return openIndex_ >= 0 ? &items_[static_cast<std::size_t>(openIndex_)] : nullptr;
}

MenuModel* MenuModel::OpenSubmenu() const {
    const MenuItem* item = OpenItem();
    return item != nullptr ? item->submenu.get() : nullptr;
}

void MenuModel::OpenItemAt(std::size_t index) {
    if (openIndex_ != static_cast<int>(index)) CloseSubmenu();
    openIndex_ = static_cast<int>(index);
    MenuModel* sub = items_[index].submenu.get();
    sub->SetVisible(true);
    sub->everOpened_ = true;
    PlaceOpenSubmenu();
}

void MenuModel::CloseSubmenu() {
    if (MenuModel* sub = OpenSubmenu()) {
        sub->CloseSubmenu();
        sub->SetVisible(false);
    }
    openIndex_ = -1;
}

void MenuModel::PlaceOpenSubmenu() {
    MenuModel* sub = OpenSubmenu();
    if (sub == nullptr) return;
    const int left = X() + 1;
    const int rightX = left + ContentWidth() - kSubmenuRightInset;
    const int x = rightX + sub->ContentWidth() < ScreenSize().width
                      ? rightX
                      : left - sub->ContentWidth() + kSubmenuLeftOverlap;
    sub->MoveTo(x, RowTop(static_cast<std::size_t>(openIndex_)) - kSubmenuRaise);
    sub->PlaceOpenSubmenu();
}

void MenuModel::OnPointerMove(int px, int py) {
    MenuModel* sub = OpenSubmenu();
    if (sub != nullptr) sub->OnPointerMove(px, py);

    if (const MenuItem* hit = ItemAt(px, py)) {
        hoveredId_ = hit->id;
        if (hit->submenu)
            OpenItemAt(static_cast<std::size_t>(hit - items_.data()));
        else
            CloseSubmenu();
        return;
    }
    hoveredId_ = 0;
    if (sub == nullptr) return;
    // The submenu has just taken the move: its hovered id is the item under
    // the pointer there (or deeper down its own open chain). Adopting it keeps
    // the chain open and lets ChosenCommand find the id at once.
    if (sub->hoveredId_ != 0)
        hoveredId_ = sub->hoveredId_;
    else
        CloseSubmenu();
}

void MenuModel::OnPointerRelease(int px, int py) {
    // Which pane owns the point is decided before the submenus react: a
    // release on a submenu's item hides that submenu.
    const bool covered = SubmenuCovers(px, py);
    if (MenuModel* sub = OpenSubmenu()) sub->OnPointerRelease(px, py);

    const MenuItem* hit = RowAt(px, py, covered);
    hoveredId_ = hit != nullptr ? hit->id : 0;
    if (hit != nullptr && hit->submenu)
        OpenItemAt(static_cast<std::size_t>(hit - items_.data()));  // both stay open
    else
        SetVisible(false);
}

int MenuModel::ChosenCommand() const {
    const MenuModel* pane = this;
    while (pane->hoveredId_ == 0 && pane->OpenSubmenu() != nullptr) pane = pane->OpenSubmenu();
    return pane->hoveredId_;
}

void MenuModel::Popup(int x, int y) {
    CloseSubmenu();
    hoveredId_ = 0;
    MoveTo(x, y);
    SetVisible(true);
}

MenuItem* MenuModel::FindItem(int id) {
    return const_cast<MenuItem*>(static_cast<const MenuModel*>(this)->FindItem(id));
}

const MenuItem* MenuModel::FindItem(int id) const {
    if (id == 0) return nullptr;
    for (const MenuItem& item : items_) {
        if (item.submenu) {
            if (const MenuItem* found = item.submenu->FindItem(id)) return found;
        }
        if (item.id == id) return &item;
    }
    return nullptr;
}

bool MenuModel::MarkItemChecked(int id, bool checked) {
    MenuItem* item = FindItem(id);
    if (item == nullptr) return false;
    item->checked = checked;
    return true;
}

Rect MenuModel::MenuDirtyRect() {
    Rect dirty = DirtyRect();
    for (MenuItem& item : items_) {
        if (item.submenu && item.submenu->everOpened_)
            dirty = dirty.Union(item.submenu->MenuDirtyRect());
    }
    return dirty;
}

}  // namespace mrv
