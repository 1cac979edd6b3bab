// For the saving and clipboard tests: a scratch folder, a synthetic snapshot
// in a 32-bit top-down DIB section, and the tests' own readers for what the
// program writes, so a file only our own writer could read still fails.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Geometry.h"

namespace mrv::test {

// A fresh folder under the temporary directory (ends with "\"), removed with
// everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }
    std::vector<std::wstring> Names() const;  // what is directly inside, sorted

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& folder);
bool FileExists(const std::wstring& path);
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::vector<std::uint8_t> Bytes(const std::string& text);

// An asymmetric picture with a different colour in nearly every pixel, in a
// 32-bit top-down section whose fourth byte is not zero.
Colour PatternColour(int x, int y);
class Snapshot {
public:
    Snapshot(int width, int height);
    ~Snapshot() { DeleteObject(bitmap_); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    HBITMAP Bitmap() const { return bitmap_; }
    Colour At(int x, int y) const { return PatternColour(x, y); }

private:
    HBITMAP bitmap_ = nullptr;
};

// A packed DIB, or the DIB inside a BMP file: its header, masks and colour
// count, ok when its length matches them; for 24 bits also every pixel
// (0x00BBGGRR, top row first).
struct DecodedDib {
    bool ok = false;
    int width = 0, height = 0, bitCount = 0, compression = 0, colours = 0;
    std::uint32_t masks[3] = {};
    std::vector<Colour> pixels;
    Colour At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
DecodedDib DecodeDib(const std::uint8_t* dib, std::size_t size);
DecodedDib DecodeBmpFile(const std::vector<std::uint8_t>& file);

// PNG: IHDR's bit depth and colour type, ok when the file ends with IEND.
// JPEG: the baseline frame (SOF0), ok when the file runs from SOI to EOI.
struct FileHeader {
    bool ok = false;
    int width = 0, height = 0;
    int depth = 0;  // PNG bit depth; JPEG components
    int colourType = 0;
};
FileHeader ReadPngHeader(const std::vector<std::uint8_t>& file);
FileHeader ReadJpegFrame(const std::vector<std::uint8_t>& file);

}  // namespace mrv::test
