// The capture window's pointer and key handlers: every event goes to the
// popup menu when it is open, then to the tool panel when the pointer is over
// it, and only then to the selection. While the menu is open it has the
// keyboard to itself, and a press beside it only closes it.
#include "capture/CaptureWindow.h"
#include "resources/resource.h"
#include "selection/AutoSelect.h"
#include "selection/Interaction.h"

namespace mrv {
namespace {

int GridFor(const Settings& settings) {
    return IsShiftDown() ? settings.gridSize : 1;
}

// What a press or a hover at (x, y) is over.
int TargetAt(const ScreenView& view, int x, int y) {
    if (view.toolPanel.HitTest(x, y)) return kTargetToolPanel;
    if (!view.pinnedMode && view.selection.IsNear(x, y)) return kTargetSelection;
    return kTargetNothing;
}

PointerState StateOf(const ScreenView& view) {
    PointerState state;
    state.menuVisible = view.menuPane.IsVisible();
    state.pointerTarget = view.pointerTarget;
    state.pinnedMode = view.pinnedMode;
    state.mode = view.selection.mode;
    return state;
}

}  // namespace

int CaptureWindow::PointerCode() const {
    return mrv::PointerCode(StateOf(view));
}

void CaptureWindow::SetPointerCursor(int code) {
    const int index = CursorIndexFor(code, settings.zoomSnapToCorner != 0, leftButtonHeld != 0);
    SetCursor(cursorTable[index]);
}

void CaptureWindow::TrackZoomPane(int px, int py, bool dragging, bool fromKeyboard) {
    const Selection& s = view.selection;
    const int choice = ZoomChoice(StateOf(view), dragging, fromKeyboard,
                                  settings.zoomSnapToCorner != 0, s.width, s.height);
    const Point target = ZoomTarget(choice, s, px, py);
    view.zoomPane.FollowCursor(target.x, target.y);
}

void CaptureWindow::InvalidateOverlays() {
    Invalidate(view.selection.FrameDirtyRect());
    Invalidate(view.zoomPane.DirtyRect());
    Invalidate(view.secondLabel.DirtyRect());
    Invalidate(view.toolPanel.DirtyRect());
    Invalidate(view.zoomPane.SourceFrameDirtyRect());
    Invalidate(view.firstLabel.DirtyRect());
    Invalidate(view.MenuDirtyRect());
}

void CaptureWindow::OnLButtonDown(int px, int py) {
    leftButtonHeld = 1;
    SetCapture(window);
    swallowClick_ = false;  // in case the release of the last one never came
    menuClosedByPress_ = false;
    if (view.menuPane.IsVisible()) {
        if (!view.menuPane.Covers(px, py)) {
            view.menuPane.Dismiss();
            swallowClick_ = true;
            menuClosedByPress_ = true;
        }
    } else {
        Selection& s = view.selection;
        view.pointerTarget = TargetAt(view, px, py);

        if (view.pointerTarget == kTargetToolPanel) {
            view.toolPanel.Press();
        } else if (!view.pinnedMode) {
            s.mode = s.Classify(px, py);
            if (s.mode == MODE_MOVE)
                s.BeginMove(px, py);
            else
                s.BeginDrag(px, py);  // for a new selection: the press point is the anchor
        }
    }
    SetPointerCursor(PointerCode());
    InvalidateOverlays();
}

void CaptureWindow::OnMouseMove(int px, int py) {
    Selection& s = view.selection;
    // The panes take the scale of the pointer's monitor, and the labels stay
    // on it.
    if (view.FollowScaleAt(px, py)) {
        LoadCursors(view.CurrentUiScale());
        InvalidateRect(window, nullptr, FALSE);
    }
    view.firstLabel.KeepToMonitorAt(px, py);
    view.secondLabel.KeepToMonitorAt(px, py);
    if (leftButtonHeld) {
        if (swallowClick_) {
            // the press closed the menu; nothing follows the pointer
        } else if (view.menuPane.IsVisible()) {
            view.menuPane.OnPointerMove(px, py);
        } else if (view.pointerTarget == kTargetToolPanel) {
            // A press on one button and a release on another runs nothing.
            view.toolPanel.TrackHover(px, py);
            TrackZoomPane(px, py, true, false);
        } else if (view.pinnedMode) {
            TrackZoomPane(px, py, true, false);
        } else {
            if (s.mode == MODE_NEW) {
                // Only the mode changes on this move; from the next event on
                // the corner follows the pointer, so a new selection can be
                // drawn in any direction from the press point.
                if (PassedDragThreshold(s.anchorX, s.anchorY, px, py,
                                        s.uiScale.Px(settings.dragThreshold)))
                    s.mode = MODE_BOTTOM_RIGHT;
            } else if (s.mode == MODE_MOVE) {
                s.MoveGrabTo(px, py);
            } else {
                s.ResizeTo(px, py, GridFor(settings));
            }
            TrackZoomPane(px, py, true, false);
        }
    } else {
        if (pinned) SetCapture(window);
        if (view.menuPane.IsVisible()) {
            view.menuPane.OnPointerMove(px, py);
        } else {
            view.pointerTarget = TargetAt(view, px, py);
            view.toolPanel.TrackHover(px, py);
            if (view.pointerTarget == kTargetToolPanel) {
                ShowToolTip(view.Labels(), view.Measurer(), true, px, py);
            } else {
                s.mode = s.Classify(px, py);
                ShowToolTip(view.Labels(), view.Measurer(), false, px, py);
            }
            TrackZoomPane(px, py, false, false);
        }
    }

    const int code = PointerCode();
    SetPointerCursor(code);
    if (code != kPointerTool) {
        if (pinned) ReleaseCapture();
        UpdateSizeReadout(view.Labels(), view.Measurer(), code);
    }
    InvalidateOverlays();
}

void CaptureWindow::OnLButtonUp(int px, int py) {
    leftButtonHeld = 0;
    ReleaseCapture();
    if (swallowClick_) {
        swallowClick_ = false;
        SetPointerCursor(PointerCode());
        InvalidateOverlays();
        return;
    }
    const int code = PointerCode();

    if (view.menuPane.IsVisible()) {
        view.menuPane.OnPointerRelease(px, py);
        view.chosenMenuCommand = view.menuPane.HoveredId();
        if (view.chosenMenuCommand == 0 && view.menuPane.OpenSubmenu() != nullptr)
            view.chosenMenuCommand = view.menuPane.OpenSubmenu()->ChosenCommand();
    } else if (view.pointerTarget == kTargetToolPanel) {
        view.chosenToolButton = view.toolPanel.TakeClick();
    } else if (!view.pinnedMode) {
        // The Shift state at the release decides the final snapping.
        view.selection.EndDrag(px, py, GridFor(settings));
    }

    if (code == kPointerMenu) {
        const int command = view.chosenMenuCommand;
        view.chosenMenuCommand = 0;
        RunMenuCommand(command);
    } else if (code == kPointerOutside) {
        // A click outside that never became a drag, or any release while
        // pinned: ask for a minimise, late enough for a double-click to
        // cancel it.
        if (settings.autoSelectOnDoubleClick)
            ArmDelayedCallback(300);
        else
            PostMessageW(window, WM_KILLFOCUS, 0, 0);
        return;
    } else if (code == kPointerTool) {
        const int button = view.chosenToolButton;
        view.chosenToolButton = -1;
        if (button >= 0 && button < kToolButtonCount) RunToolButton(button);
    }
    SetPointerCursor(PointerCode());
    InvalidateOverlays();
}

void CaptureWindow::OnLButtonDblClk(int px, int py) {
    if (menuClosedByPress_) {
        // The second press of a click that closed the menu.
        menuClosedByPress_ = false;
        swallowClick_ = true;
        return;
    }
    if (view.menuPane.IsVisible() || view.pointerTarget == kTargetToolPanel) return;
    if (!view.pinnedMode && view.selection.mode != MODE_NEW) return;
    minimizeCancelled = 1;
    (void)AutoSelect(view.SnapshotPixels(), px, py, view.selection);
    SetPointerCursor(PointerCode());
    InvalidateOverlays();
}

void CaptureWindow::OnRButtonDown(int px, int py) {
    // A right press beside the open menu closes it; its release opens the
    // menu again there.
    if (view.pinnedMode || !view.menuPane.IsVisible() || view.menuPane.Covers(px, py)) return;
    view.menuPane.Dismiss();
    InvalidateOverlays();
}

void CaptureWindow::OnRButtonUp(int px, int py) {
    if (view.pinnedMode) {
        // The custom menu cannot show through the pinned window's region.
        HMENU popup = view.menu ? GetSubMenu(view.menu, 0) : nullptr;
        if (popup) {
            POINT p{px, py};
            ClientToScreen(window, &p);
            TrackPopupMenu(popup, TPM_RIGHTBUTTON, p.x, p.y, 0, window, nullptr);
        }
    } else if (view.menuPane.IsVisible()) {
        // A right release on the open menu works like a left one. The menu
        // hands the release to its open submenu first by itself; a second
        // release there would find the submenu closed and forget its item.
        MenuModel& m = view.menuPane;
        m.OnPointerRelease(px, py);
        view.chosenMenuCommand = m.HoveredId();
        if (view.chosenMenuCommand == 0 && m.OpenSubmenu() != nullptr)
            view.chosenMenuCommand = m.OpenSubmenu()->ChosenCommand();
    } else {
        // Painted at once, not at the next frame tick.
        if (view.FollowScaleAt(px, py)) {
            LoadCursors(view.CurrentUiScale());
            InvalidateRect(window, nullptr, FALSE);
        }
        view.menuPane.Popup(px, py);
        SetPointerCursor(PointerCode());
        InvalidateOverlays();
        return;
    }
    const int command = view.chosenMenuCommand;
    view.chosenMenuCommand = 0;
    RunMenuCommand(command);
    InvalidateOverlays();
}

void CaptureWindow::RunMenuCommand(int command) {
    if (LOWORD(command) == 0) return;
    OnCommand(static_cast<WPARAM>(command));
    FollowCursorToPointer();
    // A command that cleared the selection takes its read-out along.
    if (!view.selection.HasArea()) view.firstLabel.SetVisible(false);
}

bool CaptureWindow::KeysBypassAccelerators() {
    return view.menuPane.IsVisible();
}

void CaptureWindow::OnMenuKey(WPARAM key) {
    MenuKey menuKey;
    switch (key) {
        case VK_UP:
            menuKey = MenuKey::kUp;
            break;
        case VK_DOWN:
            menuKey = MenuKey::kDown;
            break;
        case VK_LEFT:
            menuKey = MenuKey::kLeft;
            break;
        case VK_RIGHT:
            menuKey = MenuKey::kRight;
            break;
        case VK_RETURN:
            menuKey = MenuKey::kEnter;
            break;
        case VK_ESCAPE:
            menuKey = MenuKey::kEscape;
            break;
        default:
            return;  // every other key is the menu's too, and does nothing
    }
    const int command = view.menuPane.OnKey(menuKey);
    InvalidateOverlays();
    RunMenuCommand(command);
    if (!view.menuPane.IsVisible()) SetPointerCursor(PointerCode());
}

void CaptureWindow::OnKeyDown(WPARAM key) {
    if (view.menuPane.IsVisible()) {
        OnMenuKey(key);
        return;
    }
    Selection& s = view.selection;
    const int step = IsShiftDown() ? settings.gridSize : 1;
    switch (key) {
        case VK_LEFT:
            s.left -= step;
            s.ClampToScreen();
            break;
        case VK_UP:
            s.Nudge(kNudgeUp, step);
            break;
        case VK_RIGHT:
            s.left += step;
            s.ClampToScreen();
            break;
        case VK_DOWN:
            s.Nudge(kNudgeDown, step);
            break;
        case VK_SPACE:
            ToggleZoom();
            RefreshMenuChecks();  // the menu's zoom mark follows, as after the command
            InvalidateOverlays();
            return;
        default:
            return;
    }
    TrackZoomPane(0, 0, false, true);
    InvalidateOverlays();
}

}  // namespace mrv
