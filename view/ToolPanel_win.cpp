#include "view/ToolPanel_win.h"

namespace mrv {
namespace {

constexpr Colour kPinnedFill = 0xCCCCCC;
constexpr Colour kPinnedFrame = 0x666666;

void PaintPinnedBackground(HDC dc, const Rect& box) {
    FillBox(dc, box.left, box.top, box.Width(), box.Height(), kPinnedFill);
    FrameBox(dc, box.left, box.top, box.Width(), box.Height(), kPinnedFrame);
}

}  // namespace

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
            BitBlt(dc, s.iconAt.x, s.iconAt.y, kToolIconSize, kToolIconSize, icons.Dc(),
                   s.iconSource.x, s.iconSource.y, SRCCOPY);
        }
    }
}

}  // namespace mrv
