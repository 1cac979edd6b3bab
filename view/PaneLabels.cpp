#include "view/PaneLabels.h"

#include <algorithm>
#include <string>

namespace mrv {
namespace {

bool ZoomViewOn(const ViewLabels& labels) {
    return labels.zoomVisible != nullptr && *labels.zoomVisible != 0;
}

bool WholeIn(const Rect& box, const Rect& area) {
    return box.left >= area.left && box.top >= area.top && box.right <= area.right &&
           box.bottom <= area.bottom;
}

// Overlapping boxes; an empty one overlaps nothing.
bool Overlap(const Rect& a, const Rect& b) {
    return !a.Intersect(b).IsEmpty();
}

}  // namespace

void ShowLabelText(LabelPane& label, TextMeasurer& measurer, int x, int y, bool centred,
                   std::wstring_view text, bool restartTimer) {
    label.SetText(text, measurer);
    label.PlaceAt(x, y, centred);
    if (restartTimer) label.RestartTimer();
    label.SetVisible(true);
}

Point SizeReadoutPosition(const LabelPane& label, const Selection& s, const ToolPanel* panel,
                          int corner) {
    const int w = label.OuterWidth();
    const int h = label.OuterHeight();
    const Rect area = label.Area();
    const bool hasPanel = panel != nullptr && panel->IsPresent();
    const Rect panelBox = hasPanel ? panel->CornerRect() : Rect{};

    const UiMetrics& m = label.Metrics();
    const int x = s.left + m.readoutRight;
    const int below = s.top + s.height + m.readoutBelow;
    const int above = s.top - m.readoutAbove;
    // Out of the tool panel's way first: above the selection when the panel
    // sits below it on the left, where the read-out would otherwise go.
    const bool aboveFirst = corner == kCornerBelowLeft;
    Point tries[4] = {{x, aboveFirst ? above : below}, {x, aboveFirst ? below : above}};
    int count = 2;
    if (hasPanel) {
        // Level with the panel's icons, just clear of it on either side.
        const int level = panelBox.top + m.toolBoxTop + m.toolRestOffset;
        tries[count++] = Point{panelBox.right + m.readoutBeside, level};
        tries[count++] = Point{panelBox.left - m.readoutBeside - w, level};
    }
    const auto clear = [&](Point at) {
        return !hasPanel || !Overlap(Rect::FromXYWH(at.x, at.y, w, h), panelBox);
    };
    for (int i = 0; i < count; ++i) {
        const Point at = label.KeptOnScreen(tries[i].x, tries[i].y);
        if (WholeIn(Rect::FromXYWH(at.x, at.y, w, h), area) && clear(at)) return at;
    }
    // Nowhere whole as it stands (a selection filling the monitor, say):
    // pushed onto the monitor, where it may lie over the selection itself.
    for (int i = 0; i < count; ++i) {
        Point at = label.KeptOnScreen(tries[i].x, tries[i].y);
        at.x = std::max(area.left, std::min(at.x, area.right - w));
        at.y = std::max(area.top, std::min(at.y, area.bottom - h));
        if (clear(at)) return at;
    }
    return label.KeptOnScreen(tries[0].x, tries[0].y);
}

void UpdateSizeReadout(const ViewLabels& labels, TextMeasurer& measurer, int code) {
    if (labels.first == nullptr || labels.selection == nullptr) return;
    if (!ZoomViewOn(labels) || code == kPointerCodeTool) return;
    const Selection& s = *labels.selection;
    LabelPane& label = *labels.first;
    if (code == kPointerCodeOutside || !s.HasArea()) {
        label.SetVisible(false);
        return;
    }
    label.SetText(std::to_wstring(s.width) + L" x " + std::to_wstring(s.height), measurer);
    const int corner = labels.toolPanelCorner != nullptr ? *labels.toolPanelCorner : 0;
    const Point at = SizeReadoutPosition(label, s, labels.toolPanel, corner);
    label.PlaceAt(at.x, at.y, false);
    label.RestartTimer();
    label.SetVisible(true);
}

void ShowToolTip(const ViewLabels& labels, TextMeasurer& measurer, bool show, int x, int y) {
    if (labels.first == nullptr) return;
    LabelPane& label = *labels.first;
    if (!show) {
        label.SetVisible(false);
        if (ZoomViewOn(labels) && labels.zoom != nullptr) labels.zoom->SetVisible(true);
        return;
    }
    if (labels.toolPanel == nullptr) return;
    const int hover = labels.toolPanel->HoverIndex();
    if (hover < 0) return;
    label.SetText(ToolButtonLabel(hover), measurer);
    label.KeepToMonitorAt(x, y);
    label.MoveTo(x + label.Metrics().tipOffset, y + label.Metrics().tipOffset);
    label.RestartTimer();
    label.SetVisible(true);
    if (labels.zoom != nullptr) labels.zoom->SetVisible(false);
}

void ShowCentredMessage(const ViewLabels& labels, TextMeasurer& measurer, std::wstring_view text) {
    if (labels.second == nullptr || labels.selection == nullptr) return;
    LabelPane& label = *labels.second;
    label.SetText(text, measurer);
    const Selection& s = *labels.selection;
    const int cx = (s.left + (s.left + s.width)) >> 1;
    const int cy = (s.top + (s.top + s.height)) >> 1;
    label.PlaceAt(cx, cy, true);
    label.StartDisplay();
}

void CountDownLabels(const ViewLabels& labels) {
    const bool onPanel = labels.toolPanel != nullptr && labels.toolPanel->HoverIndex() >= 0;
    if (labels.first != nullptr && labels.first->CountDown() && ZoomViewOn(labels) && !onPanel &&
        labels.zoom != nullptr) {
        labels.zoom->SetVisible(true);
    }
    if (labels.second != nullptr) labels.second->CountDown();
}

}  // namespace mrv
