#include "base/InterfaceFont_win.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace mrv {
namespace {

FaceChoice& Resolved() {
    static FaceChoice choice;
    return choice;
}

bool SameFace(std::wstring_view a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

int CALLBACK CountFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM families) {
    auto* list = reinterpret_cast<std::vector<std::wstring>*>(families);
    const std::wstring face = font->lfFaceName;
    // A family comes once per script and style; keep the first.
    if (std::find(list->begin(), list->end(), face) == list->end()) list->push_back(face);
    return 1;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

BOOL CALLBACK CollectControlText(HWND control, LPARAM set) {
    reinterpret_cast<CharacterSet*>(set)->Add(WindowText(control));
    return TRUE;
}

BOOL CALLBACK SetControlFont(HWND control, LPARAM font) {
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

}  // namespace

void SetFaceName(LOGFONTW& spec, std::wstring_view face) {
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, spec.lfFaceName);
    spec.lfFaceName[n] = L'\0';
}

bool FontShowsAll(HDC dc, HFONT font, std::wstring_view characters) {
    if (dc == nullptr || font == nullptr) return false;
    if (characters.empty()) return true;
    HGDIOBJ previous = SelectObject(dc, font);
    if (previous == nullptr || previous == HGDI_ERROR) return false;
    std::vector<WORD> glyphs(characters.size());
    const DWORD done = GetGlyphIndicesW(dc, characters.data(), static_cast<int>(characters.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    if (done == GDI_ERROR || done != characters.size()) return false;
    return std::find(glyphs.begin(), glyphs.end(), static_cast<WORD>(0xFFFF)) == glyphs.end();
}

GdiFontCatalogue::GdiFontCatalogue() : dc_(CreateCompatibleDC(nullptr)) {}

GdiFontCatalogue::~GdiFontCatalogue() {
    if (dc_ != nullptr) DeleteDC(dc_);
}

bool GdiFontCatalogue::Shows(std::wstring_view face, std::wstring_view characters) {
    if (dc_ == nullptr || face.empty()) return false;
    LOGFONTW spec{};
    spec.lfHeight = 12;
    spec.lfCharSet = DEFAULT_CHARSET;
    SetFaceName(spec, face);
    HFONT font = CreateFontIndirectW(&spec);
    if (font == nullptr) return false;
    bool installed = false;
    HGDIOBJ previous = SelectObject(dc_, font);
    wchar_t actual[LF_FACESIZE] = {};
    if (GetTextFaceW(dc_, LF_FACESIZE, actual) > 0) installed = SameFace(face, actual);
    SelectObject(dc_, previous);
    if (!installed) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        SetFaceName(wanted, face);
        EnumFontFamiliesExW(dc_, &wanted, CountFamily, reinterpret_cast<LPARAM>(&installed), 0);
    }
    const bool shows = installed && FontShowsAll(dc_, font, characters);
    DeleteObject(font);
    return shows;
}

std::vector<std::wstring> GdiFontCatalogue::ShiftJisFamilies() {
    std::vector<std::wstring> families;
    if (dc_ == nullptr) return families;
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    EnumFontFamiliesExW(dc_, &wanted, CollectFamily, reinterpret_cast<LPARAM>(&families), 0);
    return families;
}

const FaceChoice& ResolveInterfaceFace(std::wstring_view characters) {
    GdiFontCatalogue catalogue;
    Resolved() = ChooseInterfaceFace(catalogue, characters);
    return Resolved();
}

const FaceChoice& InterfaceFace() {
    return Resolved();
}

HFONT AdoptInterfaceFontIfNeeded(HWND dialog) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    CharacterSet texts;
    EnumChildWindows(dialog, CollectControlText, reinterpret_cast<LPARAM>(&texts));
    HDC dc = GetDC(dialog);
    const bool legible = FontShowsAll(dc, font, texts.Characters());
    ReleaseDC(dialog, dc);
    if (legible) return nullptr;

    LOGFONTW spec{};
    if (font == nullptr || GetObjectW(font, sizeof spec, &spec) == 0) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            return nullptr;
        spec = metrics.lfMessageFont;
    }
    spec.lfCharSet = DEFAULT_CHARSET;
    SetFaceName(spec, InterfaceFace().face);
    HFONT adopted = CreateFontIndirectW(&spec);
    if (adopted == nullptr) return nullptr;
    // Only the controls take it: dialog units were turned into pixels from
    // the template's font when the dialog was made, and the dialog keeps
    // (and at the end deletes) that font as its own.
    EnumChildWindows(dialog, SetControlFont, reinterpret_cast<LPARAM>(adopted));
    return adopted;
}

}  // namespace mrv
