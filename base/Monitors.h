// The monitors of the desktop as the program sees them: the snapshot covers
// the virtual screen, the bounding box of every monitor, and its pixel (0, 0)
// is the virtual screen's top-left. A monitor left of or above the primary
// one has negative desktop coordinates, so the desktop and the snapshot
// differ by `origin`; only the Win32 boundary converts.
//
//   desktop  (-1280, -200)
//            +-----------+                    snapshot (0, 0)
//            |  monitor  |-----------------+
//            |   left    |    primary      |  the virtual screen 3200 x 1280
//            +-----------+    (0, 0)       |
//            |   hole    |                 |  holes: inside the box, on no
//            |  (black)  |                 |  monitor; black in the snapshot
//            +-----------+-----------------+
#pragma once

#include <vector>

#include "base/Geometry.h"

namespace mrv {

struct MonitorLayout {
    Point origin;                // desktop position of snapshot pixel (0, 0)
    Size size;                   // the virtual screen, the snapshot's size
    std::vector<Rect> monitors;  // snapshot coordinates, never empty

    // From desktop rectangles: the virtual screen and each monitor. Monitors
    // are cut to the virtual screen, empty ones dropped; with none left the
    // whole virtual screen counts as one monitor.
    static MonitorLayout FromDesktop(const Rect& virtualScreen, const std::vector<Rect>& desktop);
    static MonitorLayout Single(Size screen);

    // The monitor holding `p`; for a point on no monitor (a hole, or off the
    // virtual screen) the one nearest to it, the first of equals.
    Rect MonitorAt(Point p) const;
    // The parts of the virtual screen on no monitor, as disjoint rectangles.
    std::vector<Rect> Holes() const;

    Point ToDesktop(Point p) const { return Point{p.x + origin.x, p.y + origin.y}; }
    Point FromDesktopPoint(Point p) const { return Point{p.x - origin.x, p.y - origin.y}; }
};

// The monitor of `monitors` holding `p`, else the nearest one; `fallback`
// when the list is empty.
Rect MonitorAt(const std::vector<Rect>& monitors, Point p, const Rect& fallback);

}  // namespace mrv
