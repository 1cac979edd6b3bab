// The rules of a message box, for the program's own box (shown where the
// system's message font has no glyphs for the text): which buttons a type
// has, which one Enter presses, what Esc answers, and where things go.
//
//     +--------------------------------------------+
//     |  margin                                    |
//     |  [icon]  text, wrapped at kMaxTextWidth    |
//     |          ...                               |
//     |                                            |
//     |             [ button ] [ button ] [button] |
//     +--------------------------------------------+
//
// Types, flags and answers are the Win32 MB_ and ID values (checked against
// <windows.h> in the Win32 half).
#pragma once

#include <string_view>
#include <vector>

#include "base/Geometry.h"

namespace mrv {

namespace mb {
inline constexpr unsigned kTypeMask = 0x0F;
inline constexpr unsigned kIconMask = 0xF0;
inline constexpr unsigned kDefaultMask = 0xF00;
inline constexpr unsigned kOk = 0, kOkCancel = 1, kAbortRetryIgnore = 2, kYesNoCancel = 3,
                          kYesNo = 4, kRetryCancel = 5, kCancelTryContinue = 6;
inline constexpr unsigned kIconHand = 0x10, kIconQuestion = 0x20, kIconExclamation = 0x30,
                          kIconAsterisk = 0x40;
inline constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5,
                     kIdYes = 6, kIdNo = 7, kIdTryAgain = 10, kIdContinue = 11;
}  // namespace mb

struct MessageButton {
    int id;
    std::wstring_view label;
};

struct MessageButtons {
    std::vector<MessageButton> buttons;  // left to right
    int defaultIndex = 0;                // pressed by Enter
    int escapeId = 0;                    // answered by Esc and the close box; 0: they do nothing
};

// The buttons of `type` (MB_ type and MB_DEFBUTTONn bits). An unknown type
// shows OK alone, as the system does.
MessageButtons ButtonsOf(unsigned type);

// Every label a box can show, for the glyph check at start.
std::vector<std::wstring_view> AllMessageButtonLabels();

inline constexpr int kMessageMargin = 12;
inline constexpr int kMessageIconSize = 32;
inline constexpr int kMessageMaxTextWidth = 480;
inline constexpr int kMessageButtonMinWidth = 75;
inline constexpr int kMessageButtonHeight = 23;
inline constexpr int kMessageButtonGap = 6;
inline constexpr int kMessageMinClientWidth = 180;

struct MessageBoxGeometry {
    Size client;
    Rect icon;  // empty without an icon
    Rect text;
    std::vector<Rect> buttons;
};

// Places the parts in the client area: `text` is the wrapped text's size,
// `buttonWidths` the widths the labels need (each at least the minimum).
MessageBoxGeometry LayoutMessageBox(Size text, bool hasIcon, const std::vector<int>& buttonWidths);

}  // namespace mrv
