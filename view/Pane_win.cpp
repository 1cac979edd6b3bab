#include "view/Pane_win.h"

#include <algorithm>

#include "view/PaneShadow.h"

namespace mrv {

bool PaneShadow::Remake(int bottomWidth, int rightHeight) {
    if (!CreateDib(bottom_, referenceDC_, bottomWidth, thickness_)) {
        ResetDib(right_);
        return false;
    }
    return CreateDib(right_, referenceDC_, thickness_, rightHeight) != 0;
}

void PaneShadow::Reset() {
    ResetDib(bottom_);
    ResetDib(right_);
}

namespace {

// Copies the band at (bandX, bandY), `columns` x `rows`, into the strip,
// shades it in place and copies it back.
template <typename Shade>
void ShadeBand(HDC dc, const DibRecord& strip, int bandX, int bandY, int columns, int rows,
               Shade shade) {
    if (columns <= 0 || rows <= 0) return;
    Surface surface;
    if (!surface.Select(dc, strip.bitmap.get())) return;
    if (!BitBlt(surface.Dc(), 0, 0, columns, rows, dc, bandX, bandY, SRCCOPY)) return;
    GdiFlush();  // the blit must have landed in the bits before they are read
    ShadowPixels pixels = DibPixels(strip);
    pixels.width = columns;
    pixels.height = rows;
    shade(pixels);
    BitBlt(dc, bandX, bandY, columns, rows, surface.Dc(), 0, 0, SRCCOPY);
}

}  // namespace

void DrawShadow(HDC dc, const Pane& pane, const PaneShadow& shadow, int x, int y, int w, int h) {
    if (!pane.ShadowOn() || pane.ContentWidth() == 0 || w <= 0 || h <= 0) return;
    const DibRecord& bottom = shadow.Bottom();
    const DibRecord& right = shadow.Right();
    const int size = pane.Metrics().shadowSize;
    if (bottom.bitmap) {
        ShadeBand(dc, bottom, x + size, y + h, std::min(w, bottom.width),
                  std::min(size, bottom.height),
                  [w, size](const ShadowPixels& p) { ShadeBottomBand(p, w, size); });
    }
    // Read after the bottom band went back, so its corner holds that result.
    if (right.bitmap) {
        ShadeBand(dc, right, x + w, y + size, std::min(size, right.width),
                  std::min(h, right.height),
                  [h, size](const ShadowPixels& p) { ShadeRightBand(p, h, size); });
    }
}

}  // namespace mrv
