#include "view/ZoomPane_win.h"

#include "base/Win32Geometry.h"

namespace mrv {

void DrawZoomPane(HDC dc, const ZoomPane& pane, const PaneShadow& shadow, HBITMAP screenBitmap,
                  HBRUSH framePattern) {
    if (!pane.IsVisible()) return;
    const ZoomPicture p = pane.Picture();
    DcStateGuard state(dc);
    Surface screen;
    screen.Select(dc, screenBitmap);

    DrawShadow(dc, pane, shadow, p.box.left, p.box.top, p.box.Width(), p.box.Height());

    // COLORONCOLOR repeats whole source pixels and never blends, so every
    // screen pixel becomes a factor x factor block. Black on white also makes
    // the monochrome ring pattern black and white.
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetStretchBltMode(dc, COLORONCOLOR);
    if (screen.Dc() != nullptr) {
        StretchBlt(dc, p.picture.left, p.picture.top, p.picture.Width(), p.picture.Height(),
                   screen.Dc(), p.source.left, p.source.top, p.source.Width(), p.source.Height(),
                   SRCCOPY);
    }

    if (!p.selectionRing.IsEmpty() && framePattern != nullptr) {
        const RECT ring = ToRECT(p.selectionRing);
        FrameRect(dc, &ring, framePattern);
    }

    // Black box with a white middle on each side for factors above 2: it
    // stays visible on dark and light pictures alike.
    for (int i = 0; i < p.line; ++i) {
        const Rect box = p.markedBox.Inflated(-i, -i);
        FrameBox(dc, box.left, box.top, box.Width(), box.Height(), 0x000000);
    }
    for (int i = 0; i < p.whiteSideCount; ++i) {
        const Rect& side = p.whiteSides[i];
        FillBox(dc, side.left, side.top, side.Width(), side.Height(), 0xFFFFFF);
    }

    for (int i = 0; i < p.line; ++i) {
        const Rect box = p.box.Inflated(-i, -i);
        FrameBox(dc, box.left, box.top, box.Width(), box.Height(), 0x000000);
    }
}

}  // namespace mrv
