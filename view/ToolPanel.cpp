#include "view/ToolPanel.h"

#include <algorithm>

namespace mrv {
namespace {

const wchar_t* const kLabels[kToolButtonCount] = {
    L"Bitmap保存 Ctrl+B",
    L"Bitmap保存(Full Color)",
    L"Bitmap保存(256色)",
    L"PNG保存 Ctrl+P",
    L"PNG保存(Full Color)",
    L"PNG保存(256色)",
    L"JPEG保存 Ctrl+J",
    L"JPEG保存(高画質)",
    L"JPEG保存(標準)",
    L"JPEG保存(中画質)",
    L"JPEG保存(低画質)",
    L"コピー Ctrl+C",
    L"コピー(256色)",
    L"保存先フォルダを開く Ctrl+O",
    L"最後に保存した画像を開く",
    L"ウィンドウを固定する",
    L"ドローツール",
    L"設定",
    L"最小化",
    L"終了 Ctrl+Q",
};

}  // namespace

std::wstring_view ToolButtonLabel(int index) {
    if (index < 0 || index >= kToolButtonCount) return {};
    return kLabels[index];
}

ToolPanel::ToolPanel() {
    SetFlipMargin(0);
}

void ToolPanel::Link(const Selection* selection, const std::int32_t* toolButtons,
                     const std::int32_t* corner) {
    selection_ = selection;
    toolButtons_ = toolButtons;
    corner_ = corner;
}

bool ToolPanel::AllowedWhenPinned(int index) {
    // Pin, settings and exit are never offered on the pinned window;
    // minimise is always there (IsButtonShown), as the way back.
    return index != kToolButtonPin && index != kToolButtonSettings && index != kToolButtonExit;
}

bool ToolPanel::IsButtonShown(int index) const {
    if (index < 0 || index >= kToolButtonCount) return false;
    if (pinned_ && index == kToolButtonMinimize) return true;
    const bool ticked = toolButtons_ != nullptr && toolButtons_[index] != 0;
    return ticked && (!pinned_ || AllowedWhenPinned(index));
}

void ToolPanel::Layout() {
    shownCount_ = 0;
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (IsButtonShown(i)) ++shownCount_;
    }
    const UiMetrics& m = Metrics();
    RemakeShadowStrips(m.toolIconSize, m.toolIconSize);
    SetContentSize(m.ToolPanelWidth(shownCount_), m.toolPanelHeight);  // also KeepOnScreen
}

bool ToolPanel::CornerTarget(Point* at) const {
    if (selection_ == nullptr) return false;
    const Selection& s = *selection_;
    const int left = s.left;
    const int top = s.top;
    const int right = s.left + s.width;
    const int bottom = s.top + s.height;
    const int corner = corner_ != nullptr ? *corner_ : kCornerBelowLeft;
    const int w = ContentWidth();
    const int h = ContentHeight();
    const int gap = Metrics().toolCornerGap;
    const int inset = Metrics().toolCornerInset;
    switch (corner) {
        case kCornerAboveLeft:
            *at = Point{left + 1, top - h - gap};
            return true;
        case kCornerAboveRight:
            *at = Point{right - w - inset, top - h - gap};
            return true;
        case kCornerBelowLeft:
            *at = Point{left + 1, bottom};
            return true;
        case kCornerBelowRight:
            *at = Point{right - w - inset, bottom};
            return true;
        default:
            return false;
    }
}

Rect ToolPanel::CornerMonitor(bool* cornerOff) const {
    *cornerOff = false;
    if (selection_ == nullptr) return Area();
    const Selection& s = *selection_;
    const int corner = corner_ != nullptr ? *corner_ : kCornerBelowLeft;
    const bool right = corner == kCornerAboveRight || corner == kCornerBelowRight;
    const bool below = corner == kCornerBelowLeft || corner == kCornerBelowRight;
    // The selection's own pixel at that corner.
    const int x = right ? s.left + s.width - 1 : s.left;
    const int y = below ? s.top + s.height - 1 : s.top;
    const Rect monitor = MonitorAt(x, y);
    *cornerOff = !monitor.Contains(Point{x, y});
    return monitor;
}

void ToolPanel::PlaceAtCorner() {
    Point at;
    if (!CornerTarget(&at)) return;
    bool cornerOff = false;
    const Rect monitor = CornerMonitor(&cornerOff);
    SetArea(monitor, cornerOff);
    MoveTo(at.x, at.y);
}

Rect ToolPanel::CornerRect() const {
    Point at{X(), Y()};
    bool cornerOff = false;
    if (CornerTarget(&at)) {
        const Rect monitor = CornerMonitor(&cornerOff);
        at = KeptIn(monitor, at.x, at.y, cornerOff);
    }
    return Rect::FromXYWH(at.x, at.y, OuterWidth(), OuterHeight());
}

bool ToolPanel::IsPresent() const {
    if (!IsVisible() || shownCount_ <= 0) return false;
    return pinned_ || (selection_ != nullptr && selection_->HasArea());
}

