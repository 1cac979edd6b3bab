// The selection rectangle of the frozen screen image and the pure geometry on
// it: handle classification, drags from an anchor with optional grid snapping,
// moves, nudges, clamping to the screen, the frame's dirty rectangle and the
// shape of the frame ring. It draws nothing and receives no messages; the
// pointer and key handlers feed it, the view paints it.
//
// Coordinates are pixels of the primary screen (the capture window covers it
// at (0, 0), so client and screen coordinates coincide). The selection covers
// columns left .. left + width - 1 and rows top .. top + height - 1; a width
// or height of 0 means there is no selection: nothing is near it, and every
// press starts a new one.
#pragma once

#include "base/Geometry.h"
#include "base/UiScale.h"
#include "settings/Settings.h"

namespace mrv {

// Drag modes: a numeric keypad plus one, so the handles sit where the keys do.
//
//      8 ---- 9 ---- 10        keypad 7 8 9
//      |             |                4 5 6
//      5      6      7                1 2 3
//      |             |
//      2 ---- 3 ---- 4
//
// 1 is "nothing hit" (a new selection starts), 6 is the interior (move).
enum DragMode : int {
    MODE_NEW = 1,
    MODE_BOTTOM_LEFT = 2,
    MODE_BOTTOM = 3,
    MODE_BOTTOM_RIGHT = 4,
    MODE_LEFT = 5,
    MODE_MOVE = 6,
    MODE_RIGHT = 7,
    MODE_TOP_LEFT = 8,
    MODE_TOP = 9,
    MODE_TOP_RIGHT = 10,
};

// Nudge directions.
enum NudgeDirection : int {
    kNudgeLeft = 0,
    kNudgeUp = 1,
    kNudgeRight = 2,
    kNudgeDown = 3,
};

// Half the side of the square around the centre that always means "move", so
// a selection too small for its bands can still be dragged (at 96 dpi).
constexpr int kMoveSquareHalf = UiMetrics{}.moveSquareHalf;

// The frame ring: `outer` minus `inner`, also given as up to four disjoint
// bands (top, bottom, left, right) that together cover exactly the ring, for
// callers that build a region or paint band by band.
//
//   outer +------------------------+
//         |         top            |
//         +----+-------------+-----+
//         |left|    inner    |right|
//         +----+-------------+-----+
//         |        bottom          |
//         +------------------------+
//
// Normally outer is the selection grown by the frame width and inner is the
// selection. A side with less room than that between the selection and the
// screen's edge moves just inside the selection instead (outer keeps the
// selection's edge there and inner shrinks), so a selection on an edge, or
// one covering the whole screen, still shows its ring.
struct FrameRing {
    Rect outer;
    Rect inner;
    Rect bands[4];
    int bandCount = 0;
};

struct Selection {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int anchorX = 0;  // meaning depends on mode: see BeginDrag / BeginMove
    int anchorY = 0;
    int maxWidth = 0;  // the screen size, set once when the view is set up
    int maxHeight = 0;

    // Links to the settings, read at every use. Until BindSettings they point
    // at a record holding the defaults, so an unbound selection still works.
    const std::int32_t* handleReach;
    const std::int32_t* edgeBand;
    const std::int32_t* dragThreshold;

    // The interface scale where the selection is handled: handleReach,
    // edgeBand, the move square and the ring's frameWidth are 96-dpi lengths
    // applied at it (the selection's own pixels never scale).
    UiScale uiScale;

    int mode = MODE_NEW;

    // Where the current handle drag was pressed. Until the pointer is
    // somewhere else, the drag reshapes nothing: a click on a handle leaves
    // the selection as it was.
    int pressX = 0;
    int pressY = 0;
    bool holdUntilMoved = false;

    // 0-3: which of the four frame patterns the ring is drawn with (advanced by
    // the frame tick). The pattern bitmaps, brushes and the ring's region
    // handle are GDI objects and belong to the Win32 half of the view.
    int patternPhase = 0;

    const std::int32_t* frameWidth;
    const Colour* frameForeColor;
    const Colour* frameBackColor;
    const Colour* pinnedFrameForeColor;
    const Colour* pinnedFrameBackColor;

    // The frame rectangle reported by the previous FrameDirtyRect (all zeros
    // before the first call). There is one selection per program, so this is
    // the program's one last-frame rectangle.
    Rect lastFrameRect;

    Selection();

    // Points every link at the fields of `settings`, which must outlive the
    // selection (the capture window owns both).
    void BindSettings(const Settings& settings);
    void SetScreenSize(int screenWidth, int screenHeight);

    // Empties the selection at (0, 0); mode is kept.
    void Clear();
    // A width and a height above 0.
    bool HasArea() const { return width > 0 && height > 0; }
    // (left, top, left + width, top + height), right and bottom exclusive.
    Rect GetRect() const;
    // The area to invalidate after a change: last frame rectangle united with
    // the current one; remembers the current one.
    Rect FrameDirtyRect();
    // In the selection grown by handleReach on every side; never without a
    // selection.
    bool IsNear(int x, int y) const;
    // Drag mode 1-10 of a press at (x, y); MODE_NEW without a selection.
    int Classify(int x, int y) const;

    // Anchor for a drag in the current mode: the pixel on the side or corner
    // opposite the handle (last column or row for a left or top handle,
    // first for a right or bottom one), or the press point for a new
    // selection; then ClampToScreen.
    void BeginDrag(int x, int y);
    // Anchor = grab offset of (x, y) inside the selection, then ClampToScreen.
    void BeginMove(int x, int y);
    // Reshapes from the anchor to the pointer along the axes the mode changes:
    // the pointer's pixel becomes the dragged side's outermost pixel (first
    // column or row for a left or top handle, last for a right or bottom
    // one), the anchor's side stays. grid 1 = no snapping; otherwise the size
    // is a whole multiple of grid, measured from the anchor's side, and the
    // snapped side lies between the anchor and the pointer. A grid below 1
    // counts as 1. Nothing changes while a handle drag is still at its press
    // point.
    void ResizeTo(int x, int y, int grid);
    void MoveGrabTo(int x, int y);
    // The last update at button release.
    void EndDrag(int x, int y, int grid);
    // Moves by `step` in `direction` (NudgeDirection); the size never changes.
    void Nudge(int direction, int step);
    // Size limited to the screen first, then the position shifted onto it.
    void ClampToScreen();

    // The frame ring frameWidth pixels thick around the selection: outside
    // it, except that with `insideAtEdges` a side without that much room
    // before the screen's edge lies just inside it. The pinned window's
    // region keeps every side outside: live captures must never hold it.
    FrameRing FrameRingGeometry(bool insideAtEdges = true) const;
};

}  // namespace mrv
