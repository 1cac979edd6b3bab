// The interface face, resolved once at start by what the installed fonts can
// show (base/FontChoice.h), and the fonts made in it.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "base/FontChoice.h"

namespace mrv {

// Whether `font`, selected into `dc`, has a glyph for every character.
bool FontShowsAll(HDC dc, HFONT font, std::wstring_view characters);

// The fonts GDI knows. A face counts as installed when the font made for it
// reports that face (GDI gives some other family for an unknown name, while
// a font substitute still answers to its own name), or when the family
// enumeration knows the name (a localised family name).
class GdiFontCatalogue final : public FontCatalogue {
public:
    GdiFontCatalogue();
    ~GdiFontCatalogue() override;
    GdiFontCatalogue(const GdiFontCatalogue&) = delete;
    GdiFontCatalogue& operator=(const GdiFontCatalogue&) = delete;

    bool Shows(std::wstring_view face, std::wstring_view characters) override;
    std::vector<std::wstring> ShiftJisFamilies() override;

private:
    HDC dc_;
};

// Chooses the face for `characters` and keeps it for InterfaceFace().
const FaceChoice& ResolveInterfaceFace(std::wstring_view characters);
// The face resolved at start; the design face until then.
const FaceChoice& InterfaceFace();

// Puts `face` into the description, cut to LF_FACESIZE - 1 characters.
void SetFaceName(LOGFONTW& spec, std::wstring_view face);

// When the font of `dialog` cannot show the texts of its controls: the same
// font in the interface face, set on every control (the dialog itself draws
// no text). The dialog's size and the controls' places stay as the
// template's dialog units made them. Returns the new font (the caller deletes it once the dialog is
// gone), or null when the dialog's own font shows everything.
HFONT AdoptInterfaceFontIfNeeded(HWND dialog);

}  // namespace mrv
