// The scale of the program's own interface on a monitor: its DPI over 96.
//
// Every interface size is given for 96 dpi and multiplied by the scale when
// used, rounded to the nearest whole pixel (halves round away from zero), so
// at 96 dpi each size is exactly its 96-dpi value. Pictures, the selection,
// saved and copied images and the zoom pane's magnification of screen pixels
// never scale; the settings record keeps the 96-dpi values the user set.
//
//   dpi   96   120   144   168   192
//   %    100   125   150   175   200
//   4px    4     5     6     7     8
//   12px  12    15    18    21    24
//   28px  28    35    42    49    56
#pragma once

#include <cstdint>

namespace mrv {

constexpr int kBaseDpi = 96;
// DPI values outside this range are no real monitor's and fall back to the
// nearest end (a zero or negative value, an unreadable DPI, to 96).
constexpr int kMinUiDpi = 96;
constexpr int kMaxUiDpi = 960;

class UiScale {
public:
    constexpr UiScale() = default;
    // Clamped to kMinUiDpi - kMaxUiDpi; values of 0 or below mean 96.
    static constexpr UiScale FromDpi(int dpi) {
        UiScale scale;
        scale.dpi_ = dpi <= 0          ? kBaseDpi
                     : dpi < kMinUiDpi ? kMinUiDpi
                     : dpi > kMaxUiDpi ? kMaxUiDpi
                                       : dpi;
        return scale;
    }

    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsUnscaled() const { return dpi_ == kBaseDpi; }

    // A 96-dpi length in pixels at this scale, rounded half away from zero.
    // Lengths from a settings record may be anything an int holds; the
    // result saturates.
    constexpr int Px(std::int64_t length96) const {
        if (length96 == 0) return 0;
        const bool negative = length96 < 0;
        const std::int64_t magnitude = negative ? -length96 : length96;
        std::int64_t scaled = (magnitude * dpi_ + kBaseDpi / 2) / kBaseDpi;
        if (scaled > INT32_MAX) scaled = INT32_MAX;
        return static_cast<int>(negative ? -scaled : scaled);
    }

    friend constexpr bool operator==(UiScale a, UiScale b) { return a.dpi_ == b.dpi_; }
    friend constexpr bool operator!=(UiScale a, UiScale b) { return a.dpi_ != b.dpi_; }

private:
    int dpi_ = kBaseDpi;
};

// Every size of the interface at one scale. The 96-dpi values are the
// defaults of each field's comment; UiMetricsFor computes the rest.
struct UiMetrics {
    UiScale scale;

    // Popup menu (see view/MenuModel.h for the layout).
    int menuFontHeight = 12;   // the font's cell height
    int menuMargin = 4;        // frame to first row, row text to highlight
    int menuGutterWidth = 20;  // the grey check-mark column
    int menuSeparatorHeight = 8;
    int menuExtraWidth = 22;     // content width beyond the text and margins
    int menuLabelGap = 8;        // widest label to the accelerator column
    int menuCheckIconSize = 14;  // the check mark icon
    int menuCheckLeft = 4;       // icon left of the pane's x, and 1 above the row
    int menuArrowInset = 6;      // the submenu arrow's right end from the pane's right
    int menuArrowHalf = 3;       // its tallest column reaches 3 above and below
    int menuSubmenuRaise = 4;    // a submenu's top above its entry's row
    int menuSubmenuRightInset = 6;
    int menuSubmenuLeftOverlap = 2;

    // Labels: the size read-out, the tool-button tip and the messages.
    int labelFontHeight = 12;
    int sizeLabelMargin = 3;
    int messageLabelMargin = 6;
    int readoutRight = 2;   // read-out x from the selection's left edge
    int readoutBelow = 4;   // its top below the selection's bottom edge
    int readoutAbove = 26;  // its top above the selection's top edge
    int readoutBeside = 2;  // gap to the tool panel when placed beside it
    int tipOffset = 8;      // a tip's corner right of and below the pointer

    // Tool panel (see view/ToolPanel.h).
    int toolIconSize = 24;     // the icon box; the icons are drawn this size
    int toolButtonPitch = 28;  // icon box + gap
    int toolPanelHeight = 28;
    int toolBoxTop = 2;         // the icon box below the panel's top
    int toolRestOffset = 2;     // icon at rest: (bx + 2, y + 4)
    int toolPressedOffset = 3;  // pressed: (bx + 3, y + 5)
    int toolCornerGap = 6;      // panel above the selection: its bottom 6 above
    int toolCornerInset = 4;    // right corners: 4 in from the right edge

    // Panes.
    int shadowSize = 4;  // drop shadow band and its offset

    // Hit test and pointer.
    int moveSquareHalf = 6;  // the centre square that always moves

    // Tool panel width for `count` buttons: every pitch but 2 pixels of the
    // last gap (28 * count - 2 at 96 dpi).
    int ToolPanelWidth(int count) const { return toolButtonPitch * count - scale.Px(2); }
};

// Every length field of UiMetrics, each scaled alike.
extern int UiMetrics::*const kUiMetricsLengths[31];

UiMetrics UiMetricsFor(UiScale scale);

}  // namespace mrv
