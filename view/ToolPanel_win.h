// Painting the tool panel.
#pragma once

#include <windows.h>

#include "view/Pane_win.h"
#include "view/ToolPanel.h"

namespace mrv {

// Places the panel at its corner of the selection and paints it into `dc`
// (nothing while hidden): per shown button its shadow and its icon from
// `iconBitmap` (the strip of 30 x 2 cells of the panel's icon size, 720 x 48
// at 96 dpi) at the rest, hover or pressed offset.
// While pinned, the grey background box is first painted into `screenBitmap`
// itself, where it stays until the next snapshot, and into `dc`, so that this
// very paint shows it too (`dc` already holds the picture from before).
void DrawToolPanel(HDC dc, ToolPanel& panel, const PaneShadow& shadow, HBITMAP iconBitmap,
                   HBITMAP screenBitmap);

// The icon strip (cells of kToolIconSize) redrawn with cells of `iconSize`:
// first enlarged by the nearest larger whole factor, pixel for pixel, then
// filtered down to the size, so that no icon is a blurred enlargement. A new
// 32-bit DIB section (the caller owns it), or null. `reference` is the DC
// the work surfaces are made for.
HBITMAP ScaleIconStrip(HDC reference, HBITMAP strip, int iconSize);

}  // namespace mrv
