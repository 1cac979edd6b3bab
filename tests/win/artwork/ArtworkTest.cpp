// The program's cursors, icons and bitmaps loaded back through USER32/GDI32:
// sizes, hot spots, the frame tiles' stripes as a pattern brush paints them
// and a distinct picture for every tool button.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "resources/resource.h"

namespace {

HANDLE Load(int id, UINT type, int size, UINT flags = 0) {
    return LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), type, size, size, flags);
}

enum Px : int { kBlack, kWhite, kClear, kInverted };  // AND bit * 2 + XOR bit

struct CursorCase {
    int id;
    DWORD hotX, hotY;
    RECT bounds;                // of the visible pixels
    int atHot, blackX, blackY;  // the pixel at the hot spot; one that tells the shape apart
};

const CursorCase kCursors[] = {
    {IDC_OUTSIDE, 8, 8, {0, 0, 17, 17}, kClear, 8, 0},  // crosshair, hollow centre
    {IDC_OUTSIDE_CORNER_SNAP, 2, 2, {0, 0, 5, 5}, kClear, 2, 0},
    {IDC_SIZE_NESW, 7, 7, {0, 0, 15, 15}, kBlack, 13, 1},  // head at the upper right
    {IDC_SIZE_NS, 3, 9, {0, 0, 7, 19}, kBlack, 3, 1},
    {IDC_SIZE_NWSE, 7, 7, {0, 0, 15, 15}, kBlack, 1, 1},  // head at the upper left
    {IDC_SIZE_WE, 9, 3, {0, 0, 19, 7}, kBlack, 1, 3},
    {IDC_FOUR_WAY, 8, 8, {0, 0, 17, 17}, kBlack, 8, 1},
    {IDC_MOVE_ZONE, 9, 9, {0, 0, 19, 20}, kWhite, 8, 0},     // hot spot inside the palm
    {IDC_MOVING, 9, 9, {2, 5, 18, 17}, kWhite, 5, 5},        // the closed hand is smaller
    {IDC_TOOL_BUTTON, 9, 6, {5, 6, 23, 24}, kBlack, 5, 13},  // at the finger tip
};

TEST(ArtworkCursors, MonochromeAt32WithTheHotSpotAndExtentOfTheirShape) {
    for (const CursorCase& k : kCursors) {
        SCOPED_TRACE(k.id);
        const auto cursor = static_cast<HCURSOR>(Load(k.id, IMAGE_CURSOR, 32));
        ICONINFO info{};
        ASSERT_TRUE(cursor && GetIconInfo(cursor, &info));
        EXPECT_TRUE(!info.fIcon && !info.hbmColor);  // a cursor, black and white only
        EXPECT_TRUE(info.xHotspot == k.hotX && info.yHotspot == k.hotY)
            << info.xHotspot << "," << info.yHotspot;
        uint8_t mask[32 * 64 / 8];  // 32 x 32 AND mask over the XOR mask, 4 bytes a row
        ASSERT_EQ(GetBitmapBits(info.hbmMask, sizeof mask, mask), LONG{sizeof mask});
        DeleteObject(info.hbmMask);
        DestroyCursor(cursor);
        RECT box{}, pixel{};
        int px[32][32], count[4]{};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int byte = y * 4 + x / 8, shift = 7 - x % 8;
                ++count[px[y][x] = (mask[byte] >> shift & 1) * 2 + (mask[byte + 128] >> shift & 1)];
                pixel = {x, y, x + 1, y + 1};
                if (px[y][x] != kClear) UnionRect(&box, &box, &pixel);
            }
        EXPECT_TRUE(EqualRect(&box, &k.bounds))
            << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        EXPECT_EQ(px[k.hotY][k.hotX], k.atHot);
        EXPECT_EQ(px[k.blackY][k.blackX], kBlack);
        // Outlined in white, so it shows on dark screens too; nothing inverts.
        EXPECT_TRUE(count[kBlack] && count[kWhite] && !count[kInverted]);
    }
}

// (width, height, bits per pixel) of each image of an icon group.
std::set<std::array<int, 3>> IconGroup(int id) {
    const auto* d = static_cast<const BYTE*>(LockResource(
        LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON))));
    std::set<std::array<int, 3>> images;  // 14-byte entries after a 6-byte header
    for (int i = 0, n = d ? d[4] : 0; i < n; ++i, d += 14)
        images.insert({d[6] ? d[6] : 256, d[7] ? d[7] : 256, d[12]});
    return images;
}

TEST(ArtworkIcons, ApplicationIconInFourSizesAndA14PixelCheckMark) {
    using Group = std::set<std::array<int, 3>>;
    EXPECT_EQ(IconGroup(IDI_APPLICATION_ICON),
              (Group{{16, 16, 32}, {32, 32, 32}, {48, 48, 32}, {256, 256, 32}}));
    EXPECT_EQ(IconGroup(IDI_CHECK_MARK), (Group{{14, 14, 32}}));
    for (int size : {16, 32, 48, 256})  // every image decodes
        EXPECT_TRUE(DestroyIcon(static_cast<HICON>(Load(IDI_APPLICATION_ICON, IMAGE_ICON, size))));
    EXPECT_TRUE(DestroyIcon(static_cast<HICON>(Load(IDI_CHECK_MARK, IMAGE_ICON, 14))));
}

