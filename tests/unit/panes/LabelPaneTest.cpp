// Label panes and the view's label operations: line splitting and sizing
// (CR LF, bare LF, empty and unmeasurable lines, over-long text), centring,
// timing out, and the size read-out, tool tips and centred messages with
// their placements and their effect on the magnifier.
#include <gtest/gtest.h>

#include <string>

#include "FakeStrips.h"
#include "selection/LabelPane.h"
#include "selection/Selection.h"
#include "settings/Settings.h"
#include "view/PaneLabels.h"
#include "view/ToolPanel.h"
#include "view/ZoomPane.h"

namespace mrv {
namespace {

// 6 pixels per character, 12 high; a line holding '!' cannot be measured.
class FixedMeasurer final : public TextMeasurer {
public:
    bool Measure(std::wstring_view line, Size* extent) override {
        lines.emplace_back(line);
        if (line.find(L'!') != std::wstring_view::npos) return false;
        *extent = Size{6 * static_cast<int>(line.size()), 12};
        return true;
    }
    std::vector<std::wstring> lines;
};

constexpr Size kScreen{1024, 768};

TEST(LabelLines, CrBeforeLfIsDroppedAndOtherCharactersStay) {
    using V = std::vector<std::wstring_view>;
    EXPECT_EQ(SplitLabelLines(L"ab\r\ncd"), (V{L"ab", L"cd"}));
    EXPECT_EQ(SplitLabelLines(L"ab\ncd"), (V{L"ab", L"cd"}));
    EXPECT_EQ(SplitLabelLines(L"\r\n\nx\r"), (V{L"", L"", L"x\r"}));  // a last CR is text
    EXPECT_EQ(SplitLabelLines(L"ab\n"), (V{L"ab", L""}));
    EXPECT_EQ(SplitLabelLines(L""), (V{L""}));
}

TEST(LabelPaneSizing, TwoLinesWithCrLfGiveTwoLineHeightsPlusMargins) {
    LabelPane label;
    label.Init(kScreen);
    FixedMeasurer m;
    label.SetText(L"ab\r\ncd", m);
    EXPECT_EQ(m.lines, (std::vector<std::wstring>{L"ab", L"cd"}));
    EXPECT_EQ(label.LineHeight(), 12);
    EXPECT_EQ(label.TextWidth(), 12);
    EXPECT_EQ(label.ContentHeight(), 2 * 12 + 2 * 3);
    EXPECT_EQ(label.ContentWidth(), 12 + 2 * 3);
    EXPECT_EQ(label.OuterWidth(), label.ContentWidth());  // no shadow: box only

    label.SetInnerMargin(kMessageLabelMargin);
    label.SetText(L"long line\nx\n!bad", m);  // the unmeasurable line adds nothing
    EXPECT_EQ(label.TextWidth(), 54);
    EXPECT_EQ(label.TextHeight(), 24);
    EXPECT_EQ(label.ContentWidth(), 54 + 12);
    EXPECT_EQ(label.LineOrigin(1), (Point{label.X() + 6, label.Y() + 6 + 12}));
}

TEST(LabelPaneSizing, OverlongTextIsCutWithoutSplittingASurrogatePair) {
    LabelPane label;
    label.Init(kScreen);
    FixedMeasurer m;
    const std::wstring longText(5000, L'a');
    label.SetText(longText, m);
    EXPECT_EQ(label.Text().size(), kLabelTextCapacity);

    std::wstring pairAtEnd(kLabelTextCapacity - 1, L'a');
    pairAtEnd += static_cast<wchar_t>(0xD83D);
    pairAtEnd += static_cast<wchar_t>(0xDE00);
    EXPECT_EQ(CutLabelText(pairAtEnd).size(), kLabelTextCapacity - 1);
    EXPECT_EQ(CutLabelText(L"short"), L"short");
}

TEST(LabelPanePlacement, CentredPlacementHalvesTheContentSizeAndTicksCountDown) {
    Settings settings;
    LabelPane label;
    label.Init(kScreen);
    label.LinkMessageTicks(&settings.messageTicks);
    FixedMeasurer m;
    label.SetText(L"abcde", m);  // 30 + 6 = 36 wide, 12 + 6 = 18 high
    label.PlaceAt(500, 400, true);
    EXPECT_EQ(label.X(), 500 - 18);
    EXPECT_EQ(label.Y(), 400 - 9);
    label.PlaceAt(1020, 400, false);  // over the right edge: pulled back
    EXPECT_EQ(label.X(), 1020 - 36);

    settings.messageTicks = 2;
    label.StartDisplay();
    EXPECT_TRUE(label.IsVisible());
    EXPECT_FALSE(label.CountDown());
    EXPECT_TRUE(label.CountDown());
    EXPECT_FALSE(label.IsVisible());
    EXPECT_FALSE(label.CountDown());  // hidden labels do not count
}

class ViewLabelsTest : public ::testing::Test {
protected:
    ViewLabelsTest() {
        for (LabelPane* label : {&first, &second}) {
            label->AttachShadowStrips(&strips);
            label->Init(kScreen);
            label->LinkMessageTicks(&settings.messageTicks);
            label->MakeShadowStrips();
            label->SetVisible(false);
        }
        second.SetInnerMargin(kMessageLabelMargin);
        zoom.Init(kScreen);
        tools.Init(kScreen);
        tools.Link(&selection, settings.toolButtons, &settings.toolPanelCorner);
        tools.Layout();
        selection.left = 100;
        selection.top = 100;
        selection.width = 320;
        selection.height = 200;
        labels = ViewLabels{&first,
                            &second,
                            &zoom,
                            &tools,
                            &selection,
                            &settings.zoomVisible,
                            &settings.toolPanelCorner};
    }
    test::FakeStrips strips;
    Settings settings;
    Selection selection;
    LabelPane first, second;
    ZoomPane zoom;
    ToolPanel tools;
    ViewLabels labels;
    FixedMeasurer m;
};

TEST_F(ViewLabelsTest, SizeReadoutBelowTheSelectionOrAboveItBesideTheToolPanel) {
    settings.toolPanelCorner = kCornerBelowRight;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Text(), L"320 x 200");
    EXPECT_TRUE(first.IsVisible());
    EXPECT_EQ(first.TicksLeft(), 4);
    EXPECT_EQ(first.X(), 102);
    EXPECT_EQ(first.Y(), 304);
    EXPECT_EQ(first.OuterWidth(), 9 * 6 + 6 + 4);  // with the shadow

