// The interface scale of the monitor under a rectangle of the desktop.
//
// The DPI comes from GetDpiForMonitor (shcore.dll, Windows 8.1 on), else the
// system DPI (GetDpiForSystem, Windows 10 on), else the screen DC's
// LOGPIXELSY. The functions are looked up once, from System32 only.
#pragma once

#include <windows.h>

#include "base/Geometry.h"
#include "base/UiScale.h"

namespace mrv {

// The DPI the system reports for the whole desktop (96 when none can be read).
int SystemDpi();
// The effective DPI of `monitor`, or SystemDpi() without a per-monitor DPI.
int MonitorDpi(HMONITOR monitor);

// The scale of the monitor that holds most of `desktop` (the nearest one when
// it lies on none); an empty rectangle counts as its top-left pixel.
UiScale UiScaleAt(const RECT& desktop);

}  // namespace mrv
