// The snapshot's pixels are read where they lie in its DIB section.
#include <gtest/gtest.h>

#include "OutputTestSupport.h"
#include "imaging/Image.h"
#include "output/SnapshotPixels_win.h"

namespace mrv {
namespace {

Colour ViewColour(const imaging::PixelView& v, int x, int y) {
    const std::uint8_t* p = v.Row(y) + x * v.BytesPerPixel();
    return MakeColour(p[2], p[1], p[0]);
}

TEST(SnapshotPixels, TheSectionIsReadInPlaceAndCutToTheRectangle) {
    test::Snapshot snapshot(40, 30);
    const imaging::PixelView v = ViewOfDibSection(snapshot.Bitmap());
    ASSERT_EQ(v.format, imaging::PixelFormat::kBgrx32);
    ASSERT_EQ(v.stride, 40 * 4);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(ViewColour(v, x, y), snapshot.At(x, y));

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, snapshot.Bitmap());
    imaging::ImagePtr image(CreateImageFromDC(dc, 5, 7, 13, 9));
    const imaging::PixelView cut = imaging::GetBgrView(image.get());
    ASSERT_EQ(cut.width, 13);
    ASSERT_EQ(cut.height, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(ViewColour(cut, x, y), snapshot.At(5 + x, 7 + y));
    EXPECT_EQ(CreateImageFromDC(dc, 30, 0, 11, 5), nullptr) << "past the right edge";
    EXPECT_EQ(CreateImageFromDC(dc, -1, 0, 5, 5), nullptr);

    // A device-dependent bitmap has no bits to point at.
    HDC screen = GetDC(nullptr);
    HBITMAP device = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(ViewOfDibSection(device).data, nullptr);
    SelectObject(dc, device);
    EXPECT_EQ(CreateImageFromDC(dc, 0, 0, 2, 2), nullptr);
    SelectObject(dc, old);
    DeleteObject(device);
    DeleteDC(dc);
}

}  // namespace
}  // namespace mrv