    settings.toolPanelCorner = kCornerBelowLeft;
    UpdateSizeReadout(labels, m, MODE_BOTTOM_RIGHT);
    EXPECT_EQ(first.Y(), 74);

    // Touching the bottom of the screen: lifted by its outer height.
    settings.toolPanelCorner = kCornerAboveLeft;
    selection.top = 768 - 200;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Y(), 768 + 4 - first.OuterHeight());

    UpdateSizeReadout(labels, m, kPointerCodeOutside);
    EXPECT_FALSE(first.IsVisible());
}

TEST_F(ViewLabelsTest, WithTheZoomViewOffTheReadoutIsLeftAlone) {
    UpdateSizeReadout(labels, m, MODE_MOVE);
    settings.zoomVisible = 0;
    selection.width = 10;
    UpdateSizeReadout(labels, m, MODE_MOVE);
    EXPECT_EQ(first.Text(), L"320 x 200");
    UpdateSizeReadout(labels, m, kPointerCodeOutside);
    EXPECT_TRUE(first.IsVisible());  // stays until it times out
}

TEST_F(ViewLabelsTest, ToolTipReplacesTheMagnifierWhileOnTheToolPanel) {
    tools.PlaceAtCorner();
    tools.TrackHover(tools.X() + 3 * 28 + 1, tools.Y() + 5);  // button 11
    ShowToolTip(labels, m, true, 300, 310);
    EXPECT_EQ(first.Text(), L"コピー Ctrl+C");
    EXPECT_EQ(first.X(), 308);
    EXPECT_EQ(first.Y(), 318);
    EXPECT_TRUE(first.IsVisible());
    EXPECT_FALSE(zoom.IsVisible());

    ShowToolTip(labels, m, false, 0, 0);
    EXPECT_FALSE(first.IsVisible());
    EXPECT_TRUE(zoom.IsVisible());

    settings.zoomVisible = 0;
    zoom.SetVisible(false);
    ShowToolTip(labels, m, true, 300, 310);
    ShowToolTip(labels, m, false, 0, 0);
    EXPECT_FALSE(zoom.IsVisible());  // the zoom view is off: no magnifier comes back

    tools.TrackHover(0, 0);  // nothing hovered: the tip is not shown
    ShowToolTip(labels, m, true, 5, 5);
    EXPECT_FALSE(first.IsVisible());
}

TEST_F(ViewLabelsTest, CentredMessageAndTimingOut) {
    ShowCentredMessage(labels, m, L"saved");  // 30 + 12 = 42 x 12 + 12 = 24
    EXPECT_EQ(second.X(), 260 - 21);
    EXPECT_EQ(second.Y(), 200 - 12);
    EXPECT_TRUE(second.IsVisible());

    tools.PlaceAtCorner();
    tools.TrackHover(tools.X() + 1, tools.Y() + 1);
    ShowToolTip(labels, m, true, 300, 310);
    for (int tick = 0; tick < 3; ++tick) CountDownLabels(labels);
    EXPECT_TRUE(first.IsVisible());
    EXPECT_FALSE(zoom.IsVisible());
    CountDownLabels(labels);
    EXPECT_FALSE(first.IsVisible());
    EXPECT_FALSE(second.IsVisible());
    EXPECT_TRUE(zoom.IsVisible());  // the tip's end brings the magnifier back
}

}  // namespace
}  // namespace mrv
