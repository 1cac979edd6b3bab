// The drawing kit under GDI: exact frames, surfaces that give back what they
// borrowed, DIB records that survive a failed creation.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "view/Draw_win.h"

namespace mrv {
namespace {

TEST(DrawKit, FrameBoxPaintsExactlyTheOutermostPixels) {
    test::Canvas c(20, 16);
    FrameBox(c.Dc(), 3, 4, 7, 5, 0x0000FF);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 3 && x < 10 && y >= 4 && y < 9;
            const bool edge = in && (x == 3 || x == 9 || y == 4 || y == 8);
            ASSERT_EQ(c.At(x, y), edge ? 0x0000FFu : test::kWhite) << x << "," << y;
        }
    }
}

// A bitmap lives in one DC at most: selectable means no DC holds it.
bool Selectable(HBITMAP bitmap) {
    return Surface().Select(nullptr, bitmap) == 1;
}

TEST(DrawKit, SurfaceGivesBackWhatItBorrowedOnReselectAndScopeEnd) {
    test::Canvas a(4, 4, test::kWhite, false), b(4, 4, test::kWhite, false), held(4, 4);
    {
        Surface s;
        s.Release();  // never selected: nothing happens
        ASSERT_EQ(s.Select(nullptr, a.Bitmap()), 1);
        EXPECT_FALSE(Selectable(a.Bitmap()));
        ASSERT_EQ(s.Select(nullptr, b.Bitmap()), 1);  // a is out before its DC goes
        EXPECT_TRUE(Selectable(a.Bitmap()));
        EXPECT_FALSE(Selectable(b.Bitmap()));
        EXPECT_EQ(s.Select(nullptr, held.Bitmap()), 0);  // held elsewhere: stays released
        EXPECT_EQ(s.Dc(), nullptr);
        EXPECT_TRUE(Selectable(b.Bitmap()));
        ASSERT_EQ(s.Select(nullptr, b.Bitmap()), 1);
    }
    EXPECT_TRUE(Selectable(b.Bitmap()));
}

TEST(DrawKit, DibRecordAfterAFailedCreationHasNoBitmapAndStaysUsable) {
    DibRecord record;
    ASSERT_EQ(CreateDib(record, nullptr, 5, 3), 1);
    EXPECT_EQ(record.stride, 16);
    EXPECT_EQ(record.info.bmiHeader.biSizeImage, 48u);
    HBITMAP first = record.bitmap.get();
    EXPECT_EQ(CreateDib(record, nullptr, 60000, 60000), 0);  // size overflows
    EXPECT_FALSE(record.bitmap);
    EXPECT_EQ(GetObjectType(first), 0u);  // the old bitmap was deleted
    ASSERT_EQ(CreateDib(record, nullptr, 4, 4), 1);
    EXPECT_EQ(DibPixels(record).data, static_cast<std::uint8_t*>(record.bits) + 3 * 12);
}

}  // namespace
}  // namespace mrv
