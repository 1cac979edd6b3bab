// RECT/POINT conversions for the Win32 half. Portable code never includes this.
#pragma once

#include <windows.h>

#include "base/Geometry.h"

namespace mrv {

inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace mrv
