#include "base/Monitors.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace mrv {
namespace {

// Distance from p to the nearest pixel of r along one axis.
std::int64_t AxisGap(int v, int low, int high) {
    if (v < low) return static_cast<std::int64_t>(low) - v;
    if (v >= high) return static_cast<std::int64_t>(v) - (high - 1);
    return 0;
}

}  // namespace

MonitorLayout MonitorLayout::Single(Size screen) {
    MonitorLayout layout;
    layout.size = screen;
    layout.monitors.push_back(Rect{0, 0, screen.width, screen.height});
    return layout;
}

MonitorLayout MonitorLayout::FromDesktop(const Rect& virtualScreen,
                                         const std::vector<Rect>& desktop) {
    MonitorLayout layout;
    layout.origin = Point{virtualScreen.left, virtualScreen.top};
    layout.size = Size{std::max(0, virtualScreen.Width()), std::max(0, virtualScreen.Height())};
    const Rect whole{0, 0, layout.size.width, layout.size.height};
    for (const Rect& m : desktop) {
        const Rect r = m.Offset(-layout.origin.x, -layout.origin.y).Intersect(whole);
        if (!r.IsEmpty()) layout.monitors.push_back(r);
    }
    if (layout.monitors.empty()) layout.monitors.push_back(whole);
    return layout;
}

Rect MonitorLayout::MonitorAt(Point p) const {
    return mrv::MonitorAt(monitors, p, Rect{0, 0, size.width, size.height});
}

Rect MonitorAt(const std::vector<Rect>& monitors, Point p, const Rect& fallback) {
    const Rect* best = nullptr;
    std::int64_t bestDistance = 0;
    for (const Rect& m : monitors) {
        if (m.Contains(p)) return m;
        const std::int64_t dx = AxisGap(p.x, m.left, m.right);
        const std::int64_t dy = AxisGap(p.y, m.top, m.bottom);
        const std::int64_t d = dx * dx + dy * dy;
        if (best == nullptr || d < bestDistance) {
            best = &m;
            bestDistance = d;
        }
    }
    return best != nullptr ? *best : fallback;
}

std::vector<Rect> MonitorLayout::Holes() const {
    // Bands between consecutive monitor top and bottom edges; in each band
    // the monitors crossing it cover some runs of x, and the rest is a hole.
    std::vector<int> edges{0, size.height};
    for (const Rect& m : monitors) {
        edges.push_back(m.top);
        edges.push_back(m.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<Rect> holes;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const int top = edges[i];
        const int bottom = edges[i + 1];
        if (top < 0 || bottom > size.height) continue;
        std::vector<std::pair<int, int>> runs;
        for (const Rect& m : monitors)
            if (m.top <= top && bottom <= m.bottom) runs.emplace_back(m.left, m.right);
        std::sort(runs.begin(), runs.end());
        int x = 0;
        for (const auto& run : runs) {
            if (run.first > x) holes.push_back(Rect{x, top, run.first, bottom});
            x = std::max(x, run.second);
        }
        if (x < size.width) holes.push_back(Rect{x, top, size.width, bottom});
    }
    return holes;
}

}  // namespace mrv