TEST(ArtworkBitmaps, FrameTilesFollowTheSlotRuleInTheDcColours) {
    const int slotIds[4] = {IDB_FRAME_SLOT0, IDB_FRAME_SLOT1, IDB_FRAME_SLOT2, IDB_FRAME_SLOT3};
    const COLORREF fore = 0xFF20FF, back = 0x108010;  // red = blue: as a DIB pixel too
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* px = nullptr;
    HBITMAP target =
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&px), nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    SetTextColor(dc, fore);
    SetBkColor(dc, back);
    for (int slot = 0; slot < 4; ++slot) {  // a tile in colour would keep its own colours
        const auto tile = static_cast<HBITMAP>(Load(slotIds[slot], IMAGE_BITMAP, 0));
        HGDIOBJ oldBrush = SelectObject(dc, CreatePatternBrush(tile));
        PatBlt(dc, 0, 0, 16, 16, PATCOPY);
        DeleteObject(SelectObject(dc, oldBrush));
        DeleteObject(tile);
        GdiFlush();
        for (int i = 0; i < 256; ++i)  // (x + y - 2 * slot) mod 8 below 3 is light
            ASSERT_EQ(px[i] & 0xFFFFFF, (i % 16 + i / 16 - 2 * slot + 16) % 8 < 3 ? back : fore)
                << "slot " << slot << " at " << i % 16 << "," << i / 16;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
}

TEST(ArtworkBitmaps, ToolStripIs720By48WithADistinctPairForEveryButton) {
    const HANDLE strip = Load(IDB_TOOL_ICONS, IMAGE_BITMAP, 0, LR_CREATEDIBSECTION);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(strip, sizeof bm, &bm) && bm.bmBits);
    ASSERT_TRUE(bm.bmWidth == 720 && bm.bmHeight == 48 && bm.bmBitsPixel == 24);
    std::string cells[40];  // 24 x 24: two rows of 20 (normal and highlighted faces)
    for (int y = 0; y < 48; ++y)
        for (int i = 0; i < 20; ++i)
            cells[y / 24 * 20 + i].append(
                static_cast<const char*>(bm.bmBits) + y * bm.bmWidthBytes + i * 72, 72);
    EXPECT_EQ(std::set<std::string>(cells, cells + 40).size(), 40u);
    DeleteObject(strip);
}

TEST(ArtworkBitmaps, ScaledToolStripsHaveTheSameLayoutAtOneAndAHalfAndTwiceTheSize) {
    // 30 x 2 cells of 36 and of 48, 40 distinct faces, and each cell's
    // top-left pixel (its border, normal or highlighted) that of the same
    // cell of the 1x strip: no cell shifted, no row swapped.
    const HANDLE small = Load(IDB_TOOL_ICONS, IMAGE_BITMAP, 0, LR_CREATEDIBSECTION);
    BITMAP one{};
    ASSERT_TRUE(GetObjectW(small, sizeof one, &one) && one.bmBits);
    for (const auto& [id, cell] : {std::pair{IDB_TOOL_ICONS_150, 36}, {IDB_TOOL_ICONS_200, 48}}) {
        const HANDLE strip = Load(id, IMAGE_BITMAP, 0, LR_CREATEDIBSECTION);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(strip, sizeof bm, &bm) && bm.bmBits) << id;
        ASSERT_TRUE(bm.bmWidth == 30 * cell && bm.bmHeight == 2 * cell && bm.bmBitsPixel == 24);
        std::string cells[40];
        for (int y = 0; y < 2 * cell; ++y)
            for (int i = 0; i < 20; ++i)
                cells[y / cell * 20 + i].append(
                    static_cast<const char*>(bm.bmBits) + y * bm.bmWidthBytes + i * cell * 3,
                    cell * 3);
        EXPECT_EQ(std::set<std::string>(cells, cells + 40).size(), 40u) << id;
        // Bottom-up rows: the top-left pixel of cell i in row r (0 normal,
        // 1 highlighted) sits at DIB row height - 1 - r * cell.
        const auto Pixel = [](const BITMAP& b, int x, int y) {
            const auto* p = static_cast<const unsigned char*>(b.bmBits) +
                            (b.bmHeight - 1 - y) * b.bmWidthBytes + x * 3;
            return std::array<unsigned char, 3>{p[0], p[1], p[2]};
        };
        for (int r = 0; r < 2; ++r)
            for (int i = 0; i < 20; ++i)
                EXPECT_EQ(Pixel(bm, i * cell, r * cell), Pixel(one, i * 24, r * 24))
                    << id << " cell " << i << " row " << r;
        DeleteObject(strip);
    }
    DeleteObject(small);
}

}  // namespace
