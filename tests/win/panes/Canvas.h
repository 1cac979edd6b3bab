// A 32-bit top-down DIB section to paint into and read back as COLORREFs.
// Selected into its own memory DC, or left loose for painters that select it
// themselves (the frozen picture, the icon strip).
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Geometry.h"
#include "view/Draw_win.h"

namespace mrv::test {

class Canvas {
public:
    Canvas(int width, int height, Colour fill = 0xFFFFFF, bool selected = true) : width_(width) {
        BITMAPINFO info{};
        InitBitmapHeader(info.bmiHeader, width, -height, 32);  // top-down
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = selected ? SelectObject(dc_, bitmap_) : nullptr;
        for (int i = 0; i < width * height; ++i) bits_[i] = Pixel(fill);
    }
    ~Canvas() {
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    void Set(int x, int y, Colour c) { bits_[y * width_ + x] = Pixel(c); }
    Colour At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    static std::uint32_t Pixel(Colour c) {
        return static_cast<std::uint32_t>(ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c));
    }
    int width_;
    HBITMAP bitmap_;
    std::uint32_t* bits_;
    HDC dc_;
    HGDIOBJ previous_;
};

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour Grey(int v) {
    return MakeColour(v, v, v);
}

}  // namespace mrv::test
