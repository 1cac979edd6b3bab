#include "base/Monitors.h"

#include <gtest/gtest.h>

#include <vector>

namespace mrv {
namespace {

// Desktop coordinates: the primary 1920 x 1080 at (0, 0), a 1280 x 1024
// monitor left of it and 200 higher, a 1600 x 1200 one above it. The
// virtual screen is (-1280, -1200) - (1920, 1080), 3200 x 2280.
MonitorLayout ThreeMonitors() {
    return MonitorLayout::FromDesktop(
        Rect{-1280, -1200, 1920, 1080},
        {Rect{0, 0, 1920, 1080}, Rect{-1280, -200, 0, 824}, Rect{0, -1200, 1600, 0}});
}

TEST(MonitorLayout, NegativeOriginsBecomeSnapshotCoordinatesAndHolesAreExactlyTheRest) {
    const MonitorLayout layout = ThreeMonitors();
    EXPECT_EQ(layout.origin, (Point{-1280, -1200}));
    EXPECT_EQ(layout.size, (Size{3200, 2280}));
    EXPECT_EQ(layout.monitors, (std::vector<Rect>{{1280, 1200, 3200, 2280},
                                                  {0, 1000, 1280, 2024},
                                                  {1280, 0, 2880, 1200}}));
    EXPECT_EQ(layout.ToDesktop({0, 0}), (Point{-1280, -1200}));
    EXPECT_EQ(layout.FromDesktopPoint({0, 0}), (Point{1280, 1200}));

    EXPECT_EQ(layout.Holes(), (std::vector<Rect>{{0, 0, 1280, 1000},
                                                 {2880, 0, 3200, 1000},
                                                 {2880, 1000, 3200, 1200},
                                                 {0, 2024, 1280, 2280}}));
    // Every pixel is on exactly one monitor or in exactly one hole.
    std::vector<int> cover(3200 * 2280 / 64, 0);
    const auto paint = [&](const Rect& r) {
        for (int y = r.top; y < r.bottom; y += 8)
            for (int x = r.left; x < r.right; x += 8) ++cover[(y / 8) * 400 + x / 8];
    };
    for (const Rect& m : layout.monitors) paint(m);
    for (const Rect& h : layout.Holes()) paint(h);
    for (int c : cover) ASSERT_EQ(c, 1);
}

TEST(MonitorLayout, OneMonitorHasNoHoleAndOverlapsCountOnce) {
    const MonitorLayout one = MonitorLayout::FromDesktop({0, 0, 1024, 768}, {{0, 0, 1024, 768}});
    EXPECT_EQ(one.monitors, (std::vector<Rect>{{0, 0, 1024, 768}}));
    EXPECT_TRUE(one.Holes().empty());
    EXPECT_EQ(one.MonitorAt({5000, -3}), (Rect{0, 0, 1024, 768}));
    // Mirrored monitors share pixels; a list the system could not give
    // leaves the whole virtual screen as one monitor.
    const MonitorLayout mirrored =
        MonitorLayout::FromDesktop({0, 0, 800, 600}, {{0, 0, 800, 600}, {0, 0, 640, 480}});
    EXPECT_TRUE(mirrored.Holes().empty());
    EXPECT_EQ(MonitorLayout::FromDesktop({-10, 0, 90, 50}, {}).monitors,
              (std::vector<Rect>{{0, 0, 100, 50}}));
}

TEST(MonitorLayout, APointInAHoleOrOffTheScreenBelongsToTheNearestMonitor) {
    const MonitorLayout layout = ThreeMonitors();
    const Rect primary{1280, 1200, 3200, 2280}, left{0, 1000, 1280, 2024},
        above{1280, 0, 2880, 1200};
    EXPECT_EQ(layout.MonitorAt({1280, 1200}), primary);  // the corner pixel
    EXPECT_EQ(layout.MonitorAt({1279, 1200}), left);
    EXPECT_EQ(layout.MonitorAt({1280, 1199}), above);
    EXPECT_EQ(layout.MonitorAt({100, 100}), left);     // 900 below, 1180 right
    EXPECT_EQ(layout.MonitorAt({3000, 500}), above);   // 121 left, 700 down
    EXPECT_EQ(layout.MonitorAt({3000, 1150}), primary);  // 50 down, 121 left
    EXPECT_EQ(layout.MonitorAt({-50, 2200}), left);
}

}  // namespace
}  // namespace mrv
