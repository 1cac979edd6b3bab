// Loads every cursor, icon and bitmap of the resource fragment back through
// USER32/GDI32 and checks what the painters and the pointer code rely on:
// sizes, hot spots, monochrome cursors, the stripe rule of the frame tiles as a
// pattern brush really paints it, and a distinct picture for every tool button.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

// Inclusive bounding box of the visible pixels of a cursor.
struct Box {
    int left, top, right, bottom;
};

enum class Px { kClear, kBlack, kWhite, kInvert };

// The two masks of a monochrome cursor, read back from the loaded handle: the
// mask bitmap is 32 x 64 with the AND mask on top and the XOR mask below.
struct CursorPixels {
    POINT hotSpot{};
    bool icon = true;
    bool hasColour = false;
    int maskWidth = 0, maskHeight = 0;
    Px at[32][32]{};

    Box Bounds() const {
        Box b{32, 32, -1, -1};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (at[y][x] != Px::kClear) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x);
                    b.bottom = std::max(b.bottom, y);
                }
        return b;
    }
    int Count(Px kind) const {
        int n = 0;
        for (const auto& row : at)
            for (Px p : row) n += p == kind;
        return n;
    }
};

// 1-bpp rows of a bitmap, top-down, 4-byte aligned.
std::vector<uint8_t> MonoBits(HBITMAP bitmap, int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    const int stride = ((width + 31) / 32) * 4;
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * height);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, height, bits.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(lines, height);
    return bits;
}

// 32-bit BGRA pixels of a bitmap, top-down.
std::vector<uint32_t> ColourBits(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(lines, height);
    return bits;
}

CursorPixels LoadCursorPixels(int id) {
    CursorPixels c;
    HANDLE cursor = LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 32, 32, 0);
    EXPECT_NE(cursor, nullptr) << "cursor " << id;
    if (!cursor) return c;
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(static_cast<HCURSOR>(cursor), &info));
    c.hotSpot = POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    c.icon = info.fIcon != FALSE;
    c.hasColour = info.hbmColor != nullptr;
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof bm, &bm);
    c.maskWidth = bm.bmWidth;
    c.maskHeight = bm.bmHeight;
    if (bm.bmWidth == 32 && bm.bmHeight == 64) {
        const std::vector<uint8_t> bits = MonoBits(info.hbmMask, 32, 64);
        auto bit = [&](int x, int y) { return (bits[y * 4 + x / 8] >> (7 - x % 8)) & 1; };
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int andBit = bit(x, y), xorBit = bit(x, y + 32);
                c.at[y][x] = andBit ? (xorBit ? Px::kInvert : Px::kClear)
                                    : (xorBit ? Px::kWhite : Px::kBlack);
            }
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(static_cast<HCURSOR>(cursor));
    return c;
}

struct CursorCase {
    int id;
    POINT hotSpot;
    Box bounds;  // expected visible extent; right/bottom inclusive
    Px atHotSpot;
};

// Hands are free-form; their extent is only required to hold the hot spot.
constexpr Box kFree{-1, -1, -1, -1};

const CursorCase kCursors[] = {
    {115, {8, 8}, {0, 0, 16, 16}, Px::kClear},  // crosshair, hollow centre
    {128, {2, 2}, {0, 0, 4, 4}, Px::kClear},    // small plus, hollow centre
    {105, {7, 7}, {0, 0, 14, 14}, Px::kBlack},  // lower left - upper right
    {106, {3, 9}, {0, 0, 6, 18}, Px::kBlack},   // vertical
    {107, {7, 7}, {0, 0, 14, 14}, Px::kBlack},  // upper left - lower right
    {108, {9, 3}, {0, 0, 18, 6}, Px::kBlack},   // horizontal
    {104, {8, 8}, {0, 0, 16, 16}, Px::kBlack},  // four-way
    {102, {9, 9}, kFree, Px::kWhite},           // open hand: inside the palm
    {103, {9, 9}, kFree, Px::kWhite},           // closed hand
    {110, {9, 6}, kFree, Px::kBlack},           // pointing hand: the finger tip
};

