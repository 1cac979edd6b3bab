#include "view/Draw_win.h"

#include <algorithm>
#include <cstring>

#include "base/Win32Geometry.h"

namespace mrv {

int Surface::Select(HDC referenceDC, HGDIOBJ object) {
    Release();
    HDC dc = CreateCompatibleDC(referenceDC);
    if (dc == nullptr) return 0;
    HGDIOBJ previous = object != nullptr ? SelectObject(dc, object) : nullptr;
    if (previous == nullptr || previous == HGDI_ERROR) {
        DeleteDC(dc);
        return 0;
    }
    dc_ = dc;
    previous_ = previous;
    return 1;
}

void Surface::Release() {
    if (dc_ != nullptr) {
        // The borrowed object must leave the DC before the DC goes, or it
        // would stay selected into a dead DC and could not be deleted.
        if (previous_ != nullptr) SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    dc_ = nullptr;
    previous_ = nullptr;
}

void FillBox(HDC dc, int x, int y, int width, int height, Colour colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    const RECT box = ToRECT(Rect::FromXYWH(x, y, width, height));
    FillRect(dc, &box, brush.get());
}

void FrameBox(HDC dc, int x, int y, int width, int height, Colour colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;
    const RECT box = ToRECT(Rect::FromXYWH(x, y, width, height));
    FrameRect(dc, &box, brush.get());
}

void InitFontSpec(LOGFONTW& spec, std::wstring_view faceName, int height) {
    spec = LOGFONTW{};
    spec.lfHeight = height;
    spec.lfWidth = 0;
    spec.lfEscapement = 0;
    spec.lfOrientation = 0;
    spec.lfWeight = FW_NORMAL;
    spec.lfItalic = FALSE;
    spec.lfUnderline = FALSE;
    spec.lfStrikeOut = FALSE;
    spec.lfCharSet = DEFAULT_CHARSET;
    spec.lfOutPrecision = OUT_DEFAULT_PRECIS;
    spec.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    spec.lfQuality = DEFAULT_QUALITY;
    spec.lfPitchAndFamily = FIXED_PITCH;
    const std::size_t n = std::min<std::size_t>(faceName.size(), LF_FACESIZE - 1);
    std::copy_n(faceName.data(), n, spec.lfFaceName);
    spec.lfFaceName[n] = L'\0';
}

int InitBitmapHeader(BITMAPINFOHEADER& header, int width, int height, int bitCount) {
    header = BITMAPINFOHEADER{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = BI_RGB;
    const int stride = DibStride(width, bitCount);
    const int imageSize = stride < 0 ? -1 : DibImageSize(stride, height);
    if (imageSize < 0) return -1;
    header.biWidth = width;
    header.biHeight = height;
    header.biSizeImage = static_cast<DWORD>(imageSize);
    return stride;
}

DibRecord::DibRecord() {
    InitBitmapHeader(info.bmiHeader, 0, 0, 24);
}

int CreateDib(DibRecord& record, HDC referenceDC, int width, int height) {
    ResetDib(record);
    if (width <= 0 || height <= 0) return 0;
    const int stride = InitBitmapHeader(record.info.bmiHeader, width, height, 24);
    if (stride < 0) {
        InitBitmapHeader(record.info.bmiHeader, 0, 0, 24);
        return 0;
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(referenceDC, &record.info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        InitBitmapHeader(record.info.bmiHeader, 0, 0, 24);
        return 0;
    }
    record.bitmap.reset(bitmap);
    record.bits = bits;
    record.width = width;
    record.height = height;
    record.stride = stride;
    return 1;
}

void ResetDib(DibRecord& record) {
    record.bitmap.reset();
    record.bits = nullptr;
    InitBitmapHeader(record.info.bmiHeader, 0, 0, 24);
}

ShadowPixels DibPixels(const DibRecord& record) {
    ShadowPixels p;
    if (!record.bitmap || record.bits == nullptr) return p;
    // Bottom-up: the image's top row is the last one in memory.
    auto* base = static_cast<std::uint8_t*>(record.bits);
    p.data = base + static_cast<std::ptrdiff_t>(record.height - 1) * record.stride;
    p.stride = -static_cast<std::ptrdiff_t>(record.stride);
    p.width = record.width;
    p.height = record.height;
    p.bytesPerPixel = 3;
    return p;
}

void InitTrayIconData(NOTIFYICONDATAW& data, HWND window, UINT id, HICON icon, UINT callbackMessage,
                      std::wstring_view tip) {
    data = NOTIFYICONDATAW{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = icon;
    // The first layout's tip field holds 64 characters with the terminator.
    const std::size_t n = std::min<std::size_t>(tip.size(), 63);
    std::copy_n(tip.data(), n, data.szTip);
    data.szTip[n] = L'\0';
}

}  // namespace mrv
