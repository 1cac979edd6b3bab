// Menu check-state groups with a recording menu: the marks that follow the
// settings, the exclusive groups, and the limits of the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "settings/MenuRadioGroups.h"
#include "settings/Settings.h"

namespace mrv {
namespace {

// Remembers every call and the resulting mark of each id, like a menu would.
class RecordingMenu : public MenuRadioGroups {
public:
    std::vector<std::pair<int, bool>> calls;
    std::map<int, bool> marks;

    bool Marked(int id) const {
        auto it = marks.find(id);
        return it != marks.end() && it->second;
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

    // Ids marked now, in ascending order.
    std::vector<int> Marked() const {
        std::vector<int> ids;
        for (const auto& [id, on] : menu.marks) {
            if (on) ids.push_back(id);
        }
        return ids;
    }

    RecordingMenu menu;
    Settings settings;
};

TEST_F(MenuMarks, GroupsHoldTheMenuIdsInSlotOrder) {
    EXPECT_EQ(menu.IdAt(0, 0), kIdFormatBmp);
    EXPECT_EQ(menu.IdAt(0, 2), kIdFormatJpeg);
    EXPECT_EQ(menu.IdAt(0, 3), 0);
    EXPECT_EQ(menu.IdAt(1, 3), kIdBmp8);
    EXPECT_EQ(menu.IdAt(2, 1), kIdPng8);
    EXPECT_EQ(menu.IdAt(3, 0), kIdJpegHigh);
    EXPECT_EQ(menu.FindGroup(kIdBmp555), 1);
    EXPECT_EQ(menu.FindGroup(kIdJpegLow), 3);
    EXPECT_EQ(menu.FindGroup(kIdZoomView), -1);
    EXPECT_EQ(menu.FindGroup(0), -1);  // 0 marks empty slots, it is no id
}

TEST_F(MenuMarks, DefaultsMarkBmpWith24BitPng8JpegStandardAndZoom) {
    RefreshMenuChecks(menu, settings);
    EXPECT_EQ(Marked(), Sorted({kIdZoomView, kIdFormatBmp, kIdBmp24, kIdPng8, kIdJpegStandard}));
    EXPECT_FALSE(menu.Marked(kIdTaskTray));
    ASSERT_TRUE(menu.marks.count(kIdTaskTray));  // explicitly cleared, not just left alone
}

TEST_F(MenuMarks, EveryVariantMovesOnlyItsOwnGroupsMark) {
    const int bmpIds[] = {kIdBmp24, kIdBmp565, kIdBmp555, kIdBmp8};
    const int jpegIds[] = {kIdJpegHigh, kIdJpegStandard, kIdJpegMedium, kIdJpegLow};
    for (int v = 0; v < 4; ++v) {
        settings.bmpVariant = static_cast<std::uint8_t>(v << 2);
        settings.jpegVariant = static_cast<std::uint8_t>(v);
        settings.pngVariant = v == 0 ? kVariant24 : kVariant8;
        settings.imageFormat = static_cast<std::uint8_t>(0x10 * (1 + v % 3) | (v << 2));
        RefreshMenuChecks(menu, settings);
        const int family[] = {kIdFormatBmp, kIdFormatPng, kIdFormatJpeg};
        EXPECT_EQ(Marked(), Sorted({kIdZoomView, family[v % 3], bmpIds[v],
                                    v == 0 ? kIdPng24 : kIdPng8, jpegIds[v]}))
            << "variant " << v;
    }
}

TEST_F(MenuMarks, ChoosingBmp555KeepsThePngAndJpegMarks) {
    settings.imageFormat = kFormatFamilyJpeg | 0x02;
    RefreshMenuChecks(menu, settings);
    settings.imageFormat = kFormatFamilyBmp | kVariant555;
    settings.bmpVariant = kVariant555;
    RefreshMenuChecks(menu, settings);
    EXPECT_EQ(Marked(), Sorted({kIdZoomView, kIdFormatBmp, kIdBmp555, kIdPng8, kIdJpegStandard}));
}

TEST_F(MenuMarks, FormatWithoutFamilyLeavesTheFamilyMarkAlone) {
    settings.imageFormat = kFormatFamilyPng | kVariant8;
    RefreshMenuChecks(menu, settings);
    settings.imageFormat = kVariant565;  // after a Save As with "All Files"
    menu.calls.clear();
    RefreshMenuChecks(menu, settings);
    EXPECT_TRUE(menu.Marked(kIdFormatPng));
    for (const auto& call : menu.calls) EXPECT_NE(menu.FindGroup(call.first), kFormatGroup);
}

TEST_F(MenuMarks, SixteenBitPngClearsThePngGroup) {
    RefreshMenuChecks(menu, settings);
    ASSERT_TRUE(menu.Marked(kIdPng8));
    for (std::uint8_t variant : {kVariant565, kVariant555}) {
        settings.pngVariant = variant;
        RefreshMenuChecks(menu, settings);
        EXPECT_FALSE(menu.Marked(kIdPng24));
        EXPECT_FALSE(menu.Marked(kIdPng8));
        EXPECT_TRUE(menu.Marked(kIdBmp24));  // other groups untouched
    }
}

TEST_F(MenuMarks, TogglesFollowTheirSettings) {
    settings.zoomVisible = 0;
    settings.inTaskTray = 5;  // any non-zero value is on
    RefreshMenuChecks(menu, settings);
    EXPECT_FALSE(menu.Marked(kIdZoomView));
    EXPECT_TRUE(menu.Marked(kIdTaskTray));
}

TEST(MenuRadioGroupsTable, ExclusiveCheckClearsTheGroupFirst) {
    RecordingMenu menu;
    ASSERT_TRUE(menu.AddToGroup(5, 101));
    ASSERT_TRUE(menu.AddToGroup(5, 102));
    EXPECT_EQ(menu.CheckItem(102, true, true), 1);
    EXPECT_EQ(menu.calls,
              (std::vector<std::pair<int, bool>>{{101, false}, {102, false}, {102, true}}));

    menu.calls.clear();
    EXPECT_EQ(menu.CheckItem(101, true, false), 1);  // not exclusive: only the id
    EXPECT_EQ(menu.CheckItem(999, true, true), 1);   // in no group: simply set
    EXPECT_EQ(menu.calls, (std::vector<std::pair<int, bool>>{{101, true}, {999, true}}));
}

TEST(MenuRadioGroupsTable, FullGroupRefusesTheThirteenthId) {
    RecordingMenu menu;
    for (int i = 0; i < MenuRadioGroups::kSlotsPerGroup; ++i) {
        ASSERT_TRUE(menu.AddToGroup(7, 200 + i));
    }
    EXPECT_FALSE(menu.AddToGroup(7, 300));
    EXPECT_EQ(menu.FindGroup(300), -1);
    EXPECT_TRUE(menu.AddToGroup(6, 300));  // other groups still have room
    EXPECT_FALSE(menu.AddToGroup(8, 400));
    EXPECT_FALSE(menu.AddToGroup(-1, 400));
    EXPECT_FALSE(menu.AddToGroup(6, 0));

    menu.SetGroupChecked(7, true);  // all twelve, in slot order
    ASSERT_EQ(menu.calls.size(), 12u);
    EXPECT_EQ(menu.calls.front().first, 200);
    EXPECT_EQ(menu.calls.back().first, 211);
    menu.calls.clear();
    menu.SetGroupChecked(4, true);  // empty group: nothing
    menu.SetGroupChecked(9, true);  // no such group: nothing
    EXPECT_TRUE(menu.calls.empty());
}

TEST(MenuRadioGroupsTable, FindGroupReturnsTheFirstGroupHoldingTheId) {
    RecordingMenu menu;
    ASSERT_TRUE(menu.AddToGroup(3, 77));
    ASSERT_TRUE(menu.AddToGroup(1, 77));
    EXPECT_EQ(menu.FindGroup(77), 1);
}

}  // namespace
}  // namespace mrv
