#include "view/LabelPane_win.h"

#include <climits>

namespace mrv {

GdiTextMeasurer::GdiTextMeasurer(HDC referenceDC, HFONT font)
    : dc_(CreateCompatibleDC(referenceDC)), font_(dc_.get(), font) {}

bool GdiTextMeasurer::Measure(std::wstring_view line, Size* extent) {
    if (!dc_ || line.size() > INT_MAX) return false;
    if (line.empty()) {
        // An empty line still takes a line's height; the extent of no
        // characters has none (Wine answers 0 x 0).
        TEXTMETRICW metrics{};
        if (!GetTextMetricsW(dc_.get(), &metrics)) return false;
        *extent = Size{0, metrics.tmHeight};
        return true;
    }
    SIZE size{};
    if (!GetTextExtentPoint32W(dc_.get(), line.data(), static_cast<int>(line.size()), &size)) {
        return false;
    }
    *extent = Size{size.cx, size.cy};
    return true;
}

void DrawLabelPane(HDC dc, const LabelPane& label, const PaneShadow& shadow, HFONT font) {
    if (!label.IsVisible()) return;
    DcStateGuard state(dc);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    SelectGuard selectFont(dc, font);

    const int x = label.X();
    const int y = label.Y();
    const int w = label.ContentWidth();
    const int h = label.ContentHeight();
    DrawShadow(dc, label, shadow, x, y, w, h);
    FillBox(dc, x, y, w, h, 0xFFFFFF);
    FrameBox(dc, x, y, w, h, 0x000000);

    int k = 0;
    for (std::wstring_view line : label.Lines()) {
        const Point at = label.LineOrigin(k++);
        TextOutW(dc, at.x, at.y, line.data(), static_cast<int>(line.size()));
    }
}

}  // namespace mrv
