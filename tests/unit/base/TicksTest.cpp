#include "base/Ticks.h"

#include <gtest/gtest.h>

namespace mrv {

TEST(Ticks, ElapsedSurvivesCounterWrap) {
    EXPECT_EQ(ElapsedMs(5u, 0xFFFFFFF0u), 21u);
    EXPECT_EQ(ElapsedMs(1000u, 750u), 250u);
    // A wrap between two ticks does not stop the frame tick.
    EXPECT_TRUE(FrameDue(100u, 0xFFFFFF00u, 250u));
    EXPECT_FALSE(FrameDue(100u, 0xFFFFFFF0u, 250u));
}

TEST(Ticks, DelayIsStrictAndZeroDisarms) {
    EXPECT_FALSE(DelayExpired(300u, 0u, 300u));  // exactly the delay: not yet
    EXPECT_TRUE(DelayExpired(301u, 0u, 300u));
    EXPECT_FALSE(DelayExpired(1000000u, 0u, 0u));
    EXPECT_TRUE(DelayExpired(10u, 0xFFFFFF00u, 200u));
}

TEST(Ticks, FrameIntervalIsInclusiveAndZeroNeverTicks) {
    EXPECT_TRUE(FrameDue(250u, 0u, 250u));
    EXPECT_FALSE(FrameDue(249u, 0u, 250u));
    EXPECT_FALSE(FrameDue(0xFFFFFFFFu, 0u, 0u));
}

}  // namespace mrv