int ToolPanel::TrackHover(int px, int py) {
    hoverIndex_ = -1;
    if (!IsPresent() || py < Y() || py > Y() + ContentHeight() || px < X() ||
        px > X() + ContentWidth()) {
        return -1;
    }
    int column = (px - X()) / Metrics().toolButtonPitch;
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (!IsButtonShown(i)) continue;
        if (column == 0) {
            hoverIndex_ = i;
            return i;
        }
        --column;
    }
    return -1;
}

int ToolPanel::TakeClick() {
    const int chosen = pressedIndex_ == hoverIndex_ ? pressedIndex_ : -1;
    pressedIndex_ = -1;
    return chosen;
}

int ToolPanel::ButtonSlots(ToolButtonSlot (&slots)[kToolButtonCount]) const {
    int n = 0;
    int bx = X();
    const int y = Y();
    const UiMetrics& m = Metrics();
    const int size = m.toolIconSize;
    const int top = y + m.toolBoxTop;
    const int rest = m.toolRestOffset;
    const int sunk = m.toolPressedOffset;
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (!IsButtonShown(i)) continue;
        ToolButtonSlot& slot = slots[n++];
        slot.index = i;
        slot.shadowBox = Rect::FromXYWH(bx, top, size, size);
        // The shadow box is fixed: at rest 2 pixels of shadow show, hovered
        // the icon rises over the whole box and shows all 4, pressed it sinks
        // one pixel below rest and shows 1.
        bool highlighted;
        if (pressedIndex_ < 0) {
            highlighted = i == hoverIndex_;
            slot.iconAt = highlighted ? Point{bx, top} : Point{bx + rest, top + rest};
        } else {
            highlighted = i == pressedIndex_;
            slot.iconAt = highlighted ? Point{bx + sunk, top + sunk} : Point{bx + rest, top + rest};
        }
        slot.iconSource = Point{size * i, highlighted ? size : 0};
        bx += m.toolButtonPitch;
    }
    return n;
}

Rect ToolPanel::PinnedBackground() const {
    const int top = Metrics().toolBoxTop;
    return Rect::FromXYWH(X(), Y() + top, OuterWidth(), OuterHeight() - top);
}

int PickToolStrip(const int* cellSizes, int count, int iconSize) {
    if (count <= 0) return -1;
    for (int i = 0; i < count; ++i)
        if (cellSizes[i] >= iconSize) return i;
    return count - 1;
}

std::vector<std::uint32_t> ResampleIconCells(const std::uint32_t* pixels, int across, int down,
                                             int from, int to) {
    if (pixels == nullptr || across <= 0 || down <= 0 || from <= 0 || to <= 0) return {};
    const std::size_t width = static_cast<std::size_t>(across) * static_cast<std::size_t>(to);
    std::vector<std::uint32_t> out(width * static_cast<std::size_t>(down) *
                                   static_cast<std::size_t>(to));
    const std::size_t sourceWidth =
        static_cast<std::size_t>(across) * static_cast<std::size_t>(from);
    // Enlarged by `factor`, a cell spans `big` pixels; in units of 1/to of a
    // result pixel and 1/big of a source pixel both spans are big * to long.
    const int factor = (to + from - 1) / from;
    const int big = from * factor;
    // Per result pixel of a cell, the enlarged source pixels it covers and
    // how much of each (one axis; the other is the same table).
    struct Span {
        int first = 0, last = 0;
    };
    std::vector<Span> spans(static_cast<std::size_t>(to));
    for (int d = 0; d < to; ++d) {
        spans[static_cast<std::size_t>(d)] = Span{d * big / to, ((d + 1) * big - 1) / to};
    }
    auto weight = [&](int d, int s) {
        const long lo = std::max(static_cast<long>(d) * big, static_cast<long>(s) * to);
        const long hi = std::min(static_cast<long>(d + 1) * big, static_cast<long>(s + 1) * to);
        return hi > lo ? hi - lo : 0L;
    };
    const std::uint64_t total = static_cast<std::uint64_t>(big) * static_cast<std::uint64_t>(big);
    for (int cy = 0; cy < down; ++cy) {
        for (int cx = 0; cx < across; ++cx) {
            for (int dy = 0; dy < to; ++dy) {
                for (int dx = 0; dx < to; ++dx) {
                    std::uint64_t sum[4] = {0, 0, 0, 0};
                    const Span sy = spans[static_cast<std::size_t>(dy)];
                    const Span sx = spans[static_cast<std::size_t>(dx)];
                    for (int y = sy.first; y <= sy.last; ++y) {
                        const long wy = weight(dy, y);
                        const std::size_t row = static_cast<std::size_t>(cy * from + y / factor);
                        for (int x = sx.first; x <= sx.last; ++x) {
                            const auto w = static_cast<std::uint64_t>(wy * weight(dx, x));
                            const std::uint32_t p =
                                pixels[row * sourceWidth +
                                       static_cast<std::size_t>(cx * from + x / factor)];
                            for (int c = 0; c < 4; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFF);
                        }
                    }
                    std::uint32_t value = 0;
                    for (int c = 0; c < 4; ++c)
                        value |= static_cast<std::uint32_t>((sum[c] + total / 2) / total)
                                 << (8 * c);
                    out[static_cast<std::size_t>(cy * to + dy) * width +
                        static_cast<std::size_t>(cx * to + dx)] = value;
                }
            }
        }
    }
    return out;
}

}  // namespace mrv
