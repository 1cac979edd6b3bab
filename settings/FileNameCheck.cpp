#include "settings/FileNameCheck.h"

#include <cstdio>

namespace mrv {
namespace {

constexpr wchar_t kOtherCharacter = L'\xFFFD';

bool IsControl(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsRefusedCharacter(wchar_t c) {
    switch (c) {
        case L'\\':
        case L'/':
        case L':':
        case L'*':
        case L'?':
        case L'"':
        case L'<':
        case L'>':
        case L'|':
            return true;
        default:
            return IsControl(c);
    }
}

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// The part of a name Windows compares with the device names: up to the
// first dot, without the spaces before it ("con .txt" is CON).
std::wstring_view DeviceStem(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    return stem;
}

bool IsDeviceName(std::wstring_view stem) {
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (SameIgnoringAsciiCase(stem, device)) return true;
    if (stem.size() != 4 || stem[3] < L'1' || stem[3] > L'9') return false;
    return SameIgnoringAsciiCase(stem.substr(0, 3), L"COM") ||
           SameIgnoringAsciiCase(stem.substr(0, 3), L"LPT");
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

}  // namespace

BaseNameCheck CheckBaseName(std::wstring_view name) {
    BaseNameCheck check;
    for (wchar_t c : name) {
        if (IsRefusedCharacter(c)) {
            check.problem = BaseNameProblem::kCharacter;
            check.subject.assign(1, c);
            return check;
        }
    }
    if (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
        check.problem = BaseNameProblem::kTrailingDotSpace;
        check.subject.assign(1, name.back());
        return check;
    }
    const std::wstring_view stem = DeviceStem(name);
    if (IsDeviceName(stem)) {
        check.problem = BaseNameProblem::kReservedName;
        check.subject.assign(stem);
    }
    return check;
}

bool IsReservedFileName(std::wstring_view fileName) {
    return IsDeviceName(DeviceStem(fileName));
}

std::wstring Cp932AsNameCharacters(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text.push_back(static_cast<wchar_t>(b));
        } else if (b >= 0xA1 && b <= 0xDF) {
            text.push_back(static_cast<wchar_t>(0xFF61 + (b - 0xA1)));
        } else {
            // A lead byte takes its trailing byte along; a lead byte without
            // a valid one stands alone, and the byte after it is read afresh.
            if (IsLeadByte(b) && i + 1 < bytes.size() &&
                IsTrailByte(static_cast<unsigned char>(bytes[i + 1])))
                ++i;
            text.push_back(kOtherCharacter);
        }
    }
    return text;
}

std::wstring BaseNameRefusalText(const BaseNameCheck& check) {
    switch (check.problem) {
        case BaseNameProblem::kCharacter: {
            std::wstring shown = check.subject;
            if (!shown.empty() && IsControl(shown[0])) {
                wchar_t code[16];
                std::swprintf(code, 16, L"U+%04X", static_cast<unsigned>(shown[0]));
                shown = L"制御文字 " + std::wstring(code);
            }
            return L"連番保存名に，ファイル名に使えない文字「" + shown +
                   L"」が含まれています．\n\\ / : * ? \" < > | と制御文字は使えません．";
        }
        case BaseNameProblem::kReservedName:
            return L"「" + check.subject +
                   L"」は Windows のデバイス名なので，連番保存名には使えません．";
        case BaseNameProblem::kTrailingDotSpace:
            // Windows drops dots and spaces from the end of a name.
            return std::wstring(L"連番保存名の最後に") +
                   (check.subject == L"." ? L"ピリオド「.」" : L"空白「 」") + L"は使えません．";
        case BaseNameProblem::kNone:
            break;
    }
    return std::wstring();
}

}  // namespace mrv
