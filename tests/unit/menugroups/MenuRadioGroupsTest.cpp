// Menu check-state groups with a recording menu: the marks that follow the
// settings, the exclusive groups and the limits of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "settings/MenuRadioGroups.h"
#include "settings/Settings.h"

namespace mrv {
namespace {

using Calls = std::vector<std::pair<int, bool>>;

// Records every call and keeps the resulting mark of each id, as a menu would.
class RecordingMenu : public MenuRadioGroups {
public:
    Calls calls;
    std::map<int, bool> marks;

    // Ids marked now, ascending.
    std::vector<int> Marked() const {
        std::vector<int> ids;
        for (const auto& [id, on] : marks) {
            if (on) ids.push_back(id);
        }
        return ids;
    }

protected:
    void SetItemChecked(int id, bool checked) override {
        calls.emplace_back(id, checked);
        marks[id] = checked;
    }
};

std::vector<int> Sorted(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

class MenuMarks : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AddFormatGroups(menu)); }
    RecordingMenu menu;
    Settings settings;
};

TEST_F(MenuMarks, DefaultsMarkBmp24Png8JpegStandardAndZoom) {
    RefreshMenuChecks(menu, settings);
    EXPECT_EQ(menu.Marked(),
              Sorted({kIdZoomView, kIdFormatBmp, kIdBmp24, kIdPng8, kIdJpegStandard}));
    ASSERT_EQ(menu.marks.count(kIdTaskTray), 1u);  // explicitly cleared
}

TEST_F(MenuMarks, EachChoiceMovesOnlyItsOwnGroupsMark) {
    const int family[] = {kIdFormatBmp, kIdFormatPng, kIdFormatJpeg};
    const int bmp[] = {kIdBmp24, kIdBmp565, kIdBmp555, kIdBmp8};
    const int jpeg[] = {kIdJpegHigh, kIdJpegStandard, kIdJpegMedium, kIdJpegLow};
    for (int v = 0; v < 4; ++v) {
        settings.imageFormat = static_cast<std::uint8_t>(0x10 * (1 + v % 3) | (v << 2));
        settings.bmpVariant = static_cast<std::uint8_t>(v << 2);
        settings.pngVariant = v == 0 ? kVariant24 : kVariant8;
        settings.jpegVariant = static_cast<std::uint8_t>(v);
        RefreshMenuChecks(menu, settings);
        EXPECT_EQ(menu.Marked(), Sorted({kIdZoomView, family[v % 3], bmp[v],
                                         v == 0 ? kIdPng24 : kIdPng8, jpeg[v]}))
            << "variant " << v;
    }
}

TEST_F(MenuMarks, FormatWithoutFamilyLeavesTheFamilyMarkAlone) {
    settings.imageFormat = kFormatFamilyPng | kVariant8;
    RefreshMenuChecks(menu, settings);
    settings.imageFormat = kVariant565;  // after a Save As with "All Files"
    menu.calls.clear();
    RefreshMenuChecks(menu, settings);
    EXPECT_EQ(menu.marks[kIdFormatPng], true);
    for (const auto& call : menu.calls) EXPECT_NE(menu.FindGroup(call.first), kFormatGroup);
}

TEST_F(MenuMarks, SixteenBitPngClearsThePngGroupAndTogglesFollowSettings) {
    RefreshMenuChecks(menu, settings);
    settings.pngVariant = kVariant565;
    settings.zoomVisible = 0;
    settings.inTaskTray = 5;  // any non-zero value is on
    RefreshMenuChecks(menu, settings);
    EXPECT_EQ(menu.Marked(), Sorted({kIdTaskTray, kIdFormatBmp, kIdBmp24, kIdJpegStandard}));
}

TEST(MenuRadioGroupsTable, ExclusiveCheckClearsTheGroupFirst) {
    RecordingMenu menu;
    ASSERT_TRUE(menu.AddToGroup(5, 101));
    ASSERT_TRUE(menu.AddToGroup(5, 102));
    EXPECT_EQ(menu.CheckItem(102, true, true), 1);
    EXPECT_EQ(menu.calls, (Calls{{101, false}, {102, false}, {102, true}}));
    menu.calls.clear();
    menu.CheckItem(101, true, false);  // not exclusive: only the id
    menu.CheckItem(999, true, true);   // in no group: simply set
    EXPECT_EQ(menu.calls, (Calls{{101, true}, {999, true}}));
}

TEST(MenuRadioGroupsTable, FullGroupRefusesTheThirteenthId) {
    RecordingMenu menu;
    for (int i = 0; i < MenuRadioGroups::kSlotsPerGroup; ++i)
        ASSERT_TRUE(menu.AddToGroup(7, 200 + i));
    EXPECT_FALSE(menu.AddToGroup(7, 300));
    EXPECT_EQ(menu.FindGroup(300), -1);
    EXPECT_TRUE(menu.AddToGroup(6, 300));
    EXPECT_TRUE(menu.AddToGroup(1, 300));
    EXPECT_EQ(menu.FindGroup(300), 1);  // the first group holding it
    EXPECT_FALSE(menu.AddToGroup(8, 400));
    EXPECT_FALSE(menu.AddToGroup(6, 0));  // 0 marks an empty slot
    EXPECT_EQ(menu.FindGroup(0), -1);

    menu.SetGroupChecked(7, true);  // all twelve in slot order
    ASSERT_EQ(menu.calls.size(), 12u);
    EXPECT_EQ(menu.calls.back().first, 211);
    menu.calls.clear();
    menu.SetGroupChecked(4, true);  // empty
    menu.SetGroupChecked(9, true);  // no such group
    EXPECT_TRUE(menu.calls.empty());
}

}  // namespace
}  // namespace mrv
