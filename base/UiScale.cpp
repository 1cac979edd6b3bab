#include "base/UiScale.h"

namespace mrv {

int UiMetrics::*const kUiMetricsLengths[31] = {
    &UiMetrics::menuFontHeight,
    &UiMetrics::menuMargin,
    &UiMetrics::menuGutterWidth,
    &UiMetrics::menuSeparatorHeight,
    &UiMetrics::menuExtraWidth,
    &UiMetrics::menuLabelGap,
    &UiMetrics::menuCheckIconSize,
    &UiMetrics::menuCheckLeft,
    &UiMetrics::menuArrowInset,
    &UiMetrics::menuArrowHalf,
    &UiMetrics::menuSubmenuRaise,
    &UiMetrics::menuSubmenuRightInset,
    &UiMetrics::menuSubmenuLeftOverlap,
    &UiMetrics::labelFontHeight,
    &UiMetrics::sizeLabelMargin,
    &UiMetrics::messageLabelMargin,
    &UiMetrics::readoutRight,
    &UiMetrics::readoutBelow,
    &UiMetrics::readoutAbove,
    &UiMetrics::readoutBeside,
    &UiMetrics::tipOffset,
    &UiMetrics::toolIconSize,
    &UiMetrics::toolButtonPitch,
    &UiMetrics::toolPanelHeight,
    &UiMetrics::toolBoxTop,
    &UiMetrics::toolRestOffset,
    &UiMetrics::toolPressedOffset,
    &UiMetrics::toolCornerGap,
    &UiMetrics::toolCornerInset,
    &UiMetrics::shadowSize,
    &UiMetrics::moveSquareHalf,
};

UiMetrics UiMetricsFor(UiScale scale) {
    UiMetrics m;  // the 96-dpi values
    for (int UiMetrics::*field : kUiMetricsLengths) m.*field = scale.Px(m.*field);
    m.scale = scale;
    return m;
}

}  // namespace mrv
