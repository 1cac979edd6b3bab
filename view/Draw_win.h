// The drawing kit every painter uses: move-only owners for GDI handles, a
// guard that puts back what it replaced in a DC, the scoped memory DC
// (`Surface`), solid boxes, the font description, bitmap headers with the
// 24-bit DIB record built on them, and the task-tray icon record.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string_view>
#include <utility>

#include "base/Geometry.h"
#include "view/Draw.h"
#include "view/PaneShadow.h"

namespace mrv {

// A handle and the call that frees it. Copying is deleted so that a handle
// has exactly one owner; moving hands it over.
template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    [[nodiscard]] Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle h = nullptr) {
        if (handle_ != nullptr && handle_ != h) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = nullptr;
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    static void Close(HDC h) { DeleteDC(h); }
};

using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniquePen = UniqueHandle<HPEN, GdiObjectTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits>;
// A DC from CreateCompatibleDC or CreateDC (not GetDC: that one is released).
using UniqueDc = UniqueHandle<HDC, MemoryDcTraits>;

// Selects an object into a DC and puts the previous one back when it ends.
// It keeps the DC with the previous object, so the restore always reaches the
// DC it came from. A failed selection restores nothing.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object)
        : dc_(dc),
          previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() { Restore(); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    SelectGuard(SelectGuard&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          previous_(std::exchange(other.previous_, nullptr)) {}
    SelectGuard& operator=(SelectGuard&&) = delete;

    bool Selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }
    void Restore() {
        if (dc_ != nullptr && Selected()) SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Saves a DC's drawing state (modes, colours, selected objects) and restores
// it when it ends, so a painter leaves the DC as it found it.
class DcStateGuard {
public:
    explicit DcStateGuard(HDC dc) : dc_(dc), saved_(dc != nullptr ? SaveDC(dc) : 0) {}
    ~DcStateGuard() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A memory DC that borrows one GDI object (a bitmap to read from or draw
// into) for a scope; it does not own the object. The usual pattern: select
// the bitmap against the destination DC, blit between Dc() and the
// destination, and let the scope end put everything back.
class Surface {
public:
    Surface() = default;
    ~Surface() { Release(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&& other) noexcept
        : previous_(std::exchange(other.previous_, nullptr)),
          dc_(std::exchange(other.dc_, nullptr)) {}
    Surface& operator=(Surface&& other) noexcept {
        if (this != &other) {
            Release();
            previous_ = std::exchange(other.previous_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }

    // Releases first, then makes a memory DC compatible with `referenceDC`
    // and selects `object` into it. 1 on success; 0 leaves the surface
    // released (also when the object could not be selected, for instance a
    // bitmap that is selected into another DC, so that nothing is drawn from
    // the DC's empty default bitmap).
    int Select(HDC referenceDC, HGDIOBJ object);
    // Puts the previous object back into the DC and deletes the DC. Safe to
    // call repeatedly.
    void Release();

    HDC Dc() const { return dc_; }

private:
    HGDIOBJ previous_ = nullptr;
    HDC dc_ = nullptr;
};

// Solid box (x, y, width, height); the brush is made and deleted per call.
void FillBox(HDC dc, int x, int y, int width, int height, Colour colour);
// The same box's outermost pixels: a 1-pixel frame.
void FrameBox(HDC dc, int x, int y, int width, int height, Colour colour);

// A plain font: cell height `height` pixels (positive), weight 400, default
// character set, the given face (cut to the field's 31 characters).
void InitFontSpec(LOGFONTW& spec, std::wstring_view faceName, int height);

// Uncompressed header for width x height (positive height: bottom-up) at
// bitCount bits; returns the row stride, or -1 when the image size would not
// fit (the header is then left for a 0 x 0 image).
int InitBitmapHeader(BITMAPINFOHEADER& header, int width, int height, int bitCount);

// A 24-bit bottom-up DIB section with its header: the top row of the image is
// the last row in memory. Owns its bitmap.
struct DibRecord {
    BITMAPINFO info{};  // header + one palette entry, never used at 24 bits
    UniqueBitmap bitmap;
    void* bits = nullptr;  // owned by the DIB section
    int width = 0;
    int height = 0;
    int stride = 0;

    DibRecord();
    DibRecord(const DibRecord&) = delete;
    DibRecord& operator=(const DibRecord&) = delete;
    DibRecord(DibRecord&&) noexcept = default;
    DibRecord& operator=(DibRecord&&) noexcept = default;
};

// Makes the record's DIB section width x height at 24 bits (deleting the old
// one first). 0 on failure: no bitmap, the old width, height and stride kept,
// and the record ready for another try.
int CreateDib(DibRecord& record, HDC referenceDC, int width, int height);
// Deletes the bitmap; header 0 x 0 x 24; no bits.
void ResetDib(DibRecord& record);
// The record's pixels as a writable block (top row first); empty without a
// bitmap. Call GdiFlush before reading what GDI drew.
ShadowPixels DibPixels(const DibRecord& record);

// The task-tray icon record in its first and shortest layout: window, id,
// icon, callback message and tip valid (the tip cut to 63 characters).
void InitTrayIconData(NOTIFYICONDATAW& data, HWND window, UINT id, HICON icon, UINT callbackMessage,
                      std::wstring_view tip);

}  // namespace mrv
