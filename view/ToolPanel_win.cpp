#include "view/ToolPanel_win.h"

#include <cstring>
#include <vector>

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

HBITMAP ScaleIconStrip(HDC reference, const HBITMAP* strips, int count, int iconSize) {
    if (strips == nullptr || count <= 0 || count > 8 || iconSize <= 0) return nullptr;
    // A strip holds two rows of square cells: its cell size is half its height.
    int cellSizes[8] = {};
    BITMAP shapes[8] = {};
    for (int i = 0; i < count; ++i) {
        if (strips[i] == nullptr ||
            GetObjectW(strips[i], sizeof(shapes[i]), &shapes[i]) != sizeof(shapes[i]))
            return nullptr;
        cellSizes[i] = shapes[i].bmHeight / 2;
        if (cellSizes[i] <= 0 || (i > 0 && cellSizes[i] <= cellSizes[i - 1])) return nullptr;
    }
    const int pick = PickToolStrip(cellSizes, count, iconSize);
    const int from = cellSizes[pick];
    const int across = shapes[pick].bmWidth / from;
    if (across <= 0) return nullptr;

    BITMAPINFO info{};
    if (InitBitmapHeader(info.bmiHeader, across * from, -2 * from, 32) < 0) return nullptr;
    std::vector<std::uint32_t> source(static_cast<std::size_t>(across) * from * 2 * from);
    if (GetDIBits(reference, strips[pick], 0, static_cast<UINT>(2 * from), source.data(), &info,
                  DIB_RGB_COLORS) != 2 * from)
        return nullptr;
    const std::vector<std::uint32_t> cells =
        ResampleIconCells(source.data(), across, 2, from, iconSize);
    if (cells.empty()) return nullptr;
    UniqueBitmap result(MakeStripBitmap(across * iconSize, 2 * iconSize));
    if (!result) return nullptr;
    DIBSECTION section{};
    if (GetObjectW(result.get(), sizeof(section), &section) != sizeof(section) ||
        section.dsBm.bmBits == nullptr)
        return nullptr;
    GdiFlush();
    std::memcpy(section.dsBm.bmBits, cells.data(), cells.size() * sizeof(cells[0]));
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
