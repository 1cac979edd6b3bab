#include "selection/Selection.h"

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

// One axis of ResizeTo. The snapped point moves toward the anchor (the
// division truncates toward zero), so it never passes the pointer.
//
//   grid 1:   anchor 10, pointer 30 -> start 10, size 21 (pointer column included)
//   grid 8:   anchor 10, pointer 30 -> snapped 26, start 10, size 16
//             anchor 10, pointer  0 -> snapped  2, start  2, size  8
void ResizeAxis(int anchor, int pointer, int grid, int& start, int& size) {
    std::int64_t p = pointer;
    if (grid != 1) p = anchor + static_cast<std::int64_t>(grid) * ((p - anchor) / grid);
    std::int64_t distance = std::llabs(anchor - p);
    start = SaturateToInt(p < anchor ? p : anchor);
    if (grid == 1) {
        size = SaturateToInt(distance + 1);
    } else {
        size = distance == 0 ? 1 : SaturateToInt(distance);
    }
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
    const std::int64_t f = *frameWidth;
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
    const std::int64_t r = *handleReach;
    return InBox(x, y, left - r, top - r, static_cast<std::int64_t>(left) + width + r,
                 static_cast<std::int64_t>(top) + height + r);
}

int Selection::Classify(int x, int y) const {
    const std::int64_t r = *handleReach;
    const std::int64_t l = left - r;
    const std::int64_t t = top - r;
    const std::int64_t rt = static_cast<std::int64_t>(left) + width + r;
    const std::int64_t bm = static_cast<std::int64_t>(top) + height + r;
    if (!InBox(x, y, l, t, rt, bm)) return MODE_NEW;

    // The half is taken downward (arithmetic shift), also for odd sizes.
    const std::int64_t cx = left + (width >> 1);
    const std::int64_t cy = top + (height >> 1);
    if (InBox(x, y, cx - kMoveSquareHalf, cy - kMoveSquareHalf, cx + kMoveSquareHalf,
              cy + kMoveSquareHalf)) {
        return MODE_MOVE;
    }

    // Each band reaches handleReach outside the selection and edgeBand into it.
    const std::int64_t b = static_cast<std::int64_t>(*edgeBand) + r;
    int bits = 0;
    if (InBox(x, y, l, t, l + b, bm)) bits |= 1;
    if (InBox(x, y, l, t, rt, t + b)) bits |= 2;
    if (InBox(x, y, rt - b, t, rt, bm)) bits |= 4;
    if (InBox(x, y, l, bm - b, rt, bm)) bits |= 8;
    return kModeByBands[bits];
}

void Selection::BeginDrag(int x, int y) {
    const int right = left + width;  // one past the last column
    const int bottom = top + height;
    switch (mode) {
        case MODE_BOTTOM_LEFT:
        case MODE_LEFT:
            anchorX = right;
            anchorY = top;
            break;
        case MODE_BOTTOM:
        case MODE_BOTTOM_RIGHT:
        case MODE_RIGHT:
            anchorX = left;
            anchorY = top;
            break;
        case MODE_TOP_LEFT:
            anchorX = right;
            anchorY = bottom;
            break;
        case MODE_TOP:
        case MODE_TOP_RIGHT:
            anchorX = left;
            anchorY = bottom;
            break;
        default:  // new selection or move: the press point
            anchorX = x;
            anchorY = y;
            break;
    }
    ClampToScreen();
}

void Selection::BeginMove(int x, int y) {
    anchorX = x - left;
    anchorY = y - top;
    ClampToScreen();
}

void Selection::ResizeTo(int x, int y, int grid) {
    if (grid < 1) grid = 1;
    if (mode != MODE_BOTTOM && mode != MODE_TOP) ResizeAxis(anchorX, x, grid, left, width);
    if (mode != MODE_LEFT && mode != MODE_RIGHT) ResizeAxis(anchorY, y, grid, top, height);
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

FrameRing Selection::FrameRingGeometry() const {
    FrameRing ring;
    ring.inner = GetRect();
    const int f = *frameWidth;
    ring.outer = ring.inner.Inflated(f, f);
    if (f <= 0) return ring;  // no ring
    const Rect& in = ring.inner;
    const Rect& out = ring.outer;
    // Top and bottom bands span the full outer width; the side bands fill the
    // inner rows between them, so the four never overlap.
    ring.bands[ring.bandCount++] = Rect{out.left, out.top, out.right, in.top};
    ring.bands[ring.bandCount++] = Rect{out.left, in.bottom, out.right, out.bottom};
    if (in.bottom > in.top) {
        ring.bands[ring.bandCount++] = Rect{out.left, in.top, in.left, in.bottom};
        ring.bands[ring.bandCount++] = Rect{in.right, in.top, out.right, in.bottom};
    }
    return ring;
}

}  // namespace mrv
