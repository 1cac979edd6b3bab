// Reads the texts out of a dialog template resource (the bytes of an
// RT_DIALOG entry), without making the dialog: the caption, the font's face
// and every control's title. Both layouts are read, DLGTEMPLATE (a DIALOG
// statement) and DLGTEMPLATEEX (DIALOGEX).
//
//   header | menu | class | caption | [point size, (weight, italic, charset,)
//   face] | controls, each DWORD-aligned: fixed part | class | title | extra
//
// Names are either a NUL-terminated UTF-16 string, 0x0000 (none), or 0xFFFF
// and a 16-bit ordinal (a numbered resource or a predefined control class).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mrv {

struct DialogTexts {
    std::wstring caption;
    std::wstring fontFace;  // empty without DS_SETFONT
    int pointSize = 0;
    std::vector<std::wstring> controls;  // titles given as text, in template order
};

// False when the bytes end inside the template; `texts` then holds what was
// read before.
[[nodiscard]] bool ReadDialogTexts(const std::uint8_t* data, std::size_t size, DialogTexts* texts);

}  // namespace mrv
