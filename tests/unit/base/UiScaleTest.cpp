#include "base/UiScale.h"

#include <gtest/gtest.h>

#include <climits>

namespace mrv {
namespace {

// One row per size: its values at 96, 120, 144 and 192 dpi.
struct Row {
    const char* name;
    int UiMetrics::*field;
    int at[4];
};

constexpr int kDpis[4] = {96, 120, 144, 192};

const Row kTable[] = {
    {"menu font", &UiMetrics::menuFontHeight, {12, 15, 18, 24}},
    {"menu margin", &UiMetrics::menuMargin, {4, 5, 6, 8}},
    {"menu gutter", &UiMetrics::menuGutterWidth, {20, 25, 30, 40}},
    {"menu separator", &UiMetrics::menuSeparatorHeight, {8, 10, 12, 16}},
    {"menu extra width", &UiMetrics::menuExtraWidth, {22, 28, 33, 44}},
    {"menu label gap", &UiMetrics::menuLabelGap, {8, 10, 12, 16}},
    {"menu check icon", &UiMetrics::menuCheckIconSize, {14, 18, 21, 28}},
    {"menu arrow half", &UiMetrics::menuArrowHalf, {3, 4, 5, 6}},
    {"submenu raise", &UiMetrics::menuSubmenuRaise, {4, 5, 6, 8}},
    {"submenu overlap", &UiMetrics::menuSubmenuLeftOverlap, {2, 3, 3, 4}},
    {"label font", &UiMetrics::labelFontHeight, {12, 15, 18, 24}},
    {"size label margin", &UiMetrics::sizeLabelMargin, {3, 4, 5, 6}},
    {"message label margin", &UiMetrics::messageLabelMargin, {6, 8, 9, 12}},
    {"read-out right", &UiMetrics::readoutRight, {2, 3, 3, 4}},
    {"read-out below", &UiMetrics::readoutBelow, {4, 5, 6, 8}},
    {"read-out above", &UiMetrics::readoutAbove, {26, 33, 39, 52}},
    {"tip offset", &UiMetrics::tipOffset, {8, 10, 12, 16}},
    {"tool icon", &UiMetrics::toolIconSize, {24, 30, 36, 48}},
    {"tool pitch", &UiMetrics::toolButtonPitch, {28, 35, 42, 56}},
    {"tool panel height", &UiMetrics::toolPanelHeight, {28, 35, 42, 56}},
    {"tool rest offset", &UiMetrics::toolRestOffset, {2, 3, 3, 4}},
    {"tool pressed offset", &UiMetrics::toolPressedOffset, {3, 4, 5, 6}},
    {"tool corner gap", &UiMetrics::toolCornerGap, {6, 8, 9, 12}},
    {"shadow", &UiMetrics::shadowSize, {4, 5, 6, 8}},
    {"move square", &UiMetrics::moveSquareHalf, {6, 8, 9, 12}},
};

TEST(UiScale, SizesAtTheFourScales) {
    for (int column = 0; column < 4; ++column) {
        const UiMetrics m = UiMetricsFor(UiScale::FromDpi(kDpis[column]));
        EXPECT_EQ(m.scale.Dpi(), kDpis[column]);
        for (const Row& row : kTable)
            EXPECT_EQ(m.*row.field, row.at[column]) << row.name << " at " << kDpis[column];
    }
}

TEST(UiScale, NinetySixDpiIsTheDefaultRecord) {
    // Every field, also those the table leaves out: the default record is the
    // 96-dpi one, and the 96-dpi scale changes none of it.
    const UiMetrics defaults;
    const UiMetrics at96 = UiMetricsFor(UiScale::FromDpi(96));
    const UiMetrics at144 = UiMetricsFor(UiScale::FromDpi(144));
    for (int UiMetrics::*field : kUiMetricsLengths) {
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(at96.*field, defaults.*field);
        // Every field is a length: 150 % of it, rounded half up.
        EXPECT_EQ(at144.*field, (defaults.*field * 3 + 1) / 2);
    }
}

TEST(UiScale, ToolPanelWidthForTheDefaultButtons) {
    // The default record ticks 7 buttons: 28 * 7 - 2 at 96 dpi.
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(96)).ToolPanelWidth(7), 194);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(120)).ToolPanelWidth(7), 242);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(144)).ToolPanelWidth(7), 291);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(192)).ToolPanelWidth(7), 388);
    EXPECT_EQ(UiMetricsFor(UiScale::FromDpi(144)).ToolPanelWidth(1), 39);
}

TEST(UiScale, RoundingIsHalfAwayFromZero) {
    const UiScale s125 = UiScale::FromDpi(120);
    EXPECT_EQ(s125.Px(2), 3);    // 2.5
    EXPECT_EQ(s125.Px(-2), -3);  // symmetric, so offsets mirror
    EXPECT_EQ(s125.Px(6), 8);    // 7.5
    EXPECT_EQ(s125.Px(5), 6);    // 6.25
    EXPECT_EQ(s125.Px(0), 0);
    const UiScale s175 = UiScale::FromDpi(168);
    EXPECT_EQ(s175.Px(1), 2);  // 1.75
    EXPECT_EQ(s175.Px(4), 7);
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
    EXPECT_EQ(UiScale::FromDpi(72).Dpi(), 96);  // never below the Parts' sizes
    EXPECT_EQ(UiScale::FromDpi(100000).Dpi(), kMaxUiDpi);
    EXPECT_EQ(UiScale().Dpi(), 96);
    EXPECT_TRUE(UiScale().IsUnscaled());
}

}  // namespace
}  // namespace mrv
