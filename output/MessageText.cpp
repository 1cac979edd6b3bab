#include "output/MessageText.h"

namespace mrv {

std::wstring FillPlaceholders(std::wstring_view pattern,
                              std::initializer_list<std::wstring_view> arguments) {
    std::wstring text;
    text.reserve(pattern.size());
    auto next = arguments.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        const wchar_t following = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (c != L'%') {
            text.push_back(c);
        } else if (following == L'%') {
            text.push_back(L'%');
            ++i;
        } else if (following == L's' || following == L'd') {
            if (next != arguments.end()) text.append(*next++);
            ++i;
        } else {
            text.push_back(c);
        }
    }
    return text;
}

}  // namespace mrv