TEST(ArtworkCursors, MonochromeWithTableHotSpotsAndExtents) {
    for (const CursorCase& k : kCursors) {
        SCOPED_TRACE(k.id);
        const CursorPixels c = LoadCursorPixels(k.id);
        EXPECT_FALSE(c.icon);
        EXPECT_FALSE(c.hasColour);  // black and white only
        ASSERT_EQ(c.maskWidth, 32);
        ASSERT_EQ(c.maskHeight, 64);
        EXPECT_EQ(c.hotSpot.x, k.hotSpot.x);
        EXPECT_EQ(c.hotSpot.y, k.hotSpot.y);
        EXPECT_EQ(c.Count(Px::kInvert), 0);
        EXPECT_GT(c.Count(Px::kBlack), 0);
        EXPECT_GT(c.Count(Px::kWhite), 0);  // an outline, so it shows on dark screens too
        EXPECT_EQ(c.at[k.hotSpot.y][k.hotSpot.x], k.atHotSpot);
        const Box b = c.Bounds();
        if (k.bounds.left >= 0) {
            EXPECT_EQ(b.left, k.bounds.left);
            EXPECT_EQ(b.top, k.bounds.top);
            EXPECT_EQ(b.right, k.bounds.right);
            EXPECT_EQ(b.bottom, k.bounds.bottom);
        } else {
            EXPECT_LT(b.left, k.hotSpot.x);
            EXPECT_GT(b.right, k.hotSpot.x);
            EXPECT_LE(b.top, k.hotSpot.y);
            EXPECT_GT(b.bottom, k.hotSpot.y);
        }
    }
}

TEST(ArtworkCursors, ShapesTellTheirRolesApart) {
    const CursorPixels crosshair = LoadCursorPixels(115);
    // The thin lines run through the hot spot's row and column; only the
    // centre pixel is left open.
    for (int i = 0; i <= 16; ++i) {
        if (i == 8) continue;
        EXPECT_EQ(crosshair.at[8][i], Px::kBlack) << i;
        EXPECT_EQ(crosshair.at[i][8], Px::kBlack) << i;
    }
    // The two diagonal double arrows are mirror images, not the same picture.
    const CursorPixels rising = LoadCursorPixels(105), falling = LoadCursorPixels(107);
    EXPECT_EQ(rising.at[1][13], Px::kBlack);  // head at the upper right
    EXPECT_EQ(rising.at[1][1], Px::kClear);
    EXPECT_EQ(falling.at[1][1], Px::kBlack);  // head at the upper left
    EXPECT_EQ(falling.at[1][13], Px::kClear);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x <= 14; ++x) EXPECT_EQ(rising.at[y][x], falling.at[y][14 - x]);
    // Horizontal and vertical arrows are each other's transpose.
    const CursorPixels across = LoadCursorPixels(108), upDown = LoadCursorPixels(106);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_EQ(across.at[y][x], upDown.at[x][y]);
    // The grabbing hand is not the open hand.
    const CursorPixels open = LoadCursorPixels(102), closed = LoadCursorPixels(103);
    EXPECT_NE(std::memcmp(open.at, closed.at, sizeof open.at), 0);
    EXPECT_LT(closed.Bounds().bottom - closed.Bounds().top,
              open.Bounds().bottom - open.Bounds().top);
    // The pointing finger's tip is the topmost pixel of its cursor.
    EXPECT_EQ(LoadCursorPixels(110).Bounds().top, 6);
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::vector<GroupEntry> IconGroup(int id) {
    std::vector<GroupEntry> entries;
    HRSRC res =
        FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    if (!res) return entries;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    WORD type = 0, count = 0;
    std::memcpy(&type, data + 2, 2);
    std::memcpy(&count, data + 4, 2);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(SizeofResource(nullptr, res), 6u + 14u * count);
    for (WORD i = 0; i < count; ++i) {
        GroupEntry e{};
        std::memcpy(&e, data + 6 + 14 * i, sizeof e);
        entries.push_back(e);
    }
    return entries;
}

struct IconPixels {
    int width = 0, height = 0, bitsPixel = 0;
    std::vector<uint32_t> bgra;
    uint8_t Alpha(int x, int y) const { return bgra[y * width + x] >> 24; }
};

IconPixels LoadIconPixels(int id, int size) {
    IconPixels p;
    HANDLE icon = LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
    EXPECT_NE(icon, nullptr) << id << " at " << size;
    if (!icon) return p;
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        p.width = bm.bmWidth;
        p.height = bm.bmHeight;
        p.bitsPixel = bm.bmBitsPixel;
        p.bgra = ColourBits(info.hbmColor, bm.bmWidth, bm.bmHeight);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(static_cast<HICON>(icon));
    return p;
}

TEST(ArtworkIcons, ApplicationIconHasEverySizeWithAlpha) {
    std::set<int> sizes;
    for (const GroupEntry& e : IconGroup(109)) {
        sizes.insert(e.width == 0 ? 256 : e.width);
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.bitCount, 32);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const IconPixels p = LoadIconPixels(109, size);
        ASSERT_EQ(p.width, size);
        ASSERT_EQ(p.height, size);
        // Rounded corners are see-through, the middle is solid.
        EXPECT_EQ(p.Alpha(0, 0), 0);
        EXPECT_EQ(p.Alpha(size - 1, size - 1), 0);
        EXPECT_EQ(p.Alpha(size / 2, size / 2), 255);
        EXPECT_EQ(p.Alpha(size / 2, 0), 255);
    }
}

