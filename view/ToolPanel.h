// The tool panel: a pane holding a row of up to 20 icon buttons at a chosen
// corner of the selection. Each button runs one command; which buttons appear
// and at which corner is set in the settings dialog. In pinned mode the panel
// is the only pane left, shows a reduced set and paints a grey background
// into the frozen picture.
//
// Every button owns a 28-pixel column: a 24 x 24 shadow box starting 2 pixels
// below the panel's top, then a 4-pixel gap, which also counts as the button.
//
//   x                                 icon positions inside a column:
//   +----+----+----+----+--           rest     (bx + 2, y + 4) normal image
//   |icon|    |icon|    |             hovered  (bx,     y + 2) highlighted
//   +----+    +----+                  pressed  (bx + 3, y + 5) highlighted
//   |<-- 28 ->|
//
// Painting is view/ToolPanel_win.h; this half places, lays out and tracks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Geometry.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/Pane.h"

namespace mrv {

// At 96 dpi; a panel uses its scale's (Metrics()), and the icon strip it is
// drawn from is made for that scale, cells of toolIconSize.
constexpr int kToolIconSize = UiMetrics{}.toolIconSize;        // one cell of the icon strip
constexpr int kToolButtonPitch = UiMetrics{}.toolButtonPitch;  // icon box + 4-pixel gap
constexpr int kToolPanelHeight = UiMetrics{}.toolPanelHeight;
// The icon strip: 720 x 48, cell i at column 24 * i, normal images in row 0
// (y 0-23), highlighted images in row 1 (y 24-47). Cells 20-29 are spare.
constexpr int kToolIconStripWidth = 720;
constexpr int kToolIconStripHeight = 48;

// The strip is also drawn at 1.5x and 2x (cells of 36 and 48, the same
// layout). An icon size is drawn from the strip of the nearest cell at least
// that size, reduced by area averaging; beyond the largest, that strip is
// first enlarged by a whole factor (every pixel a square block).
//   icon size   24   30   36   42   48   60
//   strip cell  24   36   36   48   48   48 (x2, then down)
constexpr int kToolStripCellSizes[] = {24, 36, 48};

// The index into `cellSizes` (sizes ascending) to draw icons of `iconSize`
// from; -1 when there are none.
int PickToolStrip(const int* cellSizes, int count, int iconSize);

// Resamples a top-down strip of 32-bit pixels made of square cells of `from`
// pixels (`across` x `down` cells) to cells of `to`, cell by cell so that no
// cell bleeds into its neighbour. Each channel of a result pixel is the
// area-weighted mean of the source pixels it covers, rounded; a strip made
// larger is first enlarged by the nearest whole factor, pixel for pixel.
// Equal sizes copy. Empty for sizes of 0 or below.
std::vector<std::uint32_t> ResampleIconCells(const std::uint32_t* pixels, int across, int down,
                                             int from, int to);

// Buttons with a fixed role in pinned mode.
constexpr int kToolButtonPin = 15;
constexpr int kToolButtonSettings = 17;
constexpr int kToolButtonMinimize = 18;
constexpr int kToolButtonExit = 19;

// The text shown while the pointer rests on button i (0-19), as UTF-16. The
// program's own texts are code page 932 bytes in the record; labels are kept
// as wide strings and reach Win32 through the W functions.
std::wstring_view ToolButtonLabel(int index);

// One shown button as the painter draws it.
struct ToolButtonSlot {
    int index = -1;    // button 0-19
    Rect shadowBox;    // (bx, y + 2, 24, 24): the box whose shadow is drawn
    Point iconAt;      // where the icon's top-left goes
    Point iconSource;  // the cell's top-left in the icon strip
};

class ToolPanel : public Pane {
public:
    ToolPanel();

    // Links to the selection and to the toolButtons (20 ints) and
    // toolPanelCorner fields; not owned, read at every use. Unlinked, no
    // button is ticked and the corner is "below left".
    void Link(const Selection* selection, const std::int32_t* toolButtons,
              const std::int32_t* corner);

    // Shown: (pinned and i = 18) or (ticked and (not pinned or allowed when
    // pinned)). False outside 0-19.
    bool IsButtonShown(int index) const;
    static bool AllowedWhenPinned(int index);

    // Counts the shown buttons, re-makes the shadow strips for one button and
    // sizes the panel: (28 * count - 2) x 28, plus the shadow. KeepOnScreen.
    void Layout();

    // Puts the panel at its corner of the selection, then KeepOnScreen (with
    // flipMargin 0 that only pulls it back over the right and bottom edges or
    // pushes it off a negative x or y by its own size). An unknown corner
    // value keeps the position. The painter calls this before every paint.
    void PlaceAtCorner();
    // The outer box (shadow included) PlaceAtCorner would give the panel for
    // the selection as it is now; the panel itself does not move.
    Rect CornerRect() const;

    // On the screen at all: switched on, with a button to show, and a
    // selection to stand at (while pinned it stays without one: its minimise
    // button is the way back). An absent panel is neither painted nor hit.
    bool IsPresent() const;
    bool HitTest(int px, int py) const { return IsPresent() && Pane::HitTest(px, py); }

    // The button under (px, py), also stored as the hover index; -1 for none.
    // The panel's right and bottom edges count (as in HitTest).
    int TrackHover(int px, int py);
    // The left button went down over the panel: the hovered button is pressed.
    void Press() { pressedIndex_ = hoverIndex_; }
    // The left button came up: the pressed button if the pointer is still on
    // it, else -1. Either way nothing is pressed afterwards.
    int TakeClick();

    int HoverIndex() const { return hoverIndex_; }
    int PressedIndex() const { return pressedIndex_; }
    int ShownCount() const { return shownCount_; }

    // Pinned mode changes the shown set; call Layout afterwards.
    bool IsPinned() const { return pinned_; }
    void SetPinned(bool pinned) { pinned_ = pinned; }

    // The shown buttons with their boxes and icon positions, left to right;
    // returns how many were written.
    int ButtonSlots(ToolButtonSlot (&slots)[kToolButtonCount]) const;
    // The grey box painted into the frozen picture while pinned:
    // (x, y + 2, outerWidth, outerHeight - 2).
    Rect PinnedBackground() const;

private:
    // The monitor holding the selection's pixel at the panel's corner (or
    // the nearest, with `cornerOff` set, for a corner in a hole).
    Rect CornerMonitor(bool* cornerOff) const;
    // The corner position before KeepOnScreen; false (and `at` untouched)
    // without a selection or for an unknown corner value.
    bool CornerTarget(Point* at) const;

    const Selection* selection_ = nullptr;
    const std::int32_t* toolButtons_ = nullptr;
    const std::int32_t* corner_ = nullptr;
    int shownCount_ = 0;
    int hoverIndex_ = -1;
    int pressedIndex_ = -1;
    bool pinned_ = false;
};

}  // namespace mrv
