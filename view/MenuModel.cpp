#include "view/MenuModel.h"

#include <algorithm>

namespace mrv {
namespace {

// How far the submenu's top stands above its entry's row, and how its corner
// sits against the parent's right edge (opening right) or left edge (flipped).

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
    rowsHeight_ = Metrics().menuMargin;
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
        sub->SetScale(Scale());
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

void MenuModel::SetMenuScale(UiScale scale) {
    SetScale(scale);
    RemakeShadowStripsIfOn(ScreenSize().width, ScreenSize().height);
    for (MenuItem& item : items_)
        if (item.submenu) item.submenu->SetMenuScale(scale);
}

bool MenuModel::MeasureMenu(TextMeasurer& measurer) {
    bool complete = true;
    for (MenuItem& item : items_) {
        if (item.submenu && !item.submenu->MeasureMenu(measurer)) complete = false;
    }

    labelWidth_ = 0;
    rowsHeight_ = Metrics().menuMargin;
    int widestAccelerator = 0;
    for (const MenuItem& item : items_) {
        if (item.IsSeparator()) {
            rowsHeight_ += Metrics().menuSeparatorHeight;
            continue;
        }
        Size label;
        if (!measurer.Measure(item.Label(), &label)) {
            complete = false;
            break;
        }
        labelWidth_ = std::max(labelWidth_, label.width + Metrics().menuLabelGap);
        itemHeight_ = Metrics().menuMargin + label.height;
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
    SetContentSize(textWidth_ + 2 * Metrics().menuMargin + Metrics().menuExtraWidth,
                   rowsHeight_ + 2);
    return complete;
}

int MenuModel::RowTop(std::size_t index) const {
    int r = Y() + 1 + Metrics().menuMargin;
    for (std::size_t k = 0; k < index && k < items_.size(); ++k)
        r += items_[k].IsSeparator() ? Metrics().menuSeparatorHeight : itemHeight_;
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
    int bottom = Y() + Metrics().menuMargin;
    for (const MenuItem& item : items_) {
        bottom += item.IsSeparator() ? Metrics().menuSeparatorHeight : itemHeight_;
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
    MenuModel* sub = items_[index].submenu.get();
    if (openIndex_ != static_cast<int>(index)) {
        CloseSubmenu();
        // Opening afresh: nothing of the submenu's last use stays lit.
        sub->CloseSubmenu();
        sub->hoveredId_ = 0;
    }
    openIndex_ = static_cast<int>(index);
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
    const int rightX = left + ContentWidth() - Metrics().menuSubmenuRightInset;
    // The submenu keeps to its menu's monitor and flips at that monitor's
    // right edge, an inner edge of the screen included.
    sub->SetArea(Area());
    const int x = rightX + sub->ContentWidth() < Area().right
                      ? rightX
                      : left - sub->ContentWidth() + Metrics().menuSubmenuLeftOverlap;
    sub->MoveTo(x, RowTop(static_cast<std::size_t>(openIndex_)) - Metrics().menuSubmenuRaise);
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
    KeepToMonitorAt(x, y);
    MoveTo(x, y);
    SetVisible(true);
}

void MenuModel::Dismiss() {
    CloseSubmenu();
    SetVisible(false);
}

bool MenuModel::Covers(int px, int py) const {
    if (!IsVisible()) return false;
    if (HitTest(px, py)) return true;
    const MenuModel* sub = OpenSubmenu();
    return sub != nullptr && sub->Covers(px, py);
}

int MenuModel::LitIndex() const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].IsSeparator() && items_[i].id == hoveredId_) return static_cast<int>(i);
    }
    return openIndex_;
}

int MenuModel::NextCommandRow(int from, int step) const {
    const int n = static_cast<int>(items_.size());
    for (int k = 1; k <= n; ++k) {
        const int i = ((from + step * k) % n + n) % n;
        if (!items_[static_cast<std::size_t>(i)].IsSeparator()) return i;
    }
    return -1;
}

std::vector<MenuModel*> MenuModel::KeyChain() {
    std::vector<MenuModel*> chain{this};
    for (MenuModel* sub = OpenSubmenu(); sub != nullptr && sub->LitIndex() >= 0;
         sub = sub->OpenSubmenu())
        chain.push_back(sub);
    return chain;
}

int MenuModel::OnKey(MenuKey key) {
    if (!IsVisible()) return 0;
    std::vector<MenuModel*> chain = KeyChain();
    MenuModel* pane = chain.back();
    // Lights row `index` of `at` (chain[depth]) and, as the pointer does, the
    // same id in every pane above it.
    const auto light = [&](std::size_t depth, int index) {
        const int id = chain[depth]->items_[static_cast<std::size_t>(index)].id;
        for (std::size_t k = 0; k <= depth; ++k) chain[k]->hoveredId_ = id;
    };
    const auto openLit = [&]() {
        const int lit = pane->LitIndex();
        if (lit < 0 || !pane->items_[static_cast<std::size_t>(lit)].submenu) return false;
        pane->OpenItemAt(static_cast<std::size_t>(lit));
        MenuModel* sub = pane->OpenSubmenu();
        const int first = sub->NextCommandRow(-1, 1);
        if (first >= 0) {
            chain.push_back(sub);
            light(chain.size() - 1, first);
        }
        return true;
    };

    switch (key) {
        case MenuKey::kUp:
        case MenuKey::kDown: {
            const int step = key == MenuKey::kDown ? 1 : -1;
            int lit = pane->LitIndex();
            if (lit < 0) lit = step > 0 ? -1 : static_cast<int>(pane->items_.size());
            const int next = pane->NextCommandRow(lit, step);
            if (next < 0) return 0;
            if (next != pane->openIndex_) pane->CloseSubmenu();
            light(chain.size() - 1, next);
            return 0;
        }
        case MenuKey::kRight:
            openLit();
            return 0;
        case MenuKey::kEnter: {
            if (openLit()) return 0;
            const int lit = pane->LitIndex();
            if (lit < 0) return 0;
            const int id = pane->items_[static_cast<std::size_t>(lit)].id;
            Dismiss();
            return id;
        }
        case MenuKey::kLeft:
        case MenuKey::kEscape: {
            // The innermost open submenu, whether or not a row in it is lit.
            std::vector<MenuModel*> open{this};
            while (open.back()->OpenSubmenu() != nullptr)
                open.push_back(open.back()->OpenSubmenu());
            if (open.size() == 1) {
                if (key == MenuKey::kEscape) Dismiss();
                return 0;
            }
            MenuModel* parent = open[open.size() - 2];
            const int entry = parent->openIndex_;
            parent->CloseSubmenu();
            const int id = parent->items_[static_cast<std::size_t>(entry)].id;
            for (std::size_t k = 0; k + 1 < open.size(); ++k) open[k]->hoveredId_ = id;
            return 0;
        }
    }
    return 0;
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
