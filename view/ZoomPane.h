// The magnifier: a pane showing a square of the frozen screen, 2 * radius + 1
// pixels a side, enlarged `factor` times in whole-pixel blocks, with the
// pixel under the pointer (or the selection corner being looked at) marked
// and the part of the selection's ring that falls inside the square.
//
//   pointer +                       the pane's corner sits just below and
//            \                      right of the pointer: (px + r - 3,
//             +--------------+      py + r - 3). With flipMargin = r - 4,
//             | 1-px border  |      KeepOnScreen flips it to the other side
//             |  +--------+  |      near the right or bottom edge.
//             |  |picture |  |
//             |  +--------+  |      content = factor * (2r + 1) + 2
//             +--------------+
//
// At a display scale the border and the marked pixel's box are drawn with
// lines of the scale's 1 pixel (2 at 150 % and 200 %), and the content grows
// by the extra border only: the magnification is always `factor` screen
// pixels per pixel.
//
// Painting is view/ZoomPane_win.h; this half works out every rectangle.
#pragma once

#include "base/Geometry.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/Pane.h"

namespace mrv {

// The ranges the settings dialog allows; Configure keeps to them.
constexpr int kZoomRadiusMin = 1;
constexpr int kZoomRadiusMax = 49;
constexpr int kZoomFactorMin = 1;
constexpr int kZoomFactorMax = 8;

// Everything the painter draws, in screen pixels.
struct ZoomPicture {
    Rect box;      // the pane's content box; its outermost `line` pixels are the border
    int line = 1;  // the width of the border and of the marked box's lines
    Rect source;   // the square of the screen that is magnified
    Rect picture;  // where the source is stretched to: factor * sourceSize a side
    // The 1-pixel ring around the selection's part inside the picture (the
    // rectangle whose outermost pixels are the ring); empty when the selection
    // misses the square.
    Rect selectionRing;
    // The black box around the marked pixel's block, its lines `line` wide
    // just outside the block.
    Rect markedBox;
    // For factors above 2 * line, the white middle of each side of the marked
    // box (left, top, right, bottom), leaving 2 * line black at each end.
    Rect whiteSides[4];
    int whiteSideCount = 0;
};

class ZoomPane : public Pane {
public:
    ZoomPane() = default;

    // The selection whose rectangle is shown; not owned, may be null.
    void LinkSelection(const Selection* selection) { selection_ = selection; }

    // Both radii = radius, source square 2 * radius + 1, content factor *
    // source + 2 * border a side (the border 1 pixel at 96 dpi); re-makes the shadow strips for
    // that box, then KeepOnScreen and ClampSource. Values outside 1-49 and 1-8 are brought into
    // range.
    void Configure(int radius, int factor);
    // The start-up form: flipMargin = zoomRadius - 4, then Configure.
    void ConfigureFromSettings(const Settings& settings);

    // Centres the source on (px, py) and puts the pane below and right of it
    // (flipped by KeepOnScreen near the edges). Also used with a selection
    // corner in place of the pointer.
    void FollowCursor(int px, int py);
    // Keeps the source square on the screen; near an edge the marked cell
    // moves off the centre so that it still marks the same screen pixel.
    void ClampSource();

    // The area of the source outline the view draws around the magnified
    // square in corner-snap mode, united with the previous one (only the
    // current one the first time); kept apart from the pane's own LastRect.
    [[nodiscard]] Rect SourceFrameDirtyRect();

    [[nodiscard]] ZoomPicture Picture() const;

    int Factor() const { return factor_; }
    int Radius() const { return radiusX_; }
    int SourceX() const { return sourceX_; }
    int SourceY() const { return sourceY_; }
    int SourceSize() const { return sourceWidth_; }
    int CursorCellX() const { return cursorCellX_; }
    int CursorCellY() const { return cursorCellY_; }

private:
    int factor_ = 1;
    int radiusX_ = 0;
    int radiusY_ = 0;
    int cursorCellX_ = 0;
    int cursorCellY_ = 0;
    int sourceX_ = 0;
    int sourceY_ = 0;
    int sourceWidth_ = 1;
    int sourceHeight_ = 1;
    const Selection* selection_ = nullptr;
    Rect lastSourceFrame_;
};

// The selection pixel the corner-snapping magnifier looks at: the corner in
// the quarter of the pointer, split at the selection's centre (a pointer on
// the centre line counts as right of or below it). Right and bottom corners
// are the last column and row of the selection.
Point NearestCornerPixel(const Selection& selection, int x, int y);

}  // namespace mrv
