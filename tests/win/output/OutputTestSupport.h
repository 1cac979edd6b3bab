// Shared by the saving and clipboard tests: a scratch folder under the
// temporary directory, a synthetic snapshot held in a 32-bit top-down DIB
// section, and readers for the bytes of the files and DIBs the program
// writes. The decoders are the tests' own, so a file that only our own
// writer could read would still fail here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Geometry.h"

namespace mrv::test {

// A fresh, empty folder (path ends with "\") removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }
    // Names of the files directly inside, sorted.
    std::vector<std::wstring> Names() const;

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& folder);
bool FileExists(const std::wstring& path);
std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// An asymmetric picture, a different colour in nearly every pixel: the
// colour at (x, y) as 0x00BBGGRR.
Colour PatternColour(int x, int y);
// The same picture cut to 4 x 4 blocks of 16 colours in all, for the
// lossless 256-colour path.
Colour FewColours(int x, int y);

// A 32-bit top-down DIB section filled by `colour(x, y)`.
class Snapshot {
public:
    Snapshot(int width, int height, Colour (*colour)(int, int) = PatternColour);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    HBITMAP Bitmap() const { return bitmap_; }
    Colour At(int x, int y) const;

private:
    HBITMAP bitmap_ = nullptr;
    const std::uint32_t* bits_ = nullptr;
    int width_ = 0;
};

// A packed DIB or BMP file read back: header fields and every pixel as
// 0x00BBGGRR, expanded from whatever depth it has.
struct DecodedDib {
    bool ok = false;
    int width = 0;
    int height = 0;  // as stored: positive for bottom-up
    int bitCount = 0;
    int compression = 0;
    std::uint32_t masks[3] = {};
    int colours = 0;             // palette entries of an 8-bit DIB
    std::vector<Colour> pixels;  // top row first
    Colour At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
DecodedDib DecodeDib(const std::uint8_t* dib, std::size_t size);
DecodedDib DecodeBmpFile(const std::vector<std::uint8_t>& file);

struct PngHeader {
    bool ok = false;
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;  // 2 truecolour, 3 palette
};
PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file);

struct JpegFrame {
    bool ok = false;  // SOI then a baseline SOF0 frame
    int width = 0;
    int height = 0;
    int components = 0;
};
JpegFrame ReadJpegFrame(const std::vector<std::uint8_t>& file);

}  // namespace mrv::test
