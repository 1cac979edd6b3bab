// Which family the interface is drawn in, chosen by what it can show.
//
// The program's texts are Japanese. A face name that is not installed makes
// GDI pick some other family, and if that one has no Japanese glyphs every
// text becomes a row of empty boxes. So the family is chosen once at start:
// the first of a short preference list that is installed and has a glyph for
// every character the program draws, else any family that reports the
// Shift-JIS character set and has them, else the old name with a notice.
// The system calls are the caller's (base/InterfaceFont_win.h); this half is
// the rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mrv {

// The face the interface was designed in.
inline constexpr std::wstring_view kDesignFace = L"MS UI Gothic";

// Japanese interface families, best first: the design face, the UI faces of
// later Windows versions, then families a Linux desktop offers under Wine.
const std::vector<std::wstring_view>& PreferredInterfaceFaces();

// Every distinct character of the texts added, in the order first met.
// Controls (below U+0020: line breaks, tabs) are left out: they are never
// drawn as glyphs.
class CharacterSet {
public:
    void Add(std::wstring_view text);
    const std::wstring& Characters() const { return characters_; }

private:
    std::wstring characters_;
};

// What the choice needs from the system.
class FontCatalogue {
public:
    virtual ~FontCatalogue() = default;
    // The family is installed and has a glyph for every character given.
    virtual bool Shows(std::wstring_view face, std::wstring_view characters) = 0;
    // Installed families that report the Shift-JIS character set.
    virtual std::vector<std::wstring> ShiftJisFamilies() = 0;
};

struct FaceChoice {
    std::wstring face{kDesignFace};
    bool legible = true;  // false: nothing installed shows the texts
};

// The preference list first, then the Shift-JIS families in the order given
// (vertical "@" variants skipped), else the design face, not legible.
FaceChoice ChooseInterfaceFace(FontCatalogue& catalogue, std::wstring_view characters);

// Said once, in the first-run message's place, when no family showed the
// texts: ASCII, since no Japanese glyph is to be had.
inline constexpr std::wstring_view kNoJapaneseFontNotice =
    L"No Japanese font was found on this system, so the texts of MORVANTE "
    L"show as empty boxes.\n\nInstall a Japanese font (for example MS UI Gothic, "
    L"Meiryo UI, Noto Sans CJK JP or IPAGothic) and start the program again.";

}  // namespace mrv
