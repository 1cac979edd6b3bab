#include "OutputTestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace mrv::test {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
int Le16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}
std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// A masked component widened to 0-255 the usual way (v * 255 / max, rounded).
int Expand(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const std::uint32_t max = mask >> shift;
    const std::uint32_t v = (pixel & mask) >> shift;
    return static_cast<int>((v * 255 + max / 2) / max);
}

}  // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"mrv-output-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::vector<std::wstring> TempFolder::Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size())
            bytes.clear();
    }
    CloseHandle(h);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(h);
    return ok;
}

Colour PatternColour(int x, int y) {
    return MakeColour((x * 7 + y * 3) & 0xFF, (y * 11 + 40) & 0xFF, (x * 5 + y * y) & 0xFF);
}

Colour FewColours(int x, int y) {
    return PatternColour((x / 4) % 4 * 16, (y / 4) % 4 * 16);
}

Snapshot::Snapshot(int width, int height, Colour (*colour)(int, int)) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    bits_ = pixels;
    if (pixels == nullptr) return;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = colour(x, y);
            // B, G, R, and a fourth byte that must not matter.
            pixels[y * width + x] = static_cast<std::uint32_t>(ColourB(c)) |
                                    static_cast<std::uint32_t>(ColourG(c)) << 8 |
                                    static_cast<std::uint32_t>(ColourR(c)) << 16 | 0xA5000000u;
        }
    }
}

Snapshot::~Snapshot() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

Colour Snapshot::At(int x, int y) const {
    const std::uint32_t p = bits_[y * width_ + x];
    return MakeColour((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

DecodedDib DecodeDib(const std::uint8_t* dib, std::size_t size) {
    DecodedDib d;
    if (size < 40) return d;
    const std::uint32_t headerSize = Le32(dib);
    d.width = static_cast<int>(Le32(dib + 4));
    d.height = static_cast<int>(Le32(dib + 8));
    d.bitCount = Le16(dib + 14);
    d.compression = static_cast<int>(Le32(dib + 16));
    const int height = std::abs(d.height);
    if (headerSize < 40 || d.width <= 0 || height == 0 || d.width > 100000 || height > 100000)
        return d;
    std::size_t offset = headerSize;
    std::vector<Colour> palette;
    if (d.bitCount == 16 || d.bitCount == 32) {
        if (d.compression == BI_BITFIELDS) {
            if (headerSize == 40) {
                if (size < 52) return d;
                offset += 12;
            }
            for (int i = 0; i < 3; ++i) d.masks[i] = Le32(dib + 40 + 4 * i);
        } else if (d.bitCount == 16) {
            d.masks[0] = 0x7C00;
            d.masks[1] = 0x03E0;
            d.masks[2] = 0x001F;
        } else {
            d.masks[0] = 0xFF0000;
            d.masks[1] = 0x00FF00;
            d.masks[2] = 0x0000FF;
        }
    } else if (d.bitCount == 8) {
        const std::uint32_t used = Le32(dib + 32);
        d.colours = used == 0 ? 256 : static_cast<int>(used);
        if (d.colours > 256 || size < offset + 4u * static_cast<unsigned>(d.colours)) return d;
        for (int i = 0; i < d.colours; ++i) {
            const std::uint8_t* q = dib + offset + 4 * i;
            palette.push_back(MakeColour(q[2], q[1], q[0]));
        }
        offset += 4u * static_cast<unsigned>(d.colours);
    } else if (d.bitCount != 24) {
        return d;
    }
    const std::size_t stride = (static_cast<std::size_t>(d.width) * d.bitCount + 31) / 32 * 4;
    if (size < offset + stride * static_cast<std::size_t>(height)) return d;
    d.pixels.resize(static_cast<std::size_t>(d.width) * height);
    for (int y = 0; y < height; ++y) {
        const int stored = d.height > 0 ? height - 1 - y : y;
        const std::uint8_t* row = dib + offset + stride * static_cast<std::size_t>(stored);
        for (int x = 0; x < d.width; ++x) {
            Colour c = 0;
            switch (d.bitCount) {
                case 24:
                    c = MakeColour(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                    break;
                case 32:
                case 16: {
                    const std::uint32_t p = d.bitCount == 32
                                                ? Le32(row + 4 * x)
                                                : static_cast<std::uint32_t>(Le16(row + 2 * x));
                    c = MakeColour(Expand(p, d.masks[0]), Expand(p, d.masks[1]),
                                   Expand(p, d.masks[2]));
                    break;
                }
                default:
                    if (row[x] >= palette.size()) return d;
                    c = palette[row[x]];
                    break;
            }
            d.pixels[static_cast<std::size_t>(y * d.width + x)] = c;
        }
    }
    d.ok = true;
    return d;
}

DecodedDib DecodeBmpFile(const std::vector<std::uint8_t>& file) {
    if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return DecodedDib{};
    if (Le32(file.data() + 2) != file.size()) return DecodedDib{};
    const std::uint32_t pixelOffset = Le32(file.data() + 10);
    DecodedDib d = DecodeDib(file.data() + 14, file.size() - 14);
    // The rows must start where the file header says they do.
    const std::size_t headerBytes = Le32(file.data() + 14) +
                                    (d.compression == BI_BITFIELDS ? 12u : 0u) +
                                    4u * static_cast<unsigned>(d.colours);
    if (pixelOffset != 14 + headerBytes) d.ok = false;
    return d;
}

PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    PngHeader h;
    if (file.size() < 33 || !std::equal(kSignature, kSignature + 8, file.begin())) return h;
    if (Be32(&file[8]) != 13 || std::string(file.begin() + 12, file.begin() + 16) != "IHDR")
        return h;
    h.width = static_cast<int>(Be32(&file[16]));
    h.height = static_cast<int>(Be32(&file[20]));
    h.bitDepth = file[24];
    h.colourType = file[25];
    // The file must also end with its IEND chunk: a cut-off file fails.
    h.ok = std::string(file.end() - 8, file.end() - 4) == "IEND";
    return h;
}

JpegFrame ReadJpegFrame(const std::vector<std::uint8_t>& file) {
    JpegFrame f;
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return f;
    if (file[file.size() - 2] != 0xFF || file[file.size() - 1] != 0xD9) return f;  // EOI
    std::size_t i = 2;
    while (i + 4 <= file.size() && file[i] == 0xFF) {
        const int marker = file[i + 1];
        const std::size_t length = static_cast<std::size_t>(file[i + 2] << 8 | file[i + 3]);
        if (marker == 0xC0) {
            if (i + 2 + length > file.size() || length < 8) return f;
            f.height = file[i + 5] << 8 | file[i + 6];
            f.width = file[i + 7] << 8 | file[i + 8];
            f.components = file[i + 9];
            f.ok = true;
            return f;
        }
        if (marker == 0xDA) return f;  // scan reached without a baseline frame
        i += 2 + length;
    }
    return f;
}

}  // namespace mrv::test
