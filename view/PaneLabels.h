// How the view fills its two label panes: the size read-out and tool-button
// tips in the first, the saved-file message in the second. These are the
// view's operations on the labels, kept as functions over a record of links
// so that the view (and the frame tick) can call them once it exists.
#pragma once

#include <cstdint>
#include <string_view>

#include "selection/Selection.h"
#include "view/LabelPane.h"
#include "view/ToolPanel.h"
#include "view/ZoomPane.h"

namespace mrv {

// What the label operations read and change; nothing is owned. The two
// settings links point at the record's zoomVisible and toolPanelCorner.
struct ViewLabels {
    LabelPane* first = nullptr;   // size read-out and tool-button tips
    LabelPane* second = nullptr;  // centred messages
    ZoomPane* zoom = nullptr;
    const ToolPanel* toolPanel = nullptr;
    const Selection* selection = nullptr;
    const std::int32_t* zoomVisible = nullptr;
    const std::int32_t* toolPanelCorner = nullptr;
};

// Pointer code of a pointer resting on the tool panel: the read-out is left
// alone then.
constexpr int kPointerCodeTool = 11;
// Pointer code "outside the selection, or pinned": the read-out goes away.
constexpr int kPointerCodeOutside = 1;

// Sets the text, places the label (centred on (x, y) if asked), restarts its
// timer if asked and shows it.
void ShowLabelText(LabelPane& label, TextMeasurer& measurer, int x, int y, bool centred,
                   std::wstring_view text, bool restartTimer);

// Where the size read-out of `label` (its text already set) goes for the
// selection: 2 pixels right of its left edge, 4 below it, or 26 above it when
// the tool panel stands at the bottom-left corner; moved by the label's
// KeepOnScreen. When that place covers the tool panel (`panel` may be null)
// or is not whole on the screen, the other side of the selection is tried,
// then beside the panel, right and then left of it, each as KeepOnScreen
// leaves it; failing all four, the first of them pushed onto the screen that
// is clear of the panel. Boxes are compared with their shadows.
Point SizeReadoutPosition(const LabelPane& label, const Selection& selection,
                          const ToolPanel* panel, int corner);

// After a pointer move: with the zoom view on, shows "W x H" of the selection
// at SizeReadoutPosition, or hides it for the outside code and while there
// is no selection. With the zoom view off nothing changes.
void UpdateSizeReadout(const ViewLabels& labels, TextMeasurer& measurer, int code);

// On the tool panel (show): the hovered button's label 8 pixels right of and
// below the pointer, in place of the magnifier. Off it: the label goes and
// the magnifier comes back if the zoom view is on.
void ShowToolTip(const ViewLabels& labels, TextMeasurer& measurer, bool show, int x, int y);

// The saved-file message, centred on the selection, for messageTicks ticks.
void ShowCentredMessage(const ViewLabels& labels, TextMeasurer& measurer, std::wstring_view text);

// One frame tick for both labels: each visible label counts down and hides
// when its time is up; the magnifier returns with the first label's end if
// the zoom view is on and the pointer is not on the tool panel (a tip that
// times out leaves the magnifier away until the pointer leaves the panel).
void CountDownLabels(const ViewLabels& labels);

}  // namespace mrv
