#include "base/MessageBoxModel.h"

#include <algorithm>

namespace mrv {
namespace {

// The labels a Japanese system puts on its own boxes.
constexpr MessageButton kOkButton{mb::kIdOk, L"OK"};
constexpr MessageButton kCancelButton{mb::kIdCancel, L"キャンセル"};
constexpr MessageButton kAbortButton{mb::kIdAbort, L"中止(&A)"};
constexpr MessageButton kRetryButton{mb::kIdRetry, L"再試行(&R)"};
constexpr MessageButton kIgnoreButton{mb::kIdIgnore, L"無視(&I)"};
constexpr MessageButton kYesButton{mb::kIdYes, L"はい(&Y)"};
constexpr MessageButton kNoButton{mb::kIdNo, L"いいえ(&N)"};
constexpr MessageButton kTryAgainButton{mb::kIdTryAgain, L"再実行(&T)"};
constexpr MessageButton kContinueButton{mb::kIdContinue, L"続行(&C)"};

}  // namespace

MessageButtons ButtonsOf(unsigned type) {
    MessageButtons b;
    switch (type & mb::kTypeMask) {
        case mb::kOkCancel:
            b.buttons = {kOkButton, kCancelButton};
            b.escapeId = mb::kIdCancel;
            break;
        case mb::kAbortRetryIgnore:
            b.buttons = {kAbortButton, kRetryButton, kIgnoreButton};
            break;
        case mb::kYesNoCancel:
            b.buttons = {kYesButton, kNoButton, kCancelButton};
            b.escapeId = mb::kIdCancel;
            break;
        case mb::kYesNo:
            b.buttons = {kYesButton, kNoButton};
            break;
        case mb::kRetryCancel:
            b.buttons = {kRetryButton, kCancelButton};
            b.escapeId = mb::kIdCancel;
            break;
        case mb::kCancelTryContinue:
            b.buttons = {kCancelButton, kTryAgainButton, kContinueButton};
            b.escapeId = mb::kIdCancel;
            break;
        default:
            // OK alone: Esc closes the box and answers OK.
            b.buttons = {kOkButton};
            b.escapeId = mb::kIdOk;
            break;
    }
    const int wanted = static_cast<int>((type & mb::kDefaultMask) >> 8);
    b.defaultIndex = wanted < static_cast<int>(b.buttons.size()) ? wanted : 0;
    return b;
}

std::vector<std::wstring_view> AllMessageButtonLabels() {
    std::vector<std::wstring_view> labels;
    for (const MessageButton& b :
         {kOkButton, kCancelButton, kAbortButton, kRetryButton, kIgnoreButton, kYesButton,
          kNoButton, kTryAgainButton, kContinueButton}) {
        labels.push_back(b.label);
    }
    return labels;
}

MessageBoxGeometry LayoutMessageBox(Size text, bool hasIcon, const std::vector<int>& buttonWidths) {
    MessageBoxGeometry g;
    const int m = kMessageMargin;
    const int textLeft = m + (hasIcon ? kMessageIconSize + m : 0);
    const int bodyHeight = std::max(text.height, hasIcon ? kMessageIconSize : 0);
    if (hasIcon) g.icon = Rect::FromXYWH(m, m, kMessageIconSize, kMessageIconSize);
    // A one-line text beside an icon stands at the icon's middle.
    const int textTop = m + (bodyHeight - text.height) / 2;
    g.text = Rect::FromXYWH(textLeft, textTop, text.width, text.height);

    int rowWidth = 0;
    for (const int w : buttonWidths)
        rowWidth += std::max(w, kMessageButtonMinWidth) + (rowWidth > 0 ? kMessageButtonGap : 0);
    const int width =
        std::max({textLeft + text.width + m, rowWidth + 2 * m, kMessageMinClientWidth});
    const int rowTop = m + bodyHeight + m;
    g.client = Size{width, rowTop + kMessageButtonHeight + m};

    // The row stands at the right, in the order given.
    int x = width - m - rowWidth;
    for (const int w : buttonWidths) {
        const int bw = std::max(w, kMessageButtonMinWidth);
        g.buttons.push_back(Rect::FromXYWH(x, rowTop, bw, kMessageButtonHeight));
        x += bw + kMessageButtonGap;
    }
    return g;
}

}  // namespace mrv
