// Every character the program draws in its interface face: the menu, the
// string table, the labels and tool tips, the settings dialog and its
// refusals, and the labels of the program's own message boxes. The interface
// face is chosen at start by having glyphs for all of them.
#pragma once

#include <windows.h>

#include <string>

namespace mrv {

// From the resources of `instance` (menu, strings, dialog) and the texts in
// the code. Resources that are missing are left out.
std::wstring ProgramCharacters(HINSTANCE instance);

}  // namespace mrv