TEST(ArtworkIcons, MenuCheckMarkIs14PixelsAndDrawsDarkOnItsGutter) {
    const std::vector<GroupEntry> group = IconGroup(134);
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0].width, 14);
    EXPECT_EQ(group[0].height, 14);

    HICON icon =
        static_cast<HICON>(LoadImageW(Self(), MAKEINTRESOURCEW(134), IMAGE_ICON, 14, 14, 0));
    ASSERT_NE(icon, nullptr);
    // Draw it the way the menu does, onto its grey gutter.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 14, -14, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(target, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all{0, 0, 14, 14};
    HBRUSH grey = CreateSolidBrush(RGB(0xCC, 0xCC, 0xCC));
    FillRect(dc, &all, grey);
    DeleteObject(grey);
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, 14, 14, 0, nullptr, DI_NORMAL));
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    int dark = 0, untouched = 0;
    for (int i = 0; i < 14 * 14; ++i) {
        const uint32_t c = px[i] & 0xFFFFFF;
        dark += (c & 0xFF) < 0x60;
        untouched += c == 0xCCCCCC;
    }
    EXPECT_GT(dark, 14);       // a visible stroke
    EXPECT_GT(untouched, 98);  // on a mostly transparent square
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xCCCCCCu);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    DestroyIcon(icon);
}

// Paints a pattern brush into a 32-bit DIB with distinct text and background
// colours and returns the pixels, top-down.
std::vector<uint32_t> PaintPattern(HBITMAP tile, COLORREF text, COLORREF back, int w, int h) {
    std::vector<uint32_t> out;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!target) return out;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    HBRUSH brush = CreatePatternBrush(tile);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    PatBlt(dc, 0, 0, w, h, PATCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    out.assign(px, px + w * h);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    return out;
}

uint32_t DibPixel(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(ArtworkBitmaps, FrameTilesFollowTheSlotRuleInTheDcColours) {
    // The view loads 114, 112, 113, 111 into slots 0-3.
    const int slotIds[4] = {114, 112, 113, 111};
    const COLORREF fore = RGB(0xFF, 0x66, 0x66), back = RGB(0x10, 0x80, 0x20);
    for (int slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE(slot);
        HBITMAP tile = static_cast<HBITMAP>(
            LoadImageW(Self(), MAKEINTRESOURCEW(slotIds[slot]), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(tile, nullptr);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(tile, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 8);
        EXPECT_EQ(bm.bmHeight, 8);
        // Only a monochrome bitmap takes the DC's colours, which is how the
        // ring turns red and white while pinned.
        EXPECT_EQ(bm.bmBitsPixel, 1);
        const std::vector<uint32_t> px = PaintPattern(tile, fore, back, 16, 16);
        ASSERT_EQ(px.size(), 256u);
        int mismatches = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool light = ((x + y - 2 * slot) % 8 + 8) % 8 < 3;
                const uint32_t want = DibPixel(light ? back : fore);
                if ((px[y * 16 + x] & 0xFFFFFF) != want) ++mismatches;
            }
        EXPECT_EQ(mismatches, 0);
        DeleteObject(tile);
    }
}

TEST(ArtworkBitmaps, ToolStripHasADistinctPairForEveryButton) {
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(Self(), MAKEINTRESOURCEW(127), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(strip, nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(strip, sizeof bm, &bm));
    ASSERT_EQ(bm.bmWidth, 720);
    ASSERT_EQ(bm.bmHeight, 48);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    const std::vector<uint32_t> px = ColourBits(strip, 720, 48);
    DeleteObject(strip);
    // Each 24 x 24 cell as a comparable block: button i, row 0 normal, 1 highlighted.
    auto cell = [&](int i, int row) {
        std::vector<uint32_t> c;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                c.push_back(px[(row * 24 + y) * 720 + i * 24 + x] & 0xFFFFFF);
        return c;
    };
    std::set<std::vector<uint32_t>> normals, highlights;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const auto normal = cell(i, 0), lit = cell(i, 1);
        EXPECT_NE(normal, lit);
        normals.insert(normal);
        highlights.insert(lit);
    }
    EXPECT_EQ(normals.size(), 20u);
    EXPECT_EQ(highlights.size(), 20u);
    // The highlighted face has its own border, so hovering always shows.
    for (int i = 0; i < 20; ++i) {
        for (int k = 0; k < 24; ++k) {
            EXPECT_NE(cell(i, 0)[k], cell(i, 1)[k]) << i;            // top edge
            EXPECT_NE(cell(i, 0)[24 * k], cell(i, 1)[24 * k]) << i;  // left edge
        }
    }
}

}  // namespace
