// Small geometry types shared by every subsystem.
//
// Rectangles are half-open: left/top inclusive, right/bottom exclusive.
//
//     (left, top) +--------------+
//                 |              |   width  = right - left
//                 |              |   height = bottom - top
//                 +--------------+ (right, bottom)   <- first pixel outside
//
// Conversions to and from RECT live only in Win32 code (base/Win32Geometry.h).
#pragma once

#include <algorithm>
#include <cstdint>

namespace mrv {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(Point a, Point b) { return !(a == b); }
};

struct Size {
    int width = 0;
    int height = 0;
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(Size a, Size b) { return a.width == b.width && a.height == b.height; }
    friend bool operator!=(Size a, Size b) { return !(a == b); }
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect FromXYWH(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    // Smallest rectangle holding both; an empty operand does not count.
    Rect Union(const Rect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return Rect{std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                    std::max(bottom, o.bottom)};
    }
    Rect Inflated(int dx, int dy) const { return Rect{left - dx, top - dy, right + dx, bottom + dy}; }
    Rect Offset(int dx, int dy) const { return Rect{left + dx, top + dy, right + dx, bottom + dy}; }

    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

// COLORREF layout: 0x00BBGGRR.
using Colour = std::uint32_t;
constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColourR(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int ColourG(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColourB(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

}  // namespace mrv
