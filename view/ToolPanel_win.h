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

// The tool strip for icons of `iconSize`, drawn from the nearest of the
// `count` generated strips (ascending sizes; each holds two rows of square
// cells) whose cells are at least that size, reduced by area averaging
// (view/ToolPanel.h), never a blurred enlargement. A new 32-bit DIB section
// (the caller owns it), or null. `reference` is the DC the strips are read
// through.
HBITMAP ScaleIconStrip(HDC reference, const HBITMAP* strips, int count, int iconSize);

}  // namespace mrv
