#include "output/SnapshotPixels_win.h"

#include <cstdint>

namespace mrv {
namespace {

bool PlainBgrMasks(const DIBSECTION& section) {
    if (section.dsBmih.biCompression == BI_RGB) return true;
    return section.dsBmih.biCompression == BI_BITFIELDS && section.dsBitfields[0] == 0x00FF0000 &&
           section.dsBitfields[1] == 0x0000FF00 && section.dsBitfields[2] == 0x000000FF;
}

// Deletes what it owns at the end of the scope, on every path.
struct ScopedCopy {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ~ScopedCopy() {
        if (previous != nullptr) SelectObject(dc, previous);
        if (dc != nullptr) DeleteDC(dc);
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
};

}  // namespace

imaging::PixelView ViewOfDibSection(HBITMAP bitmap, RowOrder order) {
    imaging::PixelView view;
    DIBSECTION section{};
    if (bitmap == nullptr ||
        GetObjectW(bitmap, sizeof section, &section) != static_cast<int>(sizeof section))
        return view;  // not a DIB section: GetObject fills only a BITMAP
    const BITMAP& bm = section.dsBm;
    if (bm.bmBits == nullptr || bm.bmWidth <= 0 || bm.bmHeight <= 0) return view;
    if (bm.bmBitsPixel == 32 && PlainBgrMasks(section)) {
        view.format = imaging::PixelFormat::kBgrx32;
    } else if (bm.bmBitsPixel == 24 && section.dsBmih.biCompression == BI_RGB) {
        view.format = imaging::PixelFormat::kBgr24;
    } else {
        return view;
    }
    GdiFlush();  // GDI may still hold drawing for the section in its batch
    auto* bits = static_cast<const std::uint8_t*>(bm.bmBits);
    const std::ptrdiff_t rowBytes = bm.bmWidthBytes;
    // A top-down section starts with the top row; a bottom-up one stores
    // it last.
    if (order == RowOrder::kTopDown) {
        view.data = bits;
        view.stride = rowBytes;
    } else {
        view.data = bits + rowBytes * (bm.bmHeight - 1);
        view.stride = -rowBytes;
    }
    view.width = bm.bmWidth;
    view.height = bm.bmHeight;
    return view;
}

imaging::Image* CreateImageFromDC(HDC dc, int left, int top, int width, int height,
                                  RowOrder order) {
    if (dc == nullptr || width <= 0 || height <= 0) return nullptr;
    const auto selected = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
    const imaging::PixelView inPlace = ViewOfDibSection(selected, order);
    if (inPlace.data != nullptr)
        return imaging::CreateImageFromPixels(inPlace, left, top, width, height);

    // Not a DIB section: copy just the rectangle into one. In a memory DC
    // the rectangle must lie inside its bitmap, as for a section; the
    // display's own DC has no bitmap to measure and BitBlt clips there.
    BITMAP bm{};
    if (GetObjectType(dc) == OBJ_MEMDC) {
        if (selected == nullptr ||
            GetObjectW(selected, sizeof bm, &bm) != static_cast<int>(sizeof bm))
            return nullptr;
        if (left < 0 || top < 0 || left > bm.bmWidth - width || top > bm.bmHeight - height)
            return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ScopedCopy copy;
    void* bits = nullptr;
    copy.bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy.bitmap == nullptr) return nullptr;
    copy.dc = CreateCompatibleDC(dc);
    if (copy.dc == nullptr) return nullptr;
    copy.previous = SelectObject(copy.dc, copy.bitmap);
    if (copy.previous == nullptr || copy.previous == HGDI_ERROR) {
        copy.previous = nullptr;
        return nullptr;
    }
    if (!BitBlt(copy.dc, 0, 0, width, height, dc, left, top, SRCCOPY)) return nullptr;
    const imaging::PixelView view = ViewOfDibSection(copy.bitmap);
    if (view.data == nullptr) return nullptr;
    return imaging::CreateImageFromPixels(view, 0, 0, width, height);
}

}  // namespace mrv
