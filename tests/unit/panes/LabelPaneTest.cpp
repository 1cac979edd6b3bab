// Label text layout and the view's label operations.
#include <gtest/gtest.h>

#include <string>

#include "FakeStrips.h"
#include "view/PaneLabels.h"

namespace mrv {
namespace {

// 6 pixels a character, 12 high; a line holding '!' cannot be measured.
struct FixedMeasurer final : TextMeasurer {
    bool Measure(std::wstring_view line, Size* extent) override {
        if (line.find(L'!') != std::wstring_view::npos) return false;
        *extent = Size{6 * static_cast<int>(line.size()), 12};
        return true;
    }
};

TEST(LabelPane, CrLfLinesLoneLfAndUnmeasurableLines) {
    LabelPane label;
    label.Init(Size{1024, 768});
    FixedMeasurer m;
    label.SetText(L"ab\r\ncd", m);
    EXPECT_EQ((Size{label.ContentWidth(), label.ContentHeight()}), (Size{12 + 6, 24 + 6}));
    label.SetText(L"abc\nd\n!x", m);  // a lone LF keeps the character before it
    EXPECT_EQ(label.TextWidth(), 18);
    EXPECT_EQ(label.TextHeight(), 24);

    std::wstring pair(kLabelTextCapacity - 1, L'a');
    pair += L"\xD83D\xDE00";
    EXPECT_EQ(CutLabelText(pair).size(), kLabelTextCapacity - 1);  // the pair is not split
}

struct ViewLabelsTest : ::testing::Test {
    ViewLabelsTest() {
        for (LabelPane* l : {&first, &second}) {
            l->AttachShadowStrips(&strips);
            l->Init(Size{1024, 768});
            l->MakeShadowStrips();
        }
        zoom.Init(Size{1024, 768});
        tools.Init(Size{1024, 768});
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();
        selection.left = selection.top = 100;
        selection.width = 320;
        selection.height = 200;
        labels.zoomVisible = &settings.zoomVisible;
        labels.toolPanelCorner = &settings.toolPanelCorner;
    }
    test::FakeStrips strips;
    Settings settings;
    Selection selection;
    LabelPane first, second;
    ZoomPane zoom;
    ToolPanel tools;
    ViewLabels labels{&first, &second, &zoom, &tools, &selection, nullptr, nullptr};
    FixedMeasurer m;
};

TEST_F(ViewLabelsTest, SizeReadoutPlacement) {
    settings.toolPanelCorner = kCornerBelowRight;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Text(), L"320 x 200");
    EXPECT_EQ((Point{first.X(), first.Y()}), (Point{102, 304}));
    settings.toolPanelCorner = kCornerBelowLeft;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Y(), 74);
    selection.top = 568;  // touching the bottom: lifted by its outer height
    settings.toolPanelCorner = kCornerAboveLeft;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Y(), 772 - first.OuterHeight());

    settings.zoomVisible = 0;  // zoom view off: neither shown nor hidden
    UpdateSizeReadout(labels, m, kPointerCodeOutside);
    EXPECT_TRUE(first.IsVisible());
    settings.zoomVisible = 1;
    UpdateSizeReadout(labels, m, kPointerCodeOutside);
    EXPECT_FALSE(first.IsVisible());
}

TEST_F(ViewLabelsTest, ToolTipSwapsWithTheMagnifierAndMessagesCentreAndTimeOut) {
    tools.PlaceAtCorner();
    tools.TrackHover(tools.X() + 3 * 28, tools.Y());  // button 11
    ShowToolTip(labels, m, true, 300, 310);
    EXPECT_EQ(first.Text(), L"コピー Ctrl+C");
    EXPECT_EQ((Point{first.X(), first.Y()}), (Point{308, 318}));
    EXPECT_FALSE(zoom.IsVisible());
    for (int tick = 0; tick < 4; ++tick) CountDownLabels(labels);
    EXPECT_FALSE(first.IsVisible());
    EXPECT_TRUE(zoom.IsVisible());  // the tip's end brings it back

    settings.zoomVisible = 0;
    ShowToolTip(labels, m, true, 300, 310);
    ShowToolTip(labels, m, false, 0, 0);
    EXPECT_FALSE(zoom.IsVisible());

    ShowCentredMessage(labels, m, L"saved");  // 30 + 6 wide, 12 + 6 high
    EXPECT_EQ((Point{second.X(), second.Y()}), (Point{260 - 18, 200 - 9}));
    EXPECT_TRUE(second.IsVisible());
}

}  // namespace
}  // namespace mrv
