// The pointer rules of the capture window that need no window: which pointer
// code an event has, which cursor that code shows, what the zoom pane
// magnifies, and whether a press outside the selection has become a drag.
#pragma once

#include "base/Geometry.h"
#include "selection/Selection.h"

namespace mrv {

// Pointer codes: 0 the menu is open, 1-10 the selection's drag modes (1 =
// outside, also everything while pinned), 11 the tool panel.
constexpr int kPointerMenu = 0;
constexpr int kPointerOutside = 1;
constexpr int kPointerTool = 11;

struct PointerState {
    bool menuVisible = false;
    int pointerTarget = 0;  // 0 nothing, 1 near the selection, 2 the tool panel
    bool pinnedMode = false;
    int mode = MODE_NEW;
};

int PointerCode(const PointerState& state);

// Index into the cursor table for a pointer code.
//   0 arrow, 2 crosshair (115), 3 small plus (128), 5 horizontal (108),
//   6 NW-SE (107), 7 vertical (106), 8 NE-SW (105), 9 open hand (102),
//   10 closed hand (103), 11 pointing hand (110).
int CursorIndexFor(int code, bool zoomSnapToCorner, bool leftButtonHeld);

// What the zoom pane follows after an event: 0 the pointer, 1 the selection's
// top-left pixel, 2 the selection's corner pixel nearest the pointer.
int ZoomChoice(const PointerState& state, bool dragging, bool fromKeyboard,
               bool zoomSnapToCorner, int selectionWidth, int selectionHeight);

// The pixel the zoom pane is centred on for a choice.
Point ZoomTarget(int choice, const Selection& selection, int x, int y);

// A press outside the selection turns into a new selection once the pointer
// has travelled more than `threshold` pixels from the press on either axis.
bool PassedDragThreshold(int anchorX, int anchorY, int x, int y, int threshold);

}  // namespace mrv
