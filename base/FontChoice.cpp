#include "base/FontChoice.h"

namespace mrv {

const std::vector<std::wstring_view>& PreferredInterfaceFaces() {
    static const std::vector<std::wstring_view> faces = {
        kDesignFace,           L"Yu Gothic UI", L"Meiryo UI",   L"MS Gothic", L"Noto Sans CJK JP",
        L"Source Han Sans JP", L"IPAGothic",    L"IPAexGothic", L"VL Gothic", L"TakaoGothic",
    };
    return faces;
}

void CharacterSet::Add(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c < L' ') continue;
        if (characters_.find(c) == std::wstring::npos) characters_.push_back(c);
    }
}

FaceChoice ChooseInterfaceFace(FontCatalogue& catalogue, std::wstring_view characters) {
    for (const std::wstring_view face : PreferredInterfaceFaces()) {
        if (catalogue.Shows(face, characters)) return FaceChoice{std::wstring(face), true};
    }
    for (const std::wstring& face : catalogue.ShiftJisFamilies()) {
        // "@" names the same family turned for vertical writing.
        if (face.empty() || face[0] == L'@') continue;
        if (catalogue.Shows(face, characters)) return FaceChoice{face, true};
    }
    return FaceChoice{std::wstring(kDesignFace), false};
}

}  // namespace mrv
