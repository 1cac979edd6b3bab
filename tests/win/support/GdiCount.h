// Counts the GDI objects this process holds, for leak tests.
//
// Wine's GetGuiResources always answers 0, so there the count comes from
// probing the handle table: Wine accepts a handle whose high word (the
// generation) is 0 as naming whatever object lives in that slot, and
// GetObjectType is non-zero exactly for live slots. On Windows the real
// counter is used.
#pragma once

#include <windows.h>

namespace mrv::test {

inline unsigned long CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return reported;
    unsigned long live = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++live;
    return live;
}

}  // namespace mrv::test
