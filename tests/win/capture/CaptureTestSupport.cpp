#include "CaptureTestSupport.h"

#include <fstream>
#include <iterator>

namespace mrv::test {
namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &f);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
        const std::wstring name = f.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path + L"\\");
        else
            DeleteFileW(path.c_str());
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    RemoveDirectoryW(folder.c_str());
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"mrv-capture-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::vector<std::wstring> ScratchFolder::Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &f);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
        if ((f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(f.cFileName);
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader h;
    if (file.size() < 8 + 8 + 13 || !std::equal(kSignature, kSignature + 8, file.begin()) ||
        std::string(file.begin() + 12, file.begin() + 16) != "IHDR")
        return h;
    h.width = static_cast<int>(BigEndian32(&file[16]));
    h.height = static_cast<int>(BigEndian32(&file[20]));
    h.depth = file[24];
    h.colourType = file[25];
    h.ok = true;
    return h;
}

Colour PictureColour(int x, int y) {
    return MakeColour(0x20 + (x * 7) % 200, 0x20 + (y * 11) % 200, 0x30 + ((x + y) * 5) % 180);
}

}  // namespace mrv::test
