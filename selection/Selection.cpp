#include "selection/Selection.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace mrv {
namespace {

// Links of a selection not yet bound to the capture window's record.
const Settings& DefaultSettings() {
    static const Settings defaults;
    return defaults;
}

// Half-open membership in 64-bit arithmetic: the selection's fields are also
// written directly (automatic range selection), and the reach comes from the
// settings, so the sums must not overflow whatever they hold.
bool InBox(std::int64_t x, std::int64_t y, std::int64_t l, std::int64_t t, std::int64_t r,
           std::int64_t b) {
    return x >= l && x < r && y >= t && y < b;
}

int SaturateToInt(std::int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

// Mode by band bits: left 1, top 2, right 4, bottom 8. When both bands of one
// axis are hit (a narrow or low selection) the single band of the other axis
// decides; two opposite bands alone mean move; all four mean bottom-right.
constexpr int kModeByBands[16] = {
    MODE_MOVE,          // none
    MODE_LEFT,          // left
    MODE_TOP,           // top
    MODE_TOP_LEFT,      // left + top
    MODE_RIGHT,         // right
    MODE_MOVE,          // left + right
    MODE_TOP_RIGHT,     // top + right
    MODE_TOP,           // left + top + right
    MODE_BOTTOM,        // bottom
    MODE_BOTTOM_LEFT,   // left + bottom
    MODE_MOVE,          // top + bottom
    MODE_LEFT,          // left + top + bottom
    MODE_BOTTOM_RIGHT,  // right + bottom
    MODE_BOTTOM,        // left + right + bottom
    MODE_RIGHT,         // top + right + bottom
    MODE_BOTTOM_RIGHT,  // all four
};

// One axis of ResizeTo, from the anchor's pixel to the pointer's. The snapped
// point moves toward the anchor (the division truncates toward zero), so it
// never passes the pointer.
//
//   grid 1:   anchor 10, pointer 30 -> start 10, size 21 (pointer column included)
//   grid 8:   anchor 10, pointer 30 -> snapped 26, start 10, size 16
//             anchor 10, pointer  0 -> snapped  2, start  2, size  8
//
// A left or top handle is the same drag seen in a mirror: `mirrored` turns
// the axis round, so the pointer's pixel becomes the first column and the
// anchor (the last one) stays put, by the very same rule.
void ResizeAxis(int anchor, int pointer, int grid, bool mirrored, int& start, int& size) {
    const std::int64_t sign = mirrored ? -1 : 1;
    const std::int64_t a = sign * anchor;
    std::int64_t p = sign * pointer;
    if (grid != 1) p = a + static_cast<std::int64_t>(grid) * ((p - a) / grid);
    const std::int64_t distance = std::llabs(a - p);
    const std::int64_t extent = grid == 1 ? distance + 1 : (distance == 0 ? 1 : distance);
    const std::int64_t low = p < a ? p : a;
    // Mirrored back, the run [low, low + extent) ends where it started.
    start = SaturateToInt(mirrored ? -(low + extent - 1) : low);
    size = SaturateToInt(extent);
}

bool IsLeftHandle(int mode) {
    return mode == MODE_LEFT || mode == MODE_TOP_LEFT || mode == MODE_BOTTOM_LEFT;
}
bool IsTopHandle(int mode) {
    return mode == MODE_TOP || mode == MODE_TOP_LEFT || mode == MODE_TOP_RIGHT;
}

}  // namespace

Selection::Selection() {
    BindSettings(DefaultSettings());
}

void Selection::BindSettings(const Settings& settings) {
    handleReach = &settings.handleReach;
    edgeBand = &settings.edgeBand;
    dragThreshold = &settings.dragThreshold;
    frameWidth = &settings.frameWidth;
    frameForeColor = &settings.frameForeColor;
    frameBackColor = &settings.frameBackColor;
    pinnedFrameForeColor = &settings.pinnedFrameForeColor;
    pinnedFrameBackColor = &settings.pinnedFrameBackColor;
}

void Selection::SetScreenSize(int screenWidth, int screenHeight) {
    maxWidth = screenWidth < 0 ? 0 : screenWidth;
    maxHeight = screenHeight < 0 ? 0 : screenHeight;
}

void Selection::Clear() {
    width = height = left = top = anchorX = anchorY = 0;
}

Rect Selection::GetRect() const {
    return Rect{left, top, left + width, top + height};
}

Rect Selection::FrameDirtyRect() {
    const std::int64_t f = uiScale.Px(*frameWidth);
    Rect current{SaturateToInt(left - f), SaturateToInt(top - f),
                 SaturateToInt(static_cast<std::int64_t>(left) + width + f),
                 SaturateToInt(static_cast<std::int64_t>(top) + height + f)};
    // All zeros means "no frame reported yet"; Rect::Union would treat any
    // empty rectangle that way, which is the same for a frame never empty.
    Rect result = lastFrameRect == Rect{} ? current : lastFrameRect.Union(current);
    lastFrameRect = current;
    return result;
}

bool Selection::IsNear(int x, int y) const {
    if (!HasArea()) return false;
    const std::int64_t r = uiScale.Px(*handleReach);
    return InBox(x, y, left - r, top - r, static_cast<std::int64_t>(left) + width + r,
                 static_cast<std::int64_t>(top) + height + r);
}

int Selection::Classify(int x, int y) const {
    if (!HasArea()) return MODE_NEW;
    const std::int64_t r = uiScale.Px(*handleReach);
    const std::int64_t l = left - r;
    const std::int64_t t = top - r;
    const std::int64_t rt = static_cast<std::int64_t>(left) + width + r;
    const std::int64_t bm = static_cast<std::int64_t>(top) + height + r;
    if (!InBox(x, y, l, t, rt, bm)) return MODE_NEW;

    // The half is taken downward (arithmetic shift), also for odd sizes.
    const std::int64_t cx = left + (width >> 1);
    const std::int64_t cy = top + (height >> 1);
    const std::int64_t half = uiScale.Px(kMoveSquareHalf);
    if (InBox(x, y, cx - half, cy - half, cx + half, cy + half)) {
        return MODE_MOVE;
    }

    // Each band reaches handleReach outside the selection and edgeBand into it.
    const std::int64_t b = static_cast<std::int64_t>(uiScale.Px(*edgeBand)) + r;
    int bits = 0;
    if (InBox(x, y, l, t, l + b, bm)) bits |= 1;
    if (InBox(x, y, l, t, rt, t + b)) bits |= 2;
    if (InBox(x, y, rt - b, t, rt, bm)) bits |= 4;
    if (InBox(x, y, l, bm - b, rt, bm)) bits |= 8;
    return kModeByBands[bits];
}

void Selection::BeginDrag(int x, int y) {
    // The anchor is the opposite side's own pixel: the last column or row for
    // a left or top handle, the first for a right or bottom one.
    const int lastColumn = SaturateToInt(static_cast<std::int64_t>(left) + width - 1);
    const int lastRow = SaturateToInt(static_cast<std::int64_t>(top) + height - 1);
    anchorX = IsLeftHandle(mode) ? lastColumn : left;
    anchorY = IsTopHandle(mode) ? lastRow : top;
    holdUntilMoved = mode != MODE_NEW && mode != MODE_MOVE;
    if (!holdUntilMoved) {
        // new selection or move: the press point
        anchorX = x;
        anchorY = y;
    }
    pressX = x;
    pressY = y;
    ClampToScreen();
}

void Selection::BeginMove(int x, int y) {
    anchorX = x - left;
    anchorY = y - top;
    ClampToScreen();
}

void Selection::ResizeTo(int x, int y, int grid) {
    if (holdUntilMoved) {
        if (x == pressX && y == pressY) return;
        holdUntilMoved = false;
    }
    if (grid < 1) grid = 1;
    if (mode != MODE_BOTTOM && mode != MODE_TOP)
        ResizeAxis(anchorX, x, grid, IsLeftHandle(mode), left, width);
    if (mode != MODE_LEFT && mode != MODE_RIGHT)
        ResizeAxis(anchorY, y, grid, IsTopHandle(mode), top, height);
    ClampToScreen();
}

void Selection::MoveGrabTo(int x, int y) {
    left = SaturateToInt(static_cast<std::int64_t>(x) - anchorX);
    top = SaturateToInt(static_cast<std::int64_t>(y) - anchorY);
    ClampToScreen();
}

void Selection::EndDrag(int x, int y, int grid) {
    if (mode == MODE_NEW) return;
    if (mode == MODE_MOVE) {
        MoveGrabTo(x, y);
    } else {
        ResizeTo(x, y, grid);
    }
}

void Selection::Nudge(int direction, int step) {
    switch (direction) {
        case kNudgeLeft:
            left = SaturateToInt(static_cast<std::int64_t>(left) - step);
            break;
        case kNudgeUp:
            top = SaturateToInt(static_cast<std::int64_t>(top) - step);
            break;
        case kNudgeRight:
            left = SaturateToInt(static_cast<std::int64_t>(left) + step);
            break;
        case kNudgeDown:
            top = SaturateToInt(static_cast<std::int64_t>(top) + step);
            break;
        default:
            break;
    }
    ClampToScreen();
}

void Selection::ClampToScreen() {
    if (width > maxWidth) width = maxWidth;
    if (height > maxHeight) height = maxHeight;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (left > maxWidth - width) left = maxWidth - width;
    if (top > maxHeight - height) top = maxHeight - height;
}

FrameRing Selection::FrameRingGeometry(bool insideAtEdges) const {
    FrameRing ring;
    const Rect sel = GetRect();
    const int f = uiScale.Px(*frameWidth);
    ring.inner = sel;
    ring.outer = sel.Inflated(f, f);
    if (f <= 0) return ring;  // no ring
    if (insideAtEdges) {
        // A side with no room for the whole ring outside goes inside, where it
        // takes at most the selection's own pixels.
        Rect& in = ring.inner;
        Rect& out = ring.outer;
        if (sel.left - f < 0) {
            out.left = sel.left;
            in.left = std::min(sel.left + f, sel.right);
        }
        if (sel.top - f < 0) {
            out.top = sel.top;
            in.top = std::min(sel.top + f, sel.bottom);
        }
        if (sel.right + f > maxWidth) {
            out.right = sel.right;
            in.right = std::max(sel.right - f, in.left);
        }
        if (sel.bottom + f > maxHeight) {
            out.bottom = sel.bottom;
            in.bottom = std::max(sel.bottom - f, in.top);
        }
    }
    const Rect& in = ring.inner;
    const Rect& out = ring.outer;
    // Top and bottom bands span the full outer width; the side bands fill the
    // inner rows between them, so the four never overlap.
    const Rect bands[4] = {Rect{out.left, out.top, out.right, in.top},
                           Rect{out.left, in.bottom, out.right, out.bottom},
                           Rect{out.left, in.top, in.left, in.bottom},
                           Rect{in.right, in.top, out.right, in.bottom}};
    for (const Rect& b : bands) {
        if (!b.IsEmpty()) ring.bands[ring.bandCount++] = b;
    }
    return ring;
}

}  // namespace mrv
