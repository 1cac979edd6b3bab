// Fills the placeholders of a text loaded from the string table.
//
// The loaded texts keep their C-style "%s" and "%d" exactly as written, but
// they are never handed to a printf: a wide printf's "%s" means a narrow or a
// wide string depending on the C runtime, and a folder or file name that
// itself contains '%' must come out as typed. So the placeholders are filled
// here, in order, from texts the caller has already made.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace mrv {

// Each "%s" or "%d" takes the next argument (an empty text once they run
// out); "%%" is one '%'; any other '%' stays as it is. Arguments are copied
// verbatim, so a '%' inside one is never read as a placeholder.
[[nodiscard]] std::wstring FillPlaceholders(std::wstring_view pattern,
                                            std::initializer_list<std::wstring_view> arguments);

}  // namespace mrv
