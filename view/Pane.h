// Base of every rectangle that floats over the frozen screen: the zoom pane,
// the tool panel, the two labels and the popup menu with its submenus.
//
// A pane is not a window. The scene painter draws it into the back buffer,
// the pointer handlers hit-test it, and whatever moved is invalidated through
// its dirty rectangle. This half is pure geometry; painting lives in the
// Win32 halves (view/Pane_win.h has DrawShadow).
//
//   (x, y) +-----------------+
//          |     content     |          outer = content + 4 on both axes
//          |                 |+         when the drop shadow is on
//          +-----------------+|
//              +--------------+  <- 4-pixel shadow band, offset 4
#pragma once

#include <algorithm>
#include <vector>

#include "base/Geometry.h"
#include "base/Monitors.h"
#include "base/UiScale.h"

namespace mrv {

// Thickness of the drop shadow band, and its offset from the box's corners,
// at 96 dpi.
constexpr int kPaneShadowSize = UiMetrics{}.shadowSize;

// The two pixel strips a pane copies its shadow bands into: `bottomWidth` x 4
// for the band below the box and 4 x `rightHeight` for the band to its right.
// The Win32 half owns the bitmaps (PaneShadow); the geometry only asks for
// them to be re-made when a pane's largest shadowed box changes size.
class ShadowStrips {
public:
    virtual ~ShadowStrips() = default;
    // Re-makes the bottom strip and, if that worked, the right one. False when
    // either could not be made.
    [[nodiscard]] virtual bool Remake(int bottomWidth, int rightHeight) = 0;
    // The bands' thickness for the next Remake (the pane's scaled shadow).
    virtual void SetThickness(int thickness) { (void)thickness; }
};

class Pane {
public:
    Pane() = default;
    virtual ~Pane() = default;
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    // Binds the pane to the screen it floats over. Returns 1.
    //
    // The last rectangle is the whole screen, so the first DirtyRect repaints
    // everything once.
    virtual int Init(Size screen) {
        screen_ = screen;
        SetArea(Rect{});
        x_ = 0;
        y_ = 0;
        KeepOnScreen();
        contentWidth_ = 0;
        contentHeight_ = 0;
        UpdateOuterSize();
        KeepOnScreen();
        lastRect_ = Rect{0, 0, screen.width, screen.height};
        return 1;
    }

    // The interface scale of the monitor the pane stands on, and every size
    // at it. Panes start at 96 dpi; whoever places a pane sets its scale and
    // lays it out again when that changes (the outer size follows at once).
    UiScale Scale() const { return metrics_.scale; }
    const UiMetrics& Metrics() const { return metrics_; }
    // Returns whether the scale changed.
    bool SetScale(UiScale scale) {
        if (scale == metrics_.scale) return false;
        metrics_ = UiMetricsFor(scale);
        UpdateOuterSize();
        return true;
    }

    // The screen changed size (a monitor came or went): the pane keeps its
    // place and size, its area is the whole new screen until chosen again.
    void SetScreen(Size screen) {
        screen_ = screen;
        SetArea(Rect{});
        KeepOnScreen();
    }

    // The monitors a pane keeps to (snapshot coordinates; not owned, may be
    // null: then the whole screen is one monitor). The area stays the whole
    // screen until KeepToMonitorAt chooses one.
    void SetMonitors(const std::vector<Rect>* monitors) { monitors_ = monitors; }
    // The rectangle of the monitor holding (or nearest to) a point.
    Rect MonitorAt(int px, int py) const {
        const Rect whole{0, 0, screen_.width, screen_.height};
        return monitors_ != nullptr ? mrv::MonitorAt(*monitors_, Point{px, py}, whole) : whole;
    }
    // From now on KeepOnScreen keeps the pane on the monitor of (px, py).
    // An anchor on no monitor (in a hole of the screen) cannot be flipped
    // round onto one: the pane is then also pulled onto its monitor.
    void KeepToMonitorAt(int px, int py) {
        area_ = MonitorAt(px, py);
        pullIn_ = !area_.Contains(Point{px, py});
    }
    void SetArea(const Rect& area, bool pullIn = false) {
        area_ = area;
        pullIn_ = pullIn;
    }
    // Where the pane is kept: its monitor, or the whole screen.
    Rect Area() const {
        return area_.IsEmpty() ? Rect{0, 0, screen_.width, screen_.height} : area_;
    }

    bool IsVisible() const { return visible_; }
    // Returns whether the flag changed.
    bool SetVisible(bool visible) {
        const bool changed = visible_ != visible;
        visible_ = visible;
        return changed;
    }

    int X() const { return x_; }
    int Y() const { return y_; }
    int ContentWidth() const { return contentWidth_; }
    int ContentHeight() const { return contentHeight_; }
    int OuterWidth() const { return outerWidth_; }
    int OuterHeight() const { return outerHeight_; }
    Size ScreenSize() const { return screen_; }
    Rect ContentRect() const { return Rect::FromXYWH(x_, y_, contentWidth_, contentHeight_); }
    Rect OuterRect() const { return Rect::FromXYWH(x_, y_, outerWidth_, outerHeight_); }

    // Distance KeepOnScreen keeps from the screen edges; negative turns the
    // rule off.
    int FlipMargin() const { return flipMargin_; }
    void SetFlipMargin(int margin) { flipMargin_ = margin; }

