// The drawing kit under GDI: boxes paint exactly their pixels, surfaces give
// back what they borrowed on every path, handle owners free what they hold,
// DIB records survive a failed creation, and the header, font and tray
// records are filled as stated.
#include <gtest/gtest.h>

#include <string>

#include "Canvas.h"
#include "view/Draw_win.h"

namespace mrv {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;

TEST(Boxes, FrameBoxPaintsExactlyTheOutermostPixelsAndFillBoxTheWholeBox) {
    test::Canvas canvas(20, 16);
    FrameBox(canvas.Dc(), 3, 4, 7, 5, kRed);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inBox = x >= 3 && x < 10 && y >= 4 && y < 9;
            const bool edge = inBox && (x == 3 || x == 9 || y == 4 || y == 8);
            ASSERT_EQ(canvas.At(x, y), edge ? kRed : kWhite) << x << "," << y;
        }
    }
    canvas.Fill(kWhite);
    FrameBox(canvas.Dc(), 2, 2, 1, 1, kRed);  // a 1 x 1 frame is its one pixel
    EXPECT_EQ(canvas.At(2, 2), kRed);
    EXPECT_EQ(canvas.At(3, 2), kWhite);

    canvas.Fill(kWhite);
    FillBox(canvas.Dc(), 5, 6, 3, 2, 0x123456);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool in = x >= 5 && x < 8 && y >= 6 && y < 8;
            ASSERT_EQ(canvas.At(x, y), in ? 0x123456u : kWhite) << x << "," << y;
        }
    }
}

// Whether `bitmap` is free to be selected (a bitmap lives in one DC at most).
bool Selectable(HBITMAP bitmap) {
    HDC probe = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(probe, bitmap);
    const bool ok = previous != nullptr && previous != HGDI_ERROR;
    if (ok) SelectObject(probe, previous);
    DeleteDC(probe);
    return ok;
}

TEST(SurfaceScope, SelectReleaseAndReselectGiveBackTheBorrowedBitmap) {
    test::LooseBitmap a(4, 4), b(4, 4);
    test::Canvas target(4, 4);

    Surface never;
    never.Release();  // nothing selected: nothing happens
    never.Release();
    EXPECT_EQ(never.Dc(), nullptr);

    {
        Surface s;
        ASSERT_EQ(s.Select(target.Dc(), a.Get()), 1);
        EXPECT_FALSE(Selectable(a.Get()));
        ASSERT_EQ(s.Select(target.Dc(), b.Get()), 1);  // a goes back before its DC goes
        EXPECT_TRUE(Selectable(a.Get()));
        EXPECT_FALSE(Selectable(b.Get()));

        Surface moved(std::move(s));
        EXPECT_EQ(s.Dc(), nullptr);
        EXPECT_NE(moved.Dc(), nullptr);
    }  // the scope's end releases
    EXPECT_TRUE(Selectable(b.Get()));

    // A bitmap held by another DC cannot be borrowed: the surface stays
    // released rather than drawing from its empty default bitmap.
    Surface holder;
    ASSERT_EQ(holder.Select(target.Dc(), a.Get()), 1);
    Surface second;
    EXPECT_EQ(second.Select(target.Dc(), a.Get()), 0);
    EXPECT_EQ(second.Dc(), nullptr);
    EXPECT_EQ(second.Select(target.Dc(), nullptr), 0);
}

