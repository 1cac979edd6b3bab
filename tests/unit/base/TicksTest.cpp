#include "base/Ticks.h"

#include <gtest/gtest.h>

namespace mrv {

constexpr std::uint64_t k32 = 0x100000000ull;  // where a 32-bit counter wrapped (49.7 days)

TEST(Ticks, TicksPastThirtyTwoBitsAreNeitherCutNorWrapped) {
    EXPECT_EQ(ElapsedMs(k32 + 5, k32 - 16), 21u);
    EXPECT_EQ(ElapsedMs(3 * k32 + 7, 7), 3 * k32);
    // An uptime past 49.7 days does not stop the frame tick or make it race.
    EXPECT_TRUE(FrameDue(k32 + 100, k32 - 150, 250));
    EXPECT_FALSE(FrameDue(k32 + 100, k32 - 149, 250));
    EXPECT_FALSE(FrameDue(2 * k32 + 100, k32 + 100, 0));
}

TEST(Ticks, ATickReadAfterNowIsNoTimePassed) {
    // Armed by a handler after the loop read its `now`: not expired at once.
    EXPECT_EQ(ElapsedMs(1000, 1003), 0u);
    EXPECT_FALSE(DelayExpired(1000, 1003, 300));
    EXPECT_FALSE(FrameDue(1000, 1003, 250));
}

TEST(Ticks, DelayIsStrictAndZeroDisarms) {
    EXPECT_FALSE(DelayExpired(k32 + 300, k32, 300));  // exactly the delay: not yet
    EXPECT_TRUE(DelayExpired(k32 + 301, k32, 300));
    EXPECT_FALSE(DelayExpired(1000000, 0, 0));
}

TEST(Ticks, FrameIntervalIsInclusiveAndZeroNeverTicks) {
    EXPECT_TRUE(FrameDue(250, 0, 250));
    EXPECT_FALSE(FrameDue(249, 0, 250));
    EXPECT_FALSE(FrameDue(~std::uint64_t{0}, 0, 0));
}

}  // namespace mrv
