#include "view/ToolPanel_win.h"

namespace mrv {
namespace {

constexpr Colour kPinnedFill = 0xCCCCCC;
constexpr Colour kPinnedFrame = 0x666666;

void PaintPinnedBackground(HDC dc, const Rect& box) {
    FillBox(dc, box.left, box.top, box.Width(), box.Height(), kPinnedFill);
    FrameBox(dc, box.left, box.top, box.Width(), box.Height(), kPinnedFrame);
}

// A 32-bit top-down DIB section: the same pixels whatever DC it is made for.
HBITMAP MakeStripBitmap(int width, int height) {
    BITMAPINFO info{};
    if (InitBitmapHeader(info.bmiHeader, width, -height, 32) < 0) return nullptr;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

HBITMAP ScaleIconStrip(HDC reference, HBITMAP strip, int iconSize) {
    BITMAP source{};
    if (strip == nullptr || iconSize <= 0 ||
        GetObjectW(strip, sizeof(source), &source) != sizeof(source))
        return nullptr;
    const int cells = source.bmWidth / kToolIconSize;
    const int rows = source.bmHeight / kToolIconSize;
    if (cells <= 0 || rows <= 0) return nullptr;
    // The nearest larger whole multiple: every pixel a crisp square block.
    const int factor = (iconSize + kToolIconSize - 1) / kToolIconSize;
    const int big = kToolIconSize * factor;
    UniqueBitmap enlarged(MakeStripBitmap(cells * big, rows * big));
    Surface from;
    Surface to;
    if (!enlarged || !from.Select(reference, strip) || !to.Select(reference, enlarged.get()))
        return nullptr;
    SetStretchBltMode(to.Dc(), COLORONCOLOR);
    StretchBlt(to.Dc(), 0, 0, cells * big, rows * big, from.Dc(), 0, 0, cells * kToolIconSize,
               rows * kToolIconSize, SRCCOPY);
    to.Release();
    if (big == iconSize) return enlarged.release();

    // Then down to the size with a filter, cell by cell so that no cell
    // bleeds into its neighbour.
    UniqueBitmap result(MakeStripBitmap(cells * iconSize, rows * iconSize));
    if (!result || !from.Select(reference, enlarged.get()) || !to.Select(reference, result.get()))
        return nullptr;
    SetStretchBltMode(to.Dc(), HALFTONE);
    SetBrushOrgEx(to.Dc(), 0, 0, nullptr);
    for (int row = 0; row < rows; ++row) {
        for (int cell = 0; cell < cells; ++cell) {
            StretchBlt(to.Dc(), cell * iconSize, row * iconSize, iconSize, iconSize, from.Dc(),
                       cell * big, row * big, big, big, SRCCOPY);
        }
    }
    to.Release();
    return result.release();
}

void DrawToolPanel(HDC dc, ToolPanel& panel, const PaneShadow& shadow, HBITMAP iconBitmap,
                   HBITMAP screenBitmap) {
    if (!panel.IsPresent()) return;
    Surface icons;
    icons.Select(dc, iconBitmap);
    panel.PlaceAtCorner();

    if (panel.IsPinned()) {
        const Rect box = panel.PinnedBackground();
        Surface screen;
        if (screen.Select(dc, screenBitmap)) PaintPinnedBackground(screen.Dc(), box);
        PaintPinnedBackground(dc, box);
    }

    ToolButtonSlot slots[kToolButtonCount];
    const int n = panel.ButtonSlots(slots);
    for (int i = 0; i < n; ++i) {
        const ToolButtonSlot& s = slots[i];
        DrawShadow(dc, panel, shadow, s.shadowBox.left, s.shadowBox.top, s.shadowBox.Width(),
                   s.shadowBox.Height());
        if (icons.Dc() != nullptr) {
            const int size = panel.Metrics().toolIconSize;
            BitBlt(dc, s.iconAt.x, s.iconAt.y, size, size, icons.Dc(), s.iconSource.x,
                   s.iconSource.y, SRCCOPY);
        }
    }
}

}  // namespace mrv