TEST(HandleOwners, OwnersDeleteOnResetMoveAndScopeEndAndGuardsRestore) {
    HBRUSH raw = CreateSolidBrush(kRed);
    {
        UniqueBrush first(raw);
        UniqueBrush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        EXPECT_NE(GetObjectType(raw), 0u);
    }
    EXPECT_EQ(GetObjectType(raw), 0u);

    UniquePen pen(CreatePen(PS_SOLID, 1, kRed));
    HPEN penRaw = pen.get();
    pen.reset(CreatePen(PS_SOLID, 1, kWhite));
    EXPECT_EQ(GetObjectType(penRaw), 0u);
    HPEN kept = pen.release();
    EXPECT_FALSE(pen);
    EXPECT_NE(GetObjectType(kept), 0u);
    DeleteObject(kept);

    test::Canvas canvas(2, 2);
    HGDIOBJ before = GetCurrentObject(canvas.Dc(), OBJ_BRUSH);
    UniqueBrush brush(CreateSolidBrush(kRed));
    {
        SelectGuard guard(canvas.Dc(), brush.get());
        EXPECT_TRUE(guard.Selected());
        EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_BRUSH), brush.get());
    }
    EXPECT_EQ(GetCurrentObject(canvas.Dc(), OBJ_BRUSH), before);
}

TEST(BitmapRecords, HeaderStridesAndDibCreationFailureAndReuse) {
    BITMAPINFOHEADER h{};
    EXPECT_EQ(InitBitmapHeader(h, 5, 7, 24), 16);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, 7);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 16u * 7);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(InitBitmapHeader(h, 5, 7, 8), 8);
    EXPECT_EQ(InitBitmapHeader(h, 100000, 100000, 24), -1);
    EXPECT_EQ(h.biWidth, 0);

    DibRecord record;
    EXPECT_EQ(record.info.bmiHeader.biBitCount, 24);
    ASSERT_EQ(CreateDib(record, nullptr, 5, 3), 1);
    EXPECT_TRUE(record.bitmap);
    EXPECT_NE(record.bits, nullptr);
    EXPECT_EQ(record.stride, 16);
    // Bottom-up: the top image row is the last in memory.
    const ShadowPixels pixels = DibPixels(record);
    EXPECT_EQ(pixels.data, static_cast<std::uint8_t*>(record.bits) + 2 * 16);
    EXPECT_EQ(pixels.stride, -16);
    HBITMAP first = record.bitmap.get();

    EXPECT_EQ(CreateDib(record, nullptr, 60000, 60000), 0);  // 10 GB: refused
    EXPECT_FALSE(record.bitmap);
    EXPECT_EQ(record.bits, nullptr);
    EXPECT_EQ(GetObjectType(first), 0u);  // the old bitmap was deleted
    EXPECT_EQ(DibPixels(record).data, nullptr);
    EXPECT_EQ(CreateDib(record, nullptr, 0, 4), 0);

    ASSERT_EQ(CreateDib(record, nullptr, 4, 4), 1);  // usable again
    EXPECT_EQ(record.stride, 12);
    ResetDib(record);
    EXPECT_FALSE(record.bitmap);
    EXPECT_EQ(record.info.bmiHeader.biWidth, 0);
    EXPECT_EQ(record.info.bmiHeader.biBitCount, 24);
}

TEST(Records, FontSpecAndTrayIconData) {
    LOGFONTW font;
    InitFontSpec(font, L"MS UI Gothic", 12);
    EXPECT_EQ(font.lfHeight, 12);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfCharSet, 1);
    EXPECT_EQ(font.lfPitchAndFamily, 1);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"MS UI Gothic");
    InitFontSpec(font, std::wstring(40, L'x'), 12);
    EXPECT_EQ(std::wstring(font.lfFaceName).size(), 31u);

    NOTIFYICONDATAW data;
    HWND window = reinterpret_cast<HWND>(0x1234);
    InitTrayIconData(data, window, 0, nullptr, 0x447, L"左クリックでキャプチャ");
    EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(data.hWnd, window);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 0x447u);
    EXPECT_EQ(std::wstring(data.szTip), L"左クリックでキャプチャ");
    InitTrayIconData(data, window, 0, nullptr, 0x447, std::wstring(100, L'y'));
    EXPECT_EQ(std::wstring(data.szTip).size(), 63u);
}

}  // namespace
}  // namespace mrv
