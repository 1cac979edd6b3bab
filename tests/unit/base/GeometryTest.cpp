#include "base/Geometry.h"

#include <gtest/gtest.h>

namespace mrv {

TEST(Rect, HalfOpenContainment) {
    Rect r = Rect::FromXYWH(10, 20, 3, 2);
    EXPECT_TRUE(r.Contains({10, 20}));
    EXPECT_TRUE(r.Contains({12, 21}));
    EXPECT_FALSE(r.Contains({13, 21}));  // right edge is outside
    EXPECT_FALSE(r.Contains({12, 22}));  // bottom edge is outside
    EXPECT_FALSE(r.Contains({9, 20}));
}

TEST(Rect, UnionIgnoresEmptyAndIntersectClipsToNothing) {
    Rect a{0, 0, 10, 10};
    EXPECT_EQ(a.Union(Rect{}), a);
    EXPECT_EQ(Rect{}.Union(a), a);
    EXPECT_EQ(a.Union(Rect{20, 5, 30, 6}), (Rect{0, 0, 30, 10}));
    EXPECT_TRUE(a.Intersect(Rect{10, 0, 20, 10}).IsEmpty());  // touching edges share no pixel
    EXPECT_EQ(a.Intersect(Rect{5, -5, 20, 5}), (Rect{5, 0, 10, 5}));
}

TEST(Colour, ColorrefByteOrder) {
    constexpr Colour c = MakeColour(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x00563412u);
    EXPECT_EQ(ColourR(c), 0x12);
    EXPECT_EQ(ColourG(c), 0x34);
    EXPECT_EQ(ColourB(c), 0x56);
}

}  // namespace mrv
