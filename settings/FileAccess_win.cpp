#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "settings/FileAccess.h"

namespace mrv {
namespace {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        &wide[0], n);
    return wide;
}

}  // namespace

std::FILE* OpenFileForPath(const std::string& path, FileMode mode) {
    std::wstring wide = Widen(path);
    if (wide.empty()) return nullptr;  // empty or not valid UTF-8
    return _wfopen(wide.c_str(), mode == FileMode::kRead ? L"rb" : L"wb");
}

bool FlushFileToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

bool ReplaceFileAtomically(const std::string& source, const std::string& target) {
    std::wstring from = Widen(source);
    std::wstring to = Widen(target);
    if (from.empty() || to.empty()) return false;
    // rename() refuses an existing target on Windows; MoveFileEx replaces it
    // in one step, and WRITE_THROUGH returns only once the move is on disk.
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFileAtPath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (!wide.empty()) DeleteFileW(wide.c_str());
}

}  // namespace mrv
