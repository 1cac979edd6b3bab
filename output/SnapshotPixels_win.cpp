#include "output/SnapshotPixels_win.h"

#include <cstdint>

namespace mrv {

imaging::PixelView ViewOfDibSection(HBITMAP bitmap) {
    imaging::PixelView view;
    DIBSECTION section{};
    // For a device-dependent bitmap GetObject fills only a BITMAP.
    if (bitmap == nullptr ||
        GetObjectW(bitmap, sizeof section, &section) != static_cast<int>(sizeof section))
        return view;
    const BITMAP& bm = section.dsBm;
    const bool plainMasks =
        section.dsBmih.biCompression == BI_RGB ||
        (section.dsBmih.biCompression == BI_BITFIELDS && section.dsBitfields[0] == 0x00FF0000 &&
         section.dsBitfields[1] == 0x0000FF00 && section.dsBitfields[2] == 0x000000FF);
    if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || !plainMasks || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0)
        return view;
    GdiFlush();
    view.data = static_cast<const std::uint8_t*>(bm.bmBits);
    view.width = bm.bmWidth;
    view.height = bm.bmHeight;
    view.stride = bm.bmWidthBytes;
    view.format = imaging::PixelFormat::kBgrx32;
    return view;
}

imaging::Image* CreateImageFromDC(HDC dc, int left, int top, int width, int height) {
    if (dc == nullptr) return nullptr;
    const imaging::PixelView view =
        ViewOfDibSection(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)));
    if (view.data == nullptr) return nullptr;
    return imaging::CreateImageFromPixels(view, left, top, width, height);
}

}  // namespace mrv
