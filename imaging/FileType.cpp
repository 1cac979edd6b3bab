#include <cstddef>
#include <string_view>

#include "imaging/Image.h"

namespace mrv::imaging {
namespace {

template <typename Char>
FileType Classify(std::basic_string_view<Char> path) {
    // The extension is what follows the last dot of the last path component.
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == Char('/') || path[i] == Char('\\') || path[i] == Char(':')) {
            nameStart = i + 1;
        }
    }
    std::size_t dot = std::basic_string_view<Char>::npos;
    for (std::size_t i = nameStart; i < path.size(); ++i) {
        if (path[i] == Char('.')) dot = i;
    }
    if (dot == std::basic_string_view<Char>::npos) return FileType::kUnknown;

    char extension[5];
    const std::size_t length = path.size() - dot - 1;
    if (length == 0 || length > 4) return FileType::kUnknown;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = path[dot + 1 + i];
        if (c >= Char('A') && c <= Char('Z')) {
            extension[i] = static_cast<char>(c - Char('A') + 'a');
        } else if (c >= Char('a') && c <= Char('z')) {
            extension[i] = static_cast<char>(c);
        } else {
            return FileType::kUnknown;  // digits, non-ASCII letters: no type of ours
        }
    }
    const std::string_view ext(extension, length);
    if (ext == "bmp" || ext == "dib") return FileType::kBmp;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return FileType::kJpeg;
    if (ext == "png") return FileType::kPng;
    return FileType::kUnknown;
}

}  // namespace

FileType ClassifyFileName(std::string_view path) {
    return Classify(path);
}
FileType ClassifyFileName(std::wstring_view path) {
    return Classify(path);
}

}  // namespace mrv::imaging
