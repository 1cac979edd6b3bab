#include "view/ZoomPane.h"

#include <algorithm>

namespace mrv {
namespace {

// One axis of ClampSource: returns the marked cell, moves `source`.
int ClampAxis(int& source, int radius, int sourceSize, int screenSize) {
    int cell = radius;
    if (source < 0) {
        cell = radius + source;
        source = 0;
    }
    const int last = screenSize - sourceSize;
    if (source > last) {
        cell = radius + source - last;
        source = last;
    }
    return cell;
}

}  // namespace

void ZoomPane::Configure(int radius, int factor) {
    radius = std::clamp(radius, kZoomRadiusMin, kZoomRadiusMax);
    factor = std::clamp(factor, kZoomFactorMin, kZoomFactorMax);
    radiusX_ = radius;
    radiusY_ = radius;
    sourceWidth_ = 2 * radius + 1;
    sourceHeight_ = sourceWidth_;
    factor_ = factor;
    const int content = factor * sourceWidth_ + 2 * Scale().Px(1);
    RemakeShadowStrips(content, content);
    SetContentSize(content, content);  // also KeepOnScreen
    ClampSource();
}

void ZoomPane::ConfigureFromSettings(const Settings& settings) {
    SetFlipMargin(settings.zoomRadius - 4);
    Configure(settings.zoomRadius, settings.zoomFactor);
}

void ZoomPane::FollowCursor(int px, int py) {
    sourceX_ = px - radiusX_;
    sourceY_ = py - radiusY_;
    // The pane stays on the anchor's monitor; its source square may lie on
    // any part of the screen.
    KeepToMonitorAt(px, py);
    MoveTo(px + radiusX_ - 3, py + radiusY_ - 3);  // also KeepOnScreen
    ClampSource();
}

void ZoomPane::ClampSource() {
    const Size screen = ScreenSize();
    cursorCellX_ = ClampAxis(sourceX_, radiusX_, sourceWidth_, screen.width);
    cursorCellY_ = ClampAxis(sourceY_, radiusY_, sourceHeight_, screen.height);
}

Rect ZoomPane::SourceFrameDirtyRect() {
    const Rect current{sourceX_ - 2, sourceY_ - 2, sourceX_ + sourceWidth_ + 2,
                       sourceY_ + sourceHeight_ + 2};
    const Rect& last = lastSourceFrame_;
    const bool noLast = last.left == 0 && last.top == 0 && last.right == 0 && last.bottom == 0;
    const Rect result = noLast ? current : current.Union(last);
    lastSourceFrame_ = current;
    return result;
}

ZoomPicture ZoomPane::Picture() const {
    ZoomPicture p;
    const int x = X();
    const int y = Y();
    const int w = ContentWidth();
    const int h = ContentHeight();
    const int b = Scale().Px(1);
    p.line = b;
    p.box = Rect::FromXYWH(x, y, w, h);
    p.source = Rect::FromXYWH(sourceX_, sourceY_, sourceWidth_, sourceHeight_);
    p.picture = Rect::FromXYWH(x + b, y + b, w - 2 * b, h - 2 * b);

    if (selection_ != nullptr) {
        // The selection in picture coordinates, cut to the picture, then one
        // pixel out: the ring lies just outside the selection's blocks.
        const Selection& s = *selection_;
        const Rect moved =
            Rect::FromXYWH(s.left, s.top, s.width, s.height).Offset(-sourceX_, -sourceY_);
        const Rect scaled{moved.left * factor_, moved.top * factor_, moved.right * factor_,
                          moved.bottom * factor_};
        const Rect inside = scaled.Intersect(Rect{0, 0, w - 2 * b, h - 2 * b});
        if (!inside.IsEmpty()) {
            // Where the selection meets the screen's edge and that edge is in
            // the picture, there is nothing beyond it to carry the ring: that
            // side lies on the selection's own outermost blocks instead.
            const Size screen = ScreenSize();
            Rect ring = inside.Offset(x + b, y + b).Inflated(1, 1);
            if (s.left <= 0 && sourceX_ <= 0) ++ring.left;
            if (s.top <= 0 && sourceY_ <= 0) ++ring.top;
            if (s.left + s.width >= screen.width && sourceX_ + sourceWidth_ >= screen.width)
                --ring.right;
            if (s.top + s.height >= screen.height && sourceY_ + sourceHeight_ >= screen.height)
                --ring.bottom;
            p.selectionRing = ring;
        }
    }

    // The marked block starts at picture + cell * factor; the box's lines
    // lie just outside it on every side.
    const int bx = x + cursorCellX_ * factor_;
    const int by = y + cursorCellY_ * factor_;
    const int side = factor_ + 2 * b;
    p.markedBox = Rect::FromXYWH(bx, by, side, side);
    if (factor_ > 2 * b) {
        // Along each side, past 2 * line black at either end, white.
        const int run = factor_ - 2 * b;
        p.whiteSides[0] = Rect::FromXYWH(bx, by + 2 * b, b, run);
        p.whiteSides[1] = Rect::FromXYWH(bx + 2 * b, by, run, b);
        p.whiteSides[2] = Rect::FromXYWH(bx + factor_ + b, by + 2 * b, b, run);
        p.whiteSides[3] = Rect::FromXYWH(bx + 2 * b, by + factor_ + b, run, b);
        p.whiteSideCount = 4;
    }
    return p;
}

Point NearestCornerPixel(const Selection& selection, int x, int y) {
    const int cx = selection.left + (selection.width >> 1);
    const int cy = selection.top + (selection.height >> 1);
    return Point{x < cx ? selection.left : selection.left + selection.width - 1,
                 y < cy ? selection.top : selection.top + selection.height - 1};
}

}  // namespace mrv
