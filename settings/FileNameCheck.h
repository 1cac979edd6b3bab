// Whether a sequential base name can start a file name in the save folder.
//
// The base name is glued in front of the number and the extension:
//
//     C:\shots\  +  baseName  +  0042  +  .png
//
// so it must be a plain piece of one file name: no folder separators (a
// "..\up" would climb out of the save folder), no drive colon, none of the
// characters Windows refuses in names (most of them are wildcards of the
// folder listing too), no control characters. A name ending in a dot or a
// space, or made of nothing else, is refused as Windows would cut those off
// the end of a name; the device names (CON, NUL, COM1, ...) are refused with
// or without an extension, as Windows opens the device for them. An empty
// base name is allowed: the names are then just the numbers.
//
// One check serves the settings dialog (which names the refused character or
// device), the settings loader (which falls back to "img") and the save
// itself (which never builds a path from a refused name).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mrv {

enum class BaseNameProblem {
    kNone,
    kCharacter,         // `subject` is the refused character
    kReservedName,      // `subject` is the device name as typed ("con", "LPT1")
    kTrailingDotSpace,  // `subject` is the last character, "." or " "
};

struct BaseNameCheck {
    BaseNameProblem problem = BaseNameProblem::kNone;
    std::wstring subject;
    bool Accepted() const { return problem == BaseNameProblem::kNone; }
};

[[nodiscard]] BaseNameCheck CheckBaseName(std::wstring_view name);

// Whether `fileName` (name and extension) is one of the device names, which
// Windows opens as the device whatever extension follows.
[[nodiscard]] bool IsReservedFileName(std::wstring_view fileName);

// The characters of code page 932 bytes as far as the name rules care: ASCII
// as itself, half-width katakana at their Unicode places, and every other
// character (double-byte, or a byte the code page leaves undefined) as
// U+FFFD, which no rule refuses. A double-byte character is taken whole, so
// its trailing byte is never mistaken for "\" (0x5C) or "|" (0x7C).
[[nodiscard]] std::wstring Cp932AsNameCharacters(std::string_view bytes);

// The text the user sees for a refused base name (empty when accepted).
[[nodiscard]] std::wstring BaseNameRefusalText(const BaseNameCheck& check);

}  // namespace mrv
