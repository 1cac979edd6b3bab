// Measuring and painting label panes with GDI.
#pragma once

#include <windows.h>

#include "view/Draw_win.h"
#include "view/LabelPane.h"
#include "view/Pane_win.h"

namespace mrv {

// Measures lines in `font` on a memory DC compatible with `referenceDC` (the
// view's display DC). The DC exists, with the font selected, for the life of
// the measurer, which must not outlive the font.
class GdiTextMeasurer final : public TextMeasurer {
public:
    GdiTextMeasurer(HDC referenceDC, HFONT font);
    GdiTextMeasurer(const GdiTextMeasurer&) = delete;
    GdiTextMeasurer& operator=(const GdiTextMeasurer&) = delete;

    [[nodiscard]] bool Measure(std::wstring_view line, Size* extent) override;

private:
    UniqueDc dc_;  // declared first: the font goes back before the DC is deleted
    SelectGuard font_;
};

// Paints the label into `dc` (nothing while hidden): shadow, white box with a
// black 1-pixel border, the lines in black in `font`. The DC's state is put
// back.
void DrawLabelPane(HDC dc, const LabelPane& label, const PaneShadow& shadow, HFONT font);

}  // namespace mrv
