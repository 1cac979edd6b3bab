#include "view/LabelPane.h"

#include <algorithm>

namespace mrv {

std::vector<std::wstring_view> SplitLabelLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t feed = text.find(L'\n', start);
        if (feed == std::wstring_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        std::size_t end = feed;
        if (end > start && text[end - 1] == L'\r') --end;
        lines.push_back(text.substr(start, end - start));
        start = feed + 1;
    }
}

std::wstring_view CutLabelText(std::wstring_view text) {
    if (text.size() <= kLabelTextCapacity) return text;
    std::size_t n = kLabelTextCapacity;
    // A high surrogate whose partner would be cut off goes too.
    const wchar_t last = text[n - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --n;
    return text.substr(0, n);
}

void LabelPane::SetText(std::wstring_view text, TextMeasurer& measurer) {
    text_.assign(CutLabelText(text));
    textWidth_ = 0;
    textHeight_ = 0;
    for (std::wstring_view line : SplitLabelLines(text_)) {
        Size extent;
        if (!measurer.Measure(line, &extent)) continue;
        textWidth_ = std::max(textWidth_, extent.width);
        lineHeight_ = extent.height;
        textHeight_ += extent.height;
    }
    SetContentSize(textWidth_ + 2 * InnerMargin(), textHeight_ + 2 * InnerMargin());
}

void LabelPane::PlaceAt(int x, int y, bool centred) {
    if (centred) {
        x -= ContentWidth() >> 1;
        y -= ContentHeight() >> 1;
    }
    MoveTo(x, y);
}

bool LabelPane::CountDown() {
    if (!IsVisible()) return false;
    if (--ticksLeft_ > 0) return false;
    SetVisible(false);
    return true;
}

}  // namespace mrv
