// Painting the magnifier.
#pragma once

#include <windows.h>

#include "view/Pane_win.h"
#include "view/ZoomPane.h"

namespace mrv {

// Paints the zoom pane into `dc` (nothing while hidden): shadow, the source
// square stretched in whole-pixel blocks from `screenBitmap`, the selection's
// ring inside the picture with `framePattern` (the ring's pattern brush of
// the current phase; black on white here whatever the frame colours), the
// marked pixel's box and the 1-pixel border. The DC's state is put back.
void DrawZoomPane(HDC dc, const ZoomPane& pane, const PaneShadow& shadow, HBITMAP screenBitmap,
                  HBRUSH framePattern);

}  // namespace mrv
