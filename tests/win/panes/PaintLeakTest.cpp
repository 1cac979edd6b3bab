// A thousand paints of every pane, with text measured and strips re-made on
// the way, leave the process holding no more GDI objects than before.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "selection/LabelPane_win.h"
#include "tests/win/support/GdiCount.h"
#include "view/ToolPanel_win.h"
#include "view/ZoomPane_win.h"

namespace mrv {
namespace {

TEST(PaintLeaks, AThousandPaintsOfEveryPaneKeepTheGdiObjectCount) {
    test::Canvas canvas(400, 300);
    test::LooseBitmap screen(400, 300);
    test::LooseBitmap icons(kToolIconStripWidth, kToolIconStripHeight);
    const WORD rows[8] = {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33};
    UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
    UniqueBrush brush(CreatePatternBrush(pattern.get()));
    LOGFONTW spec;
    InitFontSpec(spec, L"MS UI Gothic", 12);
    UniqueFont font(CreateFontIndirectW(&spec));

    Settings settings;
    Selection selection;
    selection.left = 50;
    selection.top = 50;
    selection.width = 120;
    selection.height = 80;
    PaneShadow zoomStrips, toolStrips, labelStrips;
    ZoomPane zoom;
    ToolPanel tools;
    LabelPane label;
    zoom.AttachShadowStrips(&zoomStrips);
    tools.AttachShadowStrips(&toolStrips);
    label.AttachShadowStrips(&labelStrips);
    for (Pane* p :
         {static_cast<Pane*>(&zoom), static_cast<Pane*>(&tools), static_cast<Pane*>(&label)}) {
        p->Init(Size{400, 300});
    }
    zoom.LinkSelection(&selection);
    tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
    label.MakeShadowStrips();

    auto paintOnce = [&](int i) {
        zoom.Configure(4 + i % 3, 1 + i % 8);  // re-makes the zoom strips
        zoom.FollowCursor(60 + i % 200, 60 + i % 150);
        tools.SetPinned(i % 2 == 1);
        tools.Layout();
        tools.TrackHover(tools.X() + 30, tools.Y() + 5);
        {
            GdiTextMeasurer m(canvas.Dc(), font.get());
            label.SetText(i % 2 ? L"320 x 200" : L"ab\r\ncd", m);
        }
        label.StartDisplay();
        DrawZoomPane(canvas.Dc(), zoom, zoomStrips, screen.Get(), brush.get());
        DrawToolPanel(canvas.Dc(), tools, toolStrips, icons.Get(), screen.Get());
        DrawLabelPane(canvas.Dc(), label, labelStrips, font.get());
        FillBox(canvas.Dc(), 1, 1, 5, 5, 0x123456);
        FrameBox(canvas.Dc(), 1, 1, 5, 5, 0x654321);
    };

    paintOnce(0);  // first use may create lasting objects (font realisation)
    const unsigned long before = test::CountGdiObjects();
    ASSERT_GT(before, 0u);
    for (int i = 1; i <= 1000; ++i) paintOnce(i);
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace mrv
