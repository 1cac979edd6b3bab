// A 32-bit top-down DIB section selected into a memory DC: painters draw
// into it and the test reads the pixels back as COLORREF values.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Geometry.h"

namespace mrv::test {

class Canvas {
public:
    Canvas(int width, int height, Colour fill = 0xFFFFFF) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row 0 first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    void Fill(Colour c) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = ToPixel(c);
    }
    void Set(int x, int y, Colour c) { bits_[y * width_ + x] = ToPixel(c); }
    Colour At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    static std::uint32_t ToPixel(Colour c) {
        return (static_cast<std::uint32_t>(ColourR(c)) << 16) |
               (static_cast<std::uint32_t>(ColourG(c)) << 8) |
               static_cast<std::uint32_t>(ColourB(c));
    }
    int width_;
    int height_;
    HBITMAP bitmap_;
    std::uint32_t* bits_;
    HDC dc_;
    HGDIOBJ previous_;
};

// A bitmap that is not selected anywhere (a DIB section filled by the test),
// for painters that select it themselves.
class LooseBitmap {
public:
    LooseBitmap(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
    }
    ~LooseBitmap() { DeleteObject(bitmap_); }
    LooseBitmap(const LooseBitmap&) = delete;
    LooseBitmap& operator=(const LooseBitmap&) = delete;

    HBITMAP Get() const { return bitmap_; }
    void Set(int x, int y, Colour c) {
        bits_[y * width_ + x] = (static_cast<std::uint32_t>(ColourR(c)) << 16) |
                                (static_cast<std::uint32_t>(ColourG(c)) << 8) | ColourB(c);
    }
    Colour At(int x, int y) const {
        GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    HBITMAP bitmap_;
    std::uint32_t* bits_;
};

}  // namespace mrv::test
