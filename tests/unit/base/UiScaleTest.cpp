#include "base/UiScale.h"

#include <gtest/gtest.h>

#include <climits>

namespace mrv {
namespace {

TEST(UiScale, EveryLengthScalesFromTheDefaultRecord) {
    // Every field: the default record is the 96-dpi one, and no field is left
    // unscaled at the other sizes.
    const UiMetrics defaults;
    for (const int dpi : {96, 120, 144, 192}) {
        const UiScale scale = UiScale::FromDpi(dpi);
        const UiMetrics m = UiMetricsFor(scale);
        EXPECT_EQ(m.scale.Dpi(), dpi);
        for (int UiMetrics::*field : kUiMetricsLengths) {
            ASSERT_NE(field, nullptr);
            EXPECT_EQ(m.*field, scale.Px(defaults.*field)) << dpi;
        }
    }
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(144)).menuFontHeight, 18);
}

TEST(UiScale, ToolPanelWidthForTheDefaultButtons) {
    // The default record ticks 7 buttons: 28 * 7 - 2 at 96 dpi.
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(96)).ToolPanelWidth(7), 194);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(144)).ToolPanelWidth(7), 291);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(144)).ToolPanelWidth(1), 39);
}

TEST(UiScale, RoundingIsHalfAwayFromZero) {
    const UiScale s125 = UiScale::FromDpi(120);
    EXPECT_EQ(s125.Px(2), 3);    // 2.5
    EXPECT_EQ(s125.Px(-2), -3);  // symmetric, so offsets mirror
    EXPECT_EQ(s125.Px(5), 6);    // 6.25
    EXPECT_EQ(s125.Px(0), 0);
    EXPECT_EQ(UiScale::FromDpi(168).Px(1), 2);  // 1.75
}

TEST(UiScale, SettingsValuesOfAnySizeSaturate) {
    const UiScale s200 = UiScale::FromDpi(192);
    EXPECT_EQ(s200.Px(INT_MAX), INT_MAX);
    EXPECT_EQ(s200.Px(INT_MIN), -INT_MAX);
    EXPECT_EQ(s200.Px(1000000), 2000000);
    EXPECT_EQ(UiScale::FromDpi(96).Px(INT_MIN), -INT_MAX);
}

TEST(UiScale, UnreadableOrOutlandishDpiFallsBack) {
    EXPECT_EQ(UiScale::FromDpi(0).Dpi(), 96);
    EXPECT_EQ(UiScale::FromDpi(-144).Dpi(), 96);
    EXPECT_EQ(UiScale::FromDpi(72).Dpi(), 96);  // never below the design sizes
    EXPECT_EQ(UiScale::FromDpi(100000).Dpi(), kMaxUiDpi);
    EXPECT_TRUE(UiScale().IsUnscaled());
}

}  // namespace
}  // namespace mrv
