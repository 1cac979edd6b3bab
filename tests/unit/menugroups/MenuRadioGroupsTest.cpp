// Menu check marks: the marks that follow the settings, the exclusive groups
// and the limits of the table.
#include <gtest/gtest.h>

#include <set>

#include "settings/MenuRadioGroups.h"

namespace mrv {
namespace {

using Ids = std::set<int>;

// Keeps the marked ids as a menu would show them.
struct RecordingMenu : MenuRadioGroups {
    Ids marked;
    void SetItemChecked(int id, bool checked) override {
        marked.erase(id);
        if (checked) marked.insert(id);
    }
};

TEST(MenuMarks, FollowTheSettingsOneGroupAtATime) {
    RecordingMenu menu;
    ASSERT_TRUE(AddFormatGroups(menu));
    menu.marked = {kIdTaskTray, kIdFormatJpeg, kIdBmp8, kIdPng24, kIdJpegLow};  // all cleared
    Settings s;
    RefreshMenuChecks(menu, s);
    EXPECT_EQ(menu.marked, (Ids{kIdZoomView, kIdFormatBmp, kIdBmp24, kIdPng8, kIdJpegStandard}));

    // Each variant of every group, the families in turn; the last is PNG.
    const int family[] = {kIdFormatBmp, kIdFormatPng, kIdFormatJpeg};
    const int bmp[] = {kIdBmp24, kIdBmp565, kIdBmp555, kIdBmp8};
    const int jpeg[] = {kIdJpegHigh, kIdJpegStandard, kIdJpegMedium, kIdJpegLow};
    for (int v = 0; v < 4; ++v) {
        s.imageFormat = std::uint8_t(0x10 * (1 + (v + 1) % 3) | v << 2);
        s.bmpVariant = std::uint8_t(v << 2);
        s.pngVariant = v == 0 ? kVariant24 : kVariant8;
        s.jpegVariant = std::uint8_t(v);
        RefreshMenuChecks(menu, s);
        const Ids want{kIdZoomView, family[(v + 1) % 3], bmp[v], v ? kIdPng8 : kIdPng24, jpeg[v]};
        EXPECT_EQ(menu.marked, want) << "variant " << v;
    }
    // A format code with no family (after a Save As with "All Files") leaves
    // the family mark as it was; 16-bit PNG has no item, so none is marked.
    s.imageFormat = kVariant565;
    s.pngVariant = kVariant565;
    s.zoomVisible = 0;
    s.inTaskTray = 5;  // any non-zero value is on
    RefreshMenuChecks(menu, s);
    EXPECT_EQ(menu.marked, (Ids{kIdTaskTray, kIdFormatPng, kIdBmp8, kIdJpegLow}));
}

// Exclusive and plain checks are covered by the marks above.
TEST(MenuRadioGroupsTable, AFullGroupRefusesAThirteenthId) {
    RecordingMenu menu;
    for (int i = 0; i < MenuRadioGroups::kSlotsPerGroup; ++i) {
        ASSERT_TRUE(menu.AddToGroup(7, 200 + i));
    }
    EXPECT_FALSE(menu.AddToGroup(7, 300));
    EXPECT_EQ(menu.FindGroup(300), -1);
    // Nor does a group out of 0-7, or id 0 (which marks an empty slot).
    EXPECT_FALSE(menu.AddToGroup(8, 300) || menu.AddToGroup(-1, 300) || menu.AddToGroup(6, 0));
    menu.SetGroupChecked(7, true);
    EXPECT_EQ(menu.marked.size(), 12u);
}

}  // namespace
}  // namespace mrv
