// The snapshot's pixels are read where they lie in the DIB section, and the
// "create image from a device context" cut copies just the rectangle.
#include <gtest/gtest.h>

#include "OutputTestSupport.h"
#include "imaging/Image.h"
#include "output/SnapshotPixels_win.h"
#include "tests/win/support/GdiCount.h"

namespace mrv {
namespace {

Colour ViewColour(const imaging::PixelView& v, int x, int y) {
    const std::uint8_t* p = v.Row(y) + x * v.BytesPerPixel();
    return MakeColour(p[2], p[1], p[0]);
}

HBITMAP Section(int width, int height, int bitCount, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // negative: top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

TEST(ViewOfDibSection, ReadsSectionsInPlaceTopRowFirst) {
    test::Snapshot top(13, 7);
    const imaging::PixelView v = ViewOfDibSection(top.Bitmap());
    ASSERT_NE(v.data, nullptr);
    EXPECT_EQ(v.format, imaging::PixelFormat::kBgrx32);
    EXPECT_EQ(v.width, 13);
    EXPECT_EQ(v.height, 7);
    EXPECT_EQ(v.stride, 13 * 4);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(ViewColour(v, x, y), test::PatternColour(x, y));

    // A bottom-up 24-bit section, said to be one: the view still starts at
    // the top row.
    void* bits = nullptr;
    HBITMAP up = Section(5, 3, 24, &bits);
    ASSERT_NE(up, nullptr);
    auto* bytes = static_cast<std::uint8_t*>(bits);
    const int stride = 16;             // 15 bytes padded to 4
    bytes[2 * stride + 2] = 0x11;      // memory's last row is the picture's top row: red of (0, 0)
    bytes[0 * stride + 4 * 3] = 0x22;  // blue of (4, 2)
    const imaging::PixelView w = ViewOfDibSection(up, RowOrder::kBottomUp);
    ASSERT_NE(w.data, nullptr);
    EXPECT_EQ(w.format, imaging::PixelFormat::kBgr24);
    EXPECT_EQ(w.stride, -stride);
    EXPECT_EQ(ViewColour(w, 0, 0), MakeColour(0x11, 0, 0));
    EXPECT_EQ(ViewColour(w, 4, 2), MakeColour(0, 0, 0x22));
    DeleteObject(up);
}

TEST(ViewOfDibSection, RefusesWhatItCannotReadInPlace) {
    void* bits = nullptr;
    HBITMAP sixteen = Section(4, -4, 16, &bits);
    EXPECT_EQ(ViewOfDibSection(sixteen).data, nullptr);
    DeleteObject(sixteen);
    HDC screen = GetDC(nullptr);
    HBITMAP device = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(ViewOfDibSection(device).data, nullptr) << "a device bitmap has no bits to point at";
    DeleteObject(device);
    EXPECT_EQ(ViewOfDibSection(nullptr).data, nullptr);
}

void ExpectCut(imaging::Image* image, const test::Snapshot& source, int left, int top, int w,
               int h) {
    ASSERT_NE(image, nullptr);
    const imaging::ImageInfo info = imaging::GetImageInfo(image);
    ASSERT_EQ(info.width, w);
    ASSERT_EQ(info.height, h);
    const imaging::PixelView v = imaging::GetBgrView(image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(ViewColour(v, x, y), source.At(left + x, top + y)) << x << "," << y;
    imaging::ReleaseImage(image);
}

TEST(CreateImageFromDC, CutsTheRectangleFromASectionOrAnyOtherBitmap) {
    test::Snapshot snapshot(40, 30);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, snapshot.Bitmap());
    ExpectCut(CreateImageFromDC(dc, 5, 7, 13, 9), snapshot, 5, 7, 13, 9);
    ExpectCut(CreateImageFromDC(dc, 0, 0, 40, 30), snapshot, 0, 0, 40, 30);
    EXPECT_EQ(CreateImageFromDC(dc, 30, 0, 11, 5), nullptr) << "reaches past the right edge";
    EXPECT_EQ(CreateImageFromDC(dc, -1, 0, 5, 5), nullptr);
    EXPECT_EQ(CreateImageFromDC(dc, 0, 0, 0, 5), nullptr);

    // The same picture in a device-dependent bitmap goes through a copy of
    // the rectangle; the pixels must come out the same.
    HDC screen = GetDC(nullptr);
    HBITMAP device = CreateCompatibleBitmap(screen, 40, 30);
    HDC deviceDc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldDevice = SelectObject(deviceDc, device);
    BitBlt(deviceDc, 0, 0, 40, 30, dc, 0, 0, SRCCOPY);
    ExpectCut(CreateImageFromDC(deviceDc, 5, 7, 13, 9), snapshot, 5, 7, 13, 9);
    EXPECT_EQ(CreateImageFromDC(deviceDc, 35, 0, 6, 5), nullptr);

    // The copy path makes and frees its own section and DC every time.
    const unsigned long before = test::CountGdiObjects();
    for (int i = 0; i < 200; ++i)
        imaging::ReleaseImage(CreateImageFromDC(deviceDc, i % 20, 3, 17, 11));
    EXPECT_EQ(test::CountGdiObjects(), before);

    SelectObject(deviceDc, oldDevice);
    DeleteDC(deviceDc);
    DeleteObject(device);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(CreateImageFromDC(nullptr, 0, 0, 1, 1), nullptr);
}

}  // namespace
}  // namespace mrv
