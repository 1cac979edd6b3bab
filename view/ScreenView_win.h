// The display half of the capture window: the frozen snapshot of the screen,
// the selection's drawing resources, the panes that float over the picture,
// the menu resource and the interface font; and the scene painter.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "base/Monitors.h"
#include "imaging/PixelView.h"
#include "output/OutputImage.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/CellMeasurer.h"
#include "view/Draw_win.h"
#include "view/LabelPane.h"
#include "view/LabelPane_win.h"
#include "view/MenuPane_win.h"
#include "view/MonitorDpi_win.h"
#include "view/PaneLabels.h"
#include "view/Pane_win.h"
#include "view/ToolPanel.h"
#include "view/ZoomPane.h"

namespace mrv {

// What the pointer was last over (set at a press and at every hover move).
enum PointerTarget : int {
    kTargetNothing = 0,
    kTargetSelection = 1,  // within handleReach of the selection
    kTargetToolPanel = 2,
};

class ScreenView {
public:
    ScreenView();
    ~ScreenView();
    ScreenView(const ScreenView&) = delete;
    ScreenView& operator=(const ScreenView&) = delete;

    // Set-up from the settings record, which outlives the view. 0 = the
    // display or the frame tiles could not be had; the program cannot start.
    int InitScreenView(Settings& settings, HINSTANCE instance);
    // Copies the whole virtual screen into the snapshot, with the parts on no
    // monitor black. Returns 1.
    int CaptureScreen();
    // Reads the monitors again (the display changed) and applies them.
    bool ReadMonitors();
    // A new arrangement of monitors: unless it is the one in use, the
    // snapshot is re-made at the new size with the old picture where it was
    // on the desktop, every pane is bound to the new screen, the selection
    // keeps its desktop position and is cleared when it no longer fits, and
    // the menu closes. Returns whether anything changed.
    bool ApplyMonitors(const MonitorLayout& layout);
    void PaintScreen(HDC dc) const;
    // A fresh 32-bit top-down DIB section of the screen size for the snapshot.
    bool RecreateScreenBitmap();
    void DrawScene(HDC dc);
    void ApplySettingsToView(const Settings& settings);

    // The interface scale of the monitor holding `box` (snapshot pixels).
    UiScale ScaleAt(const Rect& box) const;
    // Puts every pane and the selection's bands at `scale`: the label font,
    // the menu with its font and check mark, and the tool panel with an icon
    // strip made for it; a shown label is measured again. Nothing happens
    // when the scale is the one in use. The caller invalidates.
    // Returns whether it changed.
    bool ApplyUiScale(UiScale scale);
    // The panes follow the pointer from monitor to monitor: the scale of the
    // monitor holding (px, py), applied while the menu is hidden (an open
    // menu keeps its size). True when it changed: the caller repaints all.
    bool FollowScaleAt(int px, int py);
    UiScale CurrentUiScale() const { return uiScale_; }
    // The font and the menu are released by the capture window at shutdown.
    void ReleaseFontAndMenu();

    // The snapshot's pixels in place (32-bit BGRX, top row first).
    imaging::PixelView SnapshotPixels() const;
    HBITMAP ScreenBitmap() const { return screenBitmap_.get(); }
    HDC DisplayDC() const { return displayDC_; }
    int ScreenWidth() const { return screenWidth_; }
    int ScreenHeight() const { return screenHeight_; }
    // The monitors in snapshot coordinates and the desktop position of
    // snapshot pixel (0, 0).
    const MonitorLayout& Monitors() const { return monitors_; }
    Point Origin() const { return monitors_.origin; }
    // The labels' and tool tips' font (`uiFont`).
    HFONT UiFont() const { return uiFont_.get(); }

    // The label operations' view of the panes, and a measurer for their text.
    ViewLabels Labels();
    TextMeasurer& Measurer();

    // Cuts the selection out of the snapshot for a save. (While pinned the
    // capture window snapshots the live screen first, without its own panel.)
    bool CaptureSelection();

    // The menu's area joined with that of its open submenu.
    Rect MenuDirtyRect() { return menuPane.MenuDirtyRect(); }

    // The frame ring around the selection as a region, every side outside it
    // (the pinned window's shape; new handle, caller owns).
    HRGN BuildFrameRegion() const;

    Selection selection;
    OutputImage outputImage;  // the selection cut out for saving and copying
    ZoomPane zoomPane;
    ToolPanel toolPanel;
    LabelPane firstLabel;   // size read-out and tool-button tips
    LabelPane secondLabel;  // centred messages
    MenuPane menuPane;      // the custom popup menu built from the "popup" submenu
    HMENU menu = nullptr;   // menu resource 125: "popup", then "tasktray"

    Settings* settings = nullptr;
    int pointerTarget = kTargetNothing;
    int chosenToolButton = -1;
    int chosenMenuCommand = 0;
    bool pinnedMode = false;
    // The window region while pinned. It belongs to the system once set; the
    // view keeps the handle only to know that a region is set.
    HRGN pinnedRegion = nullptr;

private:
    HBRUSH FramePattern(int phase) const;
    // Every pane that floats over the picture (the menu without its submenus).
    std::array<Pane*, 5> Panes() {
        return {&toolPanel, &zoomPane, &firstLabel, &secondLabel, &menuPane};
    }
    // Measures in `uiFont`, on the 12-pixel cell.
    std::unique_ptr<CellMeasurer> MakeMeasurer() const;

    HINSTANCE instance_ = nullptr;
    HDC displayDC_ = nullptr;
    UniqueBitmap screenBitmap_;
    void* screenBits_ = nullptr;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    MonitorLayout monitors_;

    UniqueBitmap frameTiles_[4];
    // The tiles made for the scale in use when that is not 96 dpi.
    UniqueBitmap scaledFrameTiles_[4];
    UniqueBrush framePatterns_[4];
    // The tool strips at 1x, 1.5x and 2x (view/ToolPanel.h); toolIcons_[0]
    // is drawn as it is at 96 dpi.
    UniqueBitmap toolIcons_[3];
    // The strip made from them for the scale in use when that is not 96 dpi,
    // else null.
    UniqueBitmap scaledToolIcons_;
    UniqueFont uiFont_;
    UiScale uiScale_;

    PaneShadow zoomShadow_;
    PaneShadow toolShadow_;
    PaneShadow firstShadow_;
    PaneShadow secondShadow_;
    std::unique_ptr<CellMeasurer> measurer_;
};

}  // namespace mrv
