// The Win32 half of the pane base: the shadow strips as DIB sections and the
// drop shadow painter.
#pragma once

#include <windows.h>

#include "view/Draw_win.h"
#include "view/Pane.h"

namespace mrv {

// A pane's two shadow strips: bottomWidth x 4 and 4 x rightHeight, 24-bit
// DIB sections made once per size change. Attach one to its pane with
// Pane::AttachShadowStrips; it must outlive the pane's use of it.
class PaneShadow final : public ShadowStrips {
public:
    // The reference DC only matters for palette DIBs; the strips are RGB, so
    // null (the screen) is fine.
    explicit PaneShadow(HDC referenceDC = nullptr) : referenceDC_(referenceDC) {}

    [[nodiscard]] bool Remake(int bottomWidth, int rightHeight) override;
    void SetThickness(int thickness) override { thickness_ = thickness; }
    // Deletes both bitmaps.
    void Reset();

    const DibRecord& Bottom() const { return bottom_; }
    const DibRecord& Right() const { return right_; }

private:
    HDC referenceDC_;
    int thickness_ = kPaneShadowSize;
    DibRecord bottom_;
    DibRecord right_;
};

// Darkens the 4-pixel bands below and right of the box (x, y, w, h) in `dc`,
// offset 4 pixels (the rule is in view/PaneShadow.h). Only the two bands are
// copied out and back. Nothing happens when the pane's shadow is off, its
// content width is 0, the box is empty or a strip is missing; a strip smaller
// than its band shadows the part it covers, from the band's start.
void DrawShadow(HDC dc, const Pane& pane, const PaneShadow& shadow, int x, int y, int w, int h);

}  // namespace mrv
