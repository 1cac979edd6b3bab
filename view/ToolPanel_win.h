// Painting the tool panel.
#pragma once

#include <windows.h>

#include "view/Pane_win.h"
#include "view/ToolPanel.h"

namespace mrv {

// Places the panel at its corner of the selection and paints it into `dc`
// (nothing while hidden): per shown button its shadow and its icon from
// `iconBitmap` (the 720 x 48 strip) at the rest, hover or pressed offset.
// While pinned, the grey background box is first painted into `screenBitmap`
// itself, where it stays until the next snapshot, and into `dc`, so that this
// very paint shows it too (`dc` already holds the picture from before).
void DrawToolPanel(HDC dc, ToolPanel& panel, const PaneShadow& shadow, HBITMAP iconBitmap,
                   HBITMAP screenBitmap);

}  // namespace mrv
