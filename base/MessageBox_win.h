// The program's message boxes. MessageBoxW draws its text in the system's
// message font; where that font has no glyphs for the text (a system without
// Japanese fonts linked to it, a plain Wine prefix) the text would be empty
// boxes, so the program shows a box of its own instead, in the interface
// face: same text, caption, icon and buttons, Enter and Esc as in a system
// box, and the same answers (IDOK, IDCANCEL, ...).
#pragma once

#include <windows.h>

#include <string_view>

namespace mrv {

// Whether the system's message font has a glyph for every character.
bool SystemMessageFontShows(std::wstring_view text);

// MessageBoxW where the system's message font shows the text, else
// ShowOwnMessageBox. Same arguments and answers as MessageBoxW.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// The program's own box, modal to `owner`. The type's button set, default
// button and icon are honoured; other flags are not. Falls back to
// MessageBoxW when the box cannot be made.
int ShowOwnMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

}  // namespace mrv
