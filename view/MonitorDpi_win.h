// The interface scale of the monitor under a point or a rectangle of the
// snapshot.
//
// Inside the program a position is a snapshot pixel; the snapshot's (0, 0)
// stands at `origin` on the desktop (the top-left of what was captured, which
// may lie at negative desktop coordinates). The conversion happens here and
// nowhere else in the view.
//
// The DPI comes from GetDpiForMonitor (shcore.dll, Windows 8.1 on), else the
// system DPI (GetDpiForSystem, Windows 10 on), else the screen DC's
// LOGPIXELSY. The functions are looked up once, from System32 only.
#pragma once

#include <windows.h>

#include "base/Geometry.h"
#include "base/UiScale.h"

namespace mrv {

inline RECT DesktopFromSnapshot(const Rect& r, Point origin) {
    return RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

// The DPI the system reports for the whole desktop (96 when none can be read).
int SystemDpi();
// The effective DPI of `monitor`, or SystemDpi() without a per-monitor DPI.
int MonitorDpi(HMONITOR monitor);

// The scale of the monitor that holds most of `r` (the nearest one when `r`
// lies on none); an empty rectangle counts as its top-left pixel.
UiScale UiScaleAt(const Rect& r, Point origin);

}  // namespace mrv