    // Whether the drop shadow is drawn. The outer size follows the flag at
    // once, so outer = content + 4 holds exactly when a shadow is drawn.
    bool ShadowOn() const { return shadowOn_; }
    void SetShadowOn(bool on) {
        shadowOn_ = on;
        UpdateOuterSize();
    }

    // The strips this pane's shadow is drawn through; not owned, may be null
    // (then no strips can be made and the shadow stays off).
    void AttachShadowStrips(ShadowStrips* strips) { strips_ = strips; }
    ShadowStrips* AttachedShadowStrips() const { return strips_; }

    // Re-makes the strips for the largest box this pane shadows and turns the
    // shadow on exactly when both were made. Does not touch the outer size:
    // callers set the content size next, which recomputes it.
    bool RemakeShadowStrips(int bottomWidth, int rightHeight) {
        if (strips_ != nullptr) strips_->SetThickness(metrics_.shadowSize);
        shadowOn_ = strips_ != nullptr && strips_->Remake(bottomWidth, rightHeight);
        return shadowOn_;
    }
    // After a change of scale: strips of the new thickness, when the shadow
    // is on (a shadow switched off stays off).
    void RemakeShadowStripsIfOn(int bottomWidth, int rightHeight) {
        if (shadowOn_) SetShadowOn(RemakeShadowStrips(bottomWidth, rightHeight));
    }

    // Stores the position, then KeepOnScreen.
    void MoveTo(int x, int y) {
        x_ = x;
        y_ = y;
        KeepOnScreen();
    }

    // Stores the content size, derives the outer size, then KeepOnScreen.
    void SetContentSize(int width, int height) {
        contentWidth_ = width;
        contentHeight_ = height;
        UpdateOuterSize();
        KeepOnScreen();
    }

    // Callers put a pane at a distance from an anchor (usually the pointer).
    // When it would come closer than m = flipMargin to an edge of its area
    // (the monitor it keeps to; on one monitor the screen), it jumps
    // by 2m plus its outer size to the other side of the anchor:
    //
    //        anchor                        anchor
    //          +  m [pane]|    ->   [pane] m  +        |
    //                     ^ screen edge
    //
    // The four tests run in order on each other's result; a pane that fits on
    // neither side keeps the last result and may stand partly off the screen.
    // With m = 0 this only pulls a pane back over the right and bottom edges,
    // and pushes one with a negative x or y right or down by its own size.
    void KeepOnScreen() {
        const Point kept = KeptOnScreen(x_, y_);
        x_ = kept.x;
        y_ = kept.y;
    }
    // Where KeepOnScreen would put the pane if it stood at (x, y).
    Point KeptOnScreen(int x, int y) const { return KeptIn(Area(), x, y, pullIn_); }
    // The same rule against another area; with `pullIn` a pane still off the
    // area after the flips is then moved onto it (its left and top edges
    // win when it is larger).
    Point KeptIn(const Rect& area, int x, int y, bool pullIn) const {
        const int m = flipMargin_;
        if (m < 0) return Point{x, y};
        if (x < area.left + m) x = x + 2 * m + outerWidth_;
        if (y < area.top + m) y = y + 2 * m + outerHeight_;
        if (x + outerWidth_ + m > area.right) x = x - 2 * m - outerWidth_;
        if (y + outerHeight_ + m > area.bottom) y = y - 2 * m - outerHeight_;
        if (pullIn) {
            x = std::max(area.left, std::min(x, area.right - outerWidth_));
            y = std::max(area.top, std::min(y, area.bottom - outerHeight_));
        }
        return Point{x, y};
    }

    // The area to invalidate: where the pane was at the previous call united
    // with where it is now, so one invalidation repaints a pane that moved,
    // changed size, appeared or vanished. Remembers the current rectangle.
    [[nodiscard]] Rect DirtyRect() {
        const Rect current = OuterRect();
        const bool noLast = lastRect_.left == 0 && lastRect_.top == 0 && lastRect_.right == 0 &&
                            lastRect_.bottom == 0;
        // An empty operand adds nothing to the union, as with UnionRect.
        const Rect result = noLast ? current : current.Union(lastRect_);
        lastRect_ = current;
        return result;
    }
    Rect LastRect() const { return lastRect_; }

    // Both edges count, so the hit area is one pixel wider and taller than the
    // box; the shadow never counts.
    bool HitTest(int px, int py) const {
        return visible_ && x_ <= px && px <= x_ + contentWidth_ && y_ <= py &&
               py <= y_ + contentHeight_;
    }

protected:
    void UpdateOuterSize() {
        const int extra = shadowOn_ ? metrics_.shadowSize : 0;
        outerWidth_ = contentWidth_ + extra;
        outerHeight_ = contentHeight_ + extra;
    }

private:
    UiMetrics metrics_;
    bool visible_ = true;
    int x_ = 0;
    int y_ = 0;
    int contentWidth_ = 0;
    int contentHeight_ = 0;
    Size screen_;
    Rect area_;  // empty: the whole screen
    bool pullIn_ = false;
    const std::vector<Rect>* monitors_ = nullptr;
    int outerWidth_ = 0;
    int outerHeight_ = 0;
    int flipMargin_ = 0;
    Rect lastRect_;
    bool shadowOn_ = false;
    ShadowStrips* strips_ = nullptr;
};

}  // namespace mrv
