// What any loaded record must give when a save turns it into sequential
// paths: names inside the save folder, never a refused base name. Shared by
// the naming tests and the fuzz harness, so it must not depend on GoogleTest.
#pragma once

#include <string>
#include <string_view>

#include "output/SaveNaming.h"
#include "settings/FileNameCheck.h"
#include "settings/Settings.h"

namespace mrv::testing {

// Two sequential saves from `s` (a loaded record) into C:\shots\ holding
// the file `held`. Empty when both paths lie in the folder itself, else what
// failed.
inline std::string CheckSequentialPaths(Settings& s, const std::wstring& held = L"") {
    const std::wstring folder = L"C:\\shots\\";
    SaveNaming naming;
    naming.BindSettings(s);
    if (!naming.SetSaveFolder(folder)) return "the folder was refused";
    const std::wstring base = Cp932AsNameCharacters(s.baseName);
    const ListFolder list = [&](const std::wstring& pattern, const NameVisitor& each) {
        if (pattern.compare(0, folder.size(), folder) != 0) return 3u;  // listed elsewhere
        if (!held.empty()) each(held);
        return 0u;
    };
    for (int save = 0; save < 2; ++save) {
        const SequentialPath p = naming.NextSequentialPath(base, list);
        if (p.status == NamingStatus::kNumberLimitReached) continue;
        if (p.status != NamingStatus::kOk) return "a loaded record's save was refused";
        const std::wstring_view name = std::wstring_view(p.path).substr(folder.size());
        if (p.path.compare(0, folder.size(), folder) != 0 ||
            name.find_first_of(L"\\/:*?\"<>|") != std::wstring_view::npos || name.empty() ||
            name.back() == L'.' || name.back() == L' ' || IsReservedFileName(name)) {
            return "a path outside the folder or no file name";
        }
        if (naming.CurrentFolder() != folder || naming.LastFileName() != name)
            return "the folder moved";
        naming.AdvanceSaveNumber();
    }
    return "";
}

}  // namespace mrv::testing
