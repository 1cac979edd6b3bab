#include "view/PaneLabels.h"

#include <string>

namespace mrv {
namespace {

bool ZoomViewOn(const ViewLabels& labels) {
    return labels.zoomVisible != nullptr && *labels.zoomVisible != 0;
}

}  // namespace

void ShowLabelText(LabelPane& label, TextMeasurer& measurer, int x, int y, bool centred,
                   std::wstring_view text, bool restartTimer) {
    label.SetText(text, measurer);
    label.PlaceAt(x, y, centred);
    if (restartTimer) label.RestartTimer();
    label.SetVisible(true);
}

void UpdateSizeReadout(const ViewLabels& labels, TextMeasurer& measurer, int code) {
    if (labels.first == nullptr || labels.selection == nullptr) return;
    if (!ZoomViewOn(labels) || code == kPointerCodeTool) return;
    if (code == kPointerCodeOutside) {
        labels.first->SetVisible(false);
        return;
    }
    const Selection& s = *labels.selection;
    const std::wstring text = std::to_wstring(s.width) + L" x " + std::to_wstring(s.height);
    const int corner = labels.toolPanelCorner != nullptr ? *labels.toolPanelCorner : 0;
    // Out of the tool panel's way: above the selection when the panel sits
    // below it on the left, where the read-out would otherwise go.
    const int y = corner == kCornerBelowLeft ? s.top - 26 : s.top + s.height + 4;
    ShowLabelText(*labels.first, measurer, s.left + 2, y, false, text, true);
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
    label.MoveTo(x + 8, y + 8);
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
    if (labels.first != nullptr && labels.first->CountDown() && ZoomViewOn(labels) &&
        labels.zoom != nullptr) {
        labels.zoom->SetVisible(true);
    }
    if (labels.second != nullptr) labels.second->CountDown();
}

}  // namespace mrv
