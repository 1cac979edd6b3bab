#include "selection/Interaction.h"

#include <cstdlib>

namespace mrv {

int PointerCode(const PointerState& state) {
    if (state.menuVisible) return kPointerMenu;
    if (state.pointerTarget == 2) return kPointerTool;
    // A pinned selection cannot be edited: everything counts as outside.
    if (state.pinnedMode) return kPointerOutside;
    return state.mode;
}

int CursorIndexFor(int code, bool zoomSnapToCorner, bool leftButtonHeld) {
    switch (code) {
        case 1:
            return zoomSnapToCorner ? 3 : 2;
        case 2:
        case 10:
            return 8;
        case 3:
        case 9:
            return 7;
        case 4:
        case 8:
            return 6;
        case 5:
        case 7:
            return 5;
        case 6:
            return leftButtonHeld ? 10 : 9;
        case 11:
            return 11;
        default:
            return 0;
    }
}

int ZoomChoice(const PointerState& state, bool dragging, bool fromKeyboard,
               bool zoomSnapToCorner, int selectionWidth, int selectionHeight) {
    if (fromKeyboard) return 1;
    if (state.menuVisible || state.pointerTarget == 2 || state.pinnedMode ||
        state.mode != MODE_MOVE)
        return 0;
    if (!zoomSnapToCorner) return dragging ? 1 : 0;
    return (selectionWidth >= 160 && selectionHeight >= 160) ? 2 : 1;
}

Point ZoomTarget(int choice, const Selection& s, int x, int y) {
    if (choice == 1) return Point{s.left, s.top};
    if (choice == 2) {
        // A pointer exactly on a centre line counts as right of or below it.
        const int cx = s.left + (s.width >> 1);
        const int cy = s.top + (s.height >> 1);
        return Point{x < cx ? s.left : s.left + s.width - 1, y < cy ? s.top : s.top + s.height - 1};
    }
    return Point{x, y};
}

bool PassedDragThreshold(int anchorX, int anchorY, int x, int y, int threshold) {
    return std::abs(anchorX - x) > threshold || std::abs(anchorY - y) > threshold;
}

}  // namespace mrv
