#include "OutputTestSupport.h"

#include <algorithm>
#include <cstdlib>

namespace mrv::test {
namespace {

std::uint32_t Le(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}
std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::vector<std::wstring> List(const std::wstring& folder, bool withFolders) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &f);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
        const std::wstring name = f.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool isFolder = (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        names.push_back(withFolders && isFolder ? name + L"\\" : name);
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
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
    return List(path_, false);
}

void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : List(folder, true)) {
        const std::wstring path = folder + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (name.back() == L'\\')
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<std::uint8_t> bytes(1 << 20);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    DWORD read = 0;
    if (h == INVALID_HANDLE_VALUE || !ReadFile(h, bytes.data(), 1 << 20, &read, nullptr)) read = 0;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = h != INVALID_HANDLE_VALUE &&
                    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok && written == bytes.size();
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

Colour PatternColour(int x, int y) {
    return MakeColour((x * 7 + y * 3) & 0xFF, (y * 11 + 40) & 0xFF, (x * 5 + y * y) & 0xFF);
}

Snapshot::Snapshot(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; pixels != nullptr && y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = PatternColour(x, y);  // B, G, R and a fourth byte that must not matter
            pixels[y * width + x] =
                static_cast<std::uint32_t>(ColourB(c) | ColourG(c) << 8 | ColourR(c) << 16) |
                0xA5000000u;
        }
    }
}

DecodedDib DecodeDib(const std::uint8_t* p, std::size_t n) {
    DecodedDib d;
    if (n < 52) return d;
    d.width = static_cast<int>(Le(p + 4, 4));
    d.height = static_cast<int>(Le(p + 8, 4));
    d.bitCount = static_cast<int>(Le(p + 14, 2));
    d.compression = static_cast<int>(Le(p + 16, 4));
    for (int i = 0; i < 3 && d.compression == BI_BITFIELDS; ++i) d.masks[i] = Le(p + 40 + 4 * i, 4);
    if (d.bitCount == 8) d.colours = Le(p + 32, 4) == 0 ? 256 : static_cast<int>(Le(p + 32, 4));
    const std::size_t offset = Le(p, 4) + (d.compression == BI_BITFIELDS ? 12 : 0) + 4 * d.colours;
    const std::size_t stride = (static_cast<std::size_t>(d.width) * d.bitCount + 31) / 32 * 4;
    const int height = std::abs(d.height);
    if (d.width <= 0 || d.width > 100000 || height == 0 || height > 100000 ||
        n < offset + stride * height)
        return d;
    for (int y = 0; d.bitCount == 24 && y < height; ++y) {
        const std::uint8_t* row = p + offset + stride * (d.height > 0 ? height - 1 - y : y);
        for (int x = 0; x < d.width; ++x)
            d.pixels.push_back(MakeColour(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    d.ok = true;
    return d;
}

DecodedDib DecodeBmpFile(const std::vector<std::uint8_t>& file) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M' || Le(&file[2], 4) != file.size())
        return DecodedDib{};
    DecodedDib d = DecodeDib(file.data() + 14, file.size() - 14);
    // The rows start where the file header says, and nothing follows them.
    const std::size_t header = 40 + (d.compression == BI_BITFIELDS ? 12 : 0) + 4 * d.colours;
    d.ok = d.ok && Le(&file[10], 4) == 14 + header;
    return d;
}

FileHeader ReadPngHeader(const std::vector<std::uint8_t>& f) {
    FileHeader h;
    const std::string head(f.begin(), f.begin() + std::min<std::size_t>(f.size(), 16));
    if (f.size() < 45 || head != std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16)) return h;
    h.width = static_cast<int>(Be32(&f[16]));
    h.height = static_cast<int>(Be32(&f[20]));
    h.depth = f[24];
    h.colourType = f[25];
    h.ok = std::string(f.end() - 8, f.end() - 4) == "IEND";
    return h;
}

FileHeader ReadJpegFrame(const std::vector<std::uint8_t>& f) {
    FileHeader h;
    if (f.size() < 4 || f[0] != 0xFF || f[1] != 0xD8 || f[f.size() - 2] != 0xFF ||
        f[f.size() - 1] != 0xD9)
        return h;
    for (std::size_t i = 2; i + 10 <= f.size() && f[i] == 0xFF && f[i + 1] != 0xDA;
         i += 2 + (f[i + 2] << 8 | f[i + 3])) {
        if (f[i + 1] == 0xC0) {
            h.height = f[i + 5] << 8 | f[i + 6];
            h.width = f[i + 7] << 8 | f[i + 8];
            h.depth = f[i + 9];
            h.ok = true;
            break;
        }
    }
    return h;
}

}  // namespace mrv::test
